#include "log_lines.h"

#include "log_stamp.h"

#include <QStringList>

#include <algorithm>

using decoder::Kind;

namespace {

bool inRun(Kind kind)
{
    return kind == Kind::Text || kind == Kind::LineFeed || kind == Kind::Unknown;
}

// Commands whose meaning shows bytes they carry, not only their values.
bool carriesBytes(Kind kind)
{
    return kind == Kind::QrStore || kind == Kind::LogoDownload || inRun(kind);
}

QString bounded(const QString &text)
{
    return text.size() > LogLines::kDescriptionShown ? text.left(LogLines::kDescriptionShown) + QStringLiteral("...")
                                                     : text;
}

// Sources are the listeners' names, passed again and again as one string.
bool sameSource(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

bool sameCommand(const decoder::Decoded &a, const decoder::Decoded &b)
{
    if (a.kind != b.kind || a.length != b.length || a.value != b.value || a.value2 != b.value2 ||
        a.payload != b.payload || a.logos.size() != b.logos.size())
        return false;
    for (std::size_t i = 0; i < a.logos.size(); ++i)
        if (a.logos[i].widthDots != b.logos[i].widthDots || a.logos[i].heightDots != b.logos[i].heightDots ||
            a.logos[i].raster != b.logos[i].raster)
            return false;
    return true;
}

} // namespace

QString LogLines::Counted::text() const
{
    if (kind < 0)
        return label;
    decoder::Decoded d;
    d.kind = Kind(kind);
    d.length = length;
    d.value = value;
    d.value2 = value2;
    return d.describe();
}

LogLines::LogLines(Sink sink)
    : sink_(std::move(sink))
{
}

void LogLines::count(std::vector<Counted> &into, const Counted &what, qint64 times)
{
    for (Counted &c : into)
        if (c.same(what)) {
            c.count += times;
            return;
        }
    into.push_back(what);
    into.back().count = times;
}

LogLines::Budget &LogLines::budgetOf(const QString &source)
{
    if (!budget_ || !sameSource(budgetSource_, source)) {
        budget_ = &budgets_[source];
        budgetSource_ = source;
    }
    return *budget_;
}

void LogLines::open(Open kind, const QString &source)
{
    close();
    open_ = kind;
    if (!sameSource(source_, source))
        source_ = source;
    // The time is read only for a line that will be said.
    const Budget &budget = budgetOf(source);
    stamp_ = budget.lines < kBaseLines + budget.bytes * kLinesPerKilobyte / 1024 ? logStamp() : QString();
    openTicks_ = 0;
    bytes_ = 0;
    switch (kind) {
    case Open::Run:
        textStart_.resize(0); // resize keeps the room, clear would not
        textCut_ = false;
        textBytes_ = lineFeeds_ = unknownBytes_ = 0;
        unknownStart_.resize(0);
        if (!runProblem_.isNull())
            runProblem_ = QString();
        break;
    case Open::Requests:
        asked_.clear();
        answerBytes_ = 0;
        firstAnswer_.resize(0);
        break;
    case Open::Same:
    case Open::None:
        sameCount_ = 0;
        break;
    }
}

void LogLines::command(const QString &source, const decoder::Decoded &c, const QString &problem,
                       const QByteArray &answer)
{
    budgetOf(source).bytes += qint64(c.length);
    if (inRun(c.kind)) {
        if (open_ != Open::Run || !sameSource(source_, source))
            open(Open::Run, source);
        if (c.kind == Kind::LineFeed) {
            lineFeeds_ += c.value;
        } else if (c.kind == Kind::Text) {
            textBytes_ += c.payload.size();
            const qsizetype room = kRunStartShown - textStart_.size();
            if (room > 0)
                textStart_.append(c.payload.constData(), qMin(room, c.payload.size()));
            textCut_ = textCut_ || c.payload.size() > room;
        } else {
            unknownBytes_ += qint64(c.length);
            // One byte past what is shown, so that "..." says there are more.
            const qsizetype room = 33 - unknownStart_.size();
            if (room > 0)
                unknownStart_.append(c.payload.constData(), qMin(room, c.payload.size()));
        }
        if (runProblem_.isEmpty())
            runProblem_ = problem;
    } else if (decoder::isRequest(c.kind)) {
        if (open_ != Open::Requests || !sameSource(source_, source))
            open(Open::Requests, source);
        count(asked_, Counted{int(c.kind), c.length, c.value, c.value2, {}, 0}, 1);
        answerBytes_ += answer.size();
        if (firstAnswer_.isEmpty())
            firstAnswer_ = answer;
    } else {
        if (open_ != Open::Same || !sameSource(source_, source) || !sameCommand(c, same_) || problem != sameProblem_) {
            open(Open::Same, source);
            same_ = c;
            sameProblem_ = problem;
        }
        ++sameCount_;
    }
    bytes_ += qint64(c.length);
}

QString LogLines::openLine() const
{
    QString text = QStringLiteral("%1 bytes: ").arg(bytes_);
    switch (open_) {
    case Open::None:
        return {};
    case Open::Run: {
        QStringList parts;
        if (textBytes_ > 0 || lineFeeds_ > 0) {
            QString start = QString::fromLatin1(textStart_);
            start.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
            parts << QStringLiteral("text \"%1\"%2, %3 line feed(s)")
                         .arg(start, textCut_ ? QStringLiteral("...") : QString())
                         .arg(lineFeeds_);
        }
        if (unknownBytes_ > 0) {
            decoder::Decoded unknown;
            unknown.length = std::size_t(unknownBytes_);
            unknown.payload = unknownStart_;
            parts << unknown.describe();
        }
        text += parts.join(QStringLiteral(", "));
        if (!runProblem_.isEmpty())
            text += QStringLiteral(" (%1)").arg(runProblem_);
        return text;
    }
    case Open::Requests: {
        if (asked_.size() == 1 && asked_.front().count == 1)
            return text + asked_.front().text() +
                   QStringLiteral(", answered %1").arg(QString::fromLatin1(firstAnswer_.toHex(' ')));
        qint64 requests = 0;
        QStringList each;
        for (const Counted &c : asked_) {
            requests += c.count;
            each << QStringLiteral("%1 x %2").arg(c.count).arg(c.text());
        }
        return text + QStringLiteral("%1 requests, answered with %2 bytes: %3")
                          .arg(requests)
                          .arg(answerBytes_)
                          .arg(each.join(QStringLiteral(", ")));
    }
    case Open::Same: {
        const QString meaning = bounded(same_.describe());
        text += sameCount_ == 1 ? meaning : QStringLiteral("%1 x %2").arg(sameCount_).arg(meaning);
        if (!sameProblem_.isEmpty())
            text += QStringLiteral(" (%1)").arg(sameProblem_);
        return text;
    }
    }
    return {};
}

void LogLines::close()
{
    if (open_ == Open::None)
        return;
    Budget &budget = budgetOf(source_);
    if (withinBudget(budget)) {
        sink_(QStringLiteral("%1 %2 %3").arg(stamp_.isEmpty() ? logStamp() : stamp_, source_, openLine()));
    } else {
        switch (open_) {
        case Open::Run:
            hold(budget, Counted{-1, 0, 0, 0, QStringLiteral("run of text or other bytes"), 1});
            break;
        case Open::Requests:
            hold(budget, asked_);
            break;
        case Open::Same:
            if (carriesBytes(same_.kind))
                hold(budget, Counted{-1, 0, 0, 0, bounded(same_.describe()), sameCount_});
            else
                hold(budget, Counted{int(same_.kind), same_.length, same_.value, same_.value2, {}, sameCount_});
            break;
        case Open::None:
            break;
        }
    }
    open_ = Open::None;
}

bool LogLines::withinBudget(Budget &budget)
{
    if (budget.lines >= kBaseLines + budget.bytes * kLinesPerKilobyte / 1024)
        return false;
    ++budget.lines;
    return true;
}

void LogLines::hold(Budget &budget, const std::vector<Counted> &what)
{
    for (const Counted &c : what)
        count(budget.held, c, c.count);
    ++budget.heldLines;
}

void LogLines::hold(Budget &budget, const Counted &what)
{
    count(budget.held, what, what.count);
    ++budget.heldLines;
}

void LogLines::sayHeld(const QString &source, Budget &budget)
{
    if (budget.heldLines == 0)
        return;
    std::vector<Counted> held = budget.held;
    std::stable_sort(held.begin(), held.end(), [](const Counted &a, const Counted &b) { return a.count > b.count; });
    constexpr std::size_t kShown = 8;
    QStringList each;
    for (std::size_t i = 0; i < held.size() && i < kShown; ++i)
        each << QStringLiteral("%1 x %2").arg(held[i].count).arg(bounded(held[i].text()));
    if (held.size() > kShown) {
        qint64 rest = 0;
        for (std::size_t i = kShown; i < held.size(); ++i)
            rest += held[i].count;
        each << QStringLiteral("%1 of %2 other kinds").arg(rest).arg(held.size() - kShown);
    }
    sink_(QStringLiteral("%1 %2 %3 more line(s) not logged one by one (past the job's %4 lines): %5")
              .arg(logStamp(), source)
              .arg(budget.heldLines)
              .arg(budget.lines)
              .arg(each.join(QStringLiteral(", "))));
    budget.held.clear();
    budget.heldLines = 0;
    budget.heldTicks = 0;
}

void LogLines::jobLine(const QString &source, const QString &text, const QString &kind)
{
    close();
    Budget &budget = budgetOf(source);
    if (withinBudget(budget))
        sink_(QStringLiteral("%1 %2 %3").arg(logStamp(), source, text));
    else
        hold(budget, Counted{-1, 0, 0, 0, kind, 1});
}

void LogLines::note(const QString &source, const QString &text)
{
    close();
    sink_(QStringLiteral("%1 %2 %3").arg(logStamp(), source, text));
}

void LogLines::endJob(const QString &source)
{
    if (open_ != Open::None && sameSource(source_, source))
        close();
    const auto found = budgets_.find(source);
    if (found == budgets_.end())
        return;
    sayHeld(source, found->second);
    if (budget_ == &found->second)
        budget_ = nullptr;
    budgets_.erase(found);
}

bool LogLines::tick()
{
    constexpr int kTicksOpen = kOpenMs / kTickMs;
    if (open_ != Open::None && ++openTicks_ >= kTicksOpen)
        close();
    bool waiting = open_ != Open::None;
    for (auto &[source, budget] : budgets_) {
        if (budget.heldLines > 0 && ++budget.heldTicks >= kTicksOpen)
            sayHeld(source, budget);
        waiting = waiting || budget.heldLines > 0;
    }
    return waiting;
}
