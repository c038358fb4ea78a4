#include "print_session.h"

#include "printer_flash.h"

#include <QDateTime>

namespace {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

// Characters of a run of text shown in its log line.
constexpr qsizetype kRunStartShown = 48;

} // namespace

PrintSession::~PrintSession()
{
    endTextRun();
    writeState(true);
}

void PrintSession::addToTextRun(const QString &source, const decoder::Decoded &c)
{
    if (run_.bytes > 0 && run_.source != source)
        endTextRun();
    run_.source = source;
    run_.bytes += qint64(c.length);
    if (c.kind == decoder::Kind::LineFeed) {
        run_.lineFeeds += c.value;
        return;
    }
    const qsizetype room = kRunStartShown - run_.start.size();
    if (room > 0)
        run_.start += c.payload.left(room);
    run_.cut = run_.cut || c.payload.size() > room;
}

void PrintSession::endTextRun()
{
    if (run_.bytes == 0)
        return;
    QString text = QString::fromLatin1(run_.start);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    emitLine(QStringLiteral("%1 %2 %3 bytes: text \"%4\"%5, %6 line feed(s)")
                 .arg(stamp(), run_.source)
                 .arg(run_.bytes)
                 .arg(text, run_.cut ? QStringLiteral("...") : QString())
                 .arg(run_.lineFeeds));
    run_ = TextRun();
}

PrintSession::PrintSession(int paperWidthDots, OutputWriter &out, std::FILE *terminal)
    : printer_(paperWidthDots)
    , out_(out)
    , terminal_(terminal)
{
    stateLater_.setSingleShot(true);
    QObject::connect(&stateLater_, &QTimer::timeout, [this] { writeState(true); });
    writeState(true);
}

void PrintSession::writeState(bool now)
{
    if (!now && sinceState_.isValid() && sinceState_.elapsed() < kStateEveryMs) {
        if (!stateLater_.isActive())
            stateLater_.start(int(kStateEveryMs - sinceState_.elapsed()));
        return;
    }
    stateLater_.stop();
    // Text and paper feeds change nothing in them: a long text job would
    // otherwise rename a file per line.
    const QByteArray flash = flashRead_ ? flashJson(printer_.state()) : QByteArray();
    if (flashRead_ && flash != writtenFlash_) {
        QString error;
        const bool ok = out_.replaceFile("printer.json", flash, error);
        writtenFlash_ = ok ? flash : QByteArray();
        if (!ok && !flashFailing_)
            note(QStringLiteral("out"), error + QStringLiteral("; tried again after each change"));
        flashFailing_ = !ok;
    }
    const QByteArray json = stateJson(printer_.state());
    if (json == writtenState_)
        return;
    sinceState_.start();
    QString error;
    const bool ok = out_.writeState(json, error);
    writtenState_ = ok ? json : QByteArray();
    // Said once per failing spell, not after every command.
    if (!ok && !stateFailing_)
        note(QStringLiteral("out"), error + QStringLiteral("; tried again after each change"));
    else if (ok && stateFailing_)
        note(QStringLiteral("out"), QStringLiteral("state.json is written again"));
    stateFailing_ = !ok;
}

void PrintSession::readBackFlash(bool factory)
{
    flashRead_ = true;
    if (factory) {
        note(QStringLiteral("out"), QStringLiteral("starting from the factory state (--factory)"));
        writeState(true);
        return;
    }
    QByteArray json;
    QString why;
    PrinterState kept = printer_.state();
    // A logo of the largest size the flash takes, a few times over, as base64.
    constexpr qint64 kMaxFlashFile = 64 * 1024 * 1024;
    if (!out_.readFile("printer.json", kMaxFlashFile, json, why) || (!json.isEmpty() && !readFlash(json, kept, why))) {
        const bool moved = out_.setAside("printer.json");
        note(QStringLiteral("out"),
             QStringLiteral("%1/printer.json is damaged (%2): %3; starting from the factory state")
                 .arg(out_.dir(), why,
                      moved ? QStringLiteral("set aside as printer.json.damaged")
                            : QStringLiteral("it could not be set aside")));
    } else if (!json.isEmpty()) {
        printer_.restore(kept);
        writtenFlash_ = json;
        note(QStringLiteral("out"), QStringLiteral("settings and %1 logo(s) read back from %2/printer.json")
                                        .arg(kept.logos.size())
                                        .arg(out_.dir()));
    }
    writeState(true);
}

QByteArray PrintSession::receive(const QString &source, const std::vector<decoder::Decoded> &commands)
{
    QByteArray answers;
    for (const decoder::Decoded &c : commands) {
        const QString problem = printer_.apply(c);
        const bool text = c.kind == decoder::Kind::Text || c.kind == decoder::Kind::LineFeed;
        if (text && problem.isEmpty()) {
            addToTextRun(source, c);
            continue;
        }
        endTextRun();
        QString line = QStringLiteral("%1 %2 %3 bytes: %4").arg(stamp(), source).arg(c.length).arg(c.describe());
        if (!problem.isEmpty())
            line += QStringLiteral(" (%1)").arg(problem);
        const QByteArray answer = printer_.answer(c);
        if (!answer.isEmpty())
            line += QStringLiteral(", answered %1").arg(QString::fromLatin1(answer.toHex(' ')));
        answers += answer;
        emitLine(line);
        writeState();
        saveReceipts(source);
    }
    return answers;
}

void PrintSession::setConditions(PaperLevel paper, bool coverOpen, bool online)
{
    printer_.setConditions(paper, coverOpen, online);
    note(QStringLiteral("panel"),
         QStringLiteral("paper %1, cover %2, %3")
             .arg(QLatin1String(paperLevelName(paper)), coverOpen ? QStringLiteral("open") : QStringLiteral("closed"),
                  online ? QStringLiteral("on-line") : QStringLiteral("off-line")));
    writeState(true);
}

void PrintSession::endJob(const QString &source)
{
    endTextRun();
    printer_.endJob();
    writeState(true);
    saveReceipts(source);
}

void PrintSession::note(const QString &source, const QString &text)
{
    endTextRun();
    emitLine(QStringLiteral("%1 %2 %3").arg(stamp(), source, text));
}

void PrintSession::emitLine(const QString &line)
{
    QString error;
    const bool ok = out_.log(line, error);
    if (!ok && !logFailing_) {
        std::FILE *say = terminal_ ? terminal_ : stderr;
        std::fprintf(say, "%s out %s; lines are not logged until it can be written again\n",
                     stamp().toLocal8Bit().constData(), error.toLocal8Bit().constData());
        std::fflush(say);
    }
    logFailing_ = !ok;
    if (terminal_) {
        std::fprintf(terminal_, "%s\n", line.toLocal8Bit().constData());
        std::fflush(terminal_);
    }
}

void PrintSession::saveReceipts(const QString &source)
{
    for (const QImage &receipt : printer_.takeReceipts()) {
        QString error;
        const QString path = out_.saveReceipt(receipt, error);
        if (path.isEmpty()) {
            // Said once per failing spell; the count follows when saving works again.
            if (receiptsLost_++ == 0)
                note(source, error + QStringLiteral("; further lost receipts are counted"));
            continue;
        }
        if (receiptsLost_ > 0)
            note(source, QStringLiteral("%1 receipt(s) could not be saved").arg(receiptsLost_));
        receiptsLost_ = 0;
        note(source, QStringLiteral("receipt %1 (%2 x %3 dots)").arg(path).arg(receipt.width()).arg(receipt.height()));
    }
}
