#include "print_session.h"

#include "escaped_text.h"
#include "log_stamp.h"
#include "printer_flash.h"

using decoder::Kind;

namespace {

// Commands that change what printer.json keeps (settings, logos, QR text).
bool changesFlash(Kind kind)
{
    switch (kind) {
    case Kind::CodePage:
    case Kind::BaudRate:
    case Kind::Darkness:
    case Kind::Barcode:
    case Kind::BlackMark:
    case Kind::Buzzer:
    case Kind::BuzzerSwitch:
    case Kind::Cutter:
    case Kind::CutMode:
    case Kind::CutFeed:
    case Kind::AutoCutFeed:
    case Kind::FactoryReset:
    case Kind::QrStore:
    case Kind::LogoDownload:
    case Kind::LogoClear:
        return true;
    default:
        return false;
    }
}

// printer.json at its largest: every logo the flash holds at its largest and
// the longest QR text, as base64, with room to spare. A larger file holds
// more than a printer keeps.
constexpr qint64 kMaxFlashFile = 8 * 1024 * 1024;

} // namespace

PrintSession::PrintSession(int paperWidthDots, OutputWriter &out, std::FILE *terminal)
    : printer_(paperWidthDots)
    , out_(out)
    , terminal_(terminal)
    , lines_([this](const QString &line) { emitLine(line); })
    , saver_(out, [this](const ReceiptSaver::Outcome &outcome) { receiptSaved(outcome); })
{
    portRateSaid_ = printer_.portRate();
    stateLater_.setSingleShot(true);
    stateLater_.setInterval(kStateEveryMs);
    QObject::connect(&stateLater_, &QTimer::timeout, [this] {
        if (stateDirty_)
            writeState(true);
    });
    flushLater_.setSingleShot(true);
    flushLater_.setInterval(kFlushMs);
    QObject::connect(&flushLater_, &QTimer::timeout, [this] { flushLog(); });
    // Lines held open (a run still growing) are said within a second.
    tick_.setInterval(LogLines::kTickMs);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
        if (!lines_.tick())
            tick_.stop();
    });
    writeState(true);
}

PrintSession::~PrintSession()
{
    saver_.drain();
    lines_.close();
    writeState(true);
    flushLog();
}

void PrintSession::writeState(bool now)
{
    // Written now, then not again until kStateEveryMs have passed (when it
    // is written if anything changed meanwhile).
    if (!now && stateLater_.isActive()) {
        stateDirty_ = true;
        return;
    }
    stateDirty_ = false;
    stateLater_.start();
    // Text and paper feeds change nothing in them: a long text job would
    // otherwise rename a file per line.
    if (flashRead_ && flashChanged_) {
        const QByteArray flash = flashJson(printer_.state());
        if (flash != writtenFlash_) {
            QString error;
            const bool ok = out_.replaceFile("printer.json", flash, error);
            writtenFlash_ = ok ? flash : QByteArray();
            if (!ok && !flashFailing_)
                note(QStringLiteral("out"), error + QStringLiteral("; tried again after each change"));
            flashFailing_ = !ok;
        }
        flashChanged_ = flashFailing_;
    }
    const QByteArray json = stateJson(printer_.state());
    if (json == writtenState_)
        return;
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
    flashChanged_ = true;
    if (factory) {
        note(QStringLiteral("out"), QStringLiteral("starting from the factory state (--factory)"));
        writeState(true);
        return;
    }
    QByteArray json;
    QString why;
    PrinterState kept = printer_.state();
    if (!out_.readFile("printer.json", kMaxFlashFile, json, why) || (!json.isEmpty() && !readFlash(json, kept, why))) {
        const bool moved = out_.setAside("printer.json");
        note(QStringLiteral("out"),
             QStringLiteral("%1/printer.json is damaged (%2): %3; starting from the factory state")
                 .arg(out_.dir(), why,
                      moved ? QStringLiteral("set aside as printer.json.damaged")
                            : QStringLiteral("it could not be set aside")));
    } else if (!json.isEmpty()) {
        printer_.restore(kept);
        portRateSaid_ = printer_.portRate();
        writtenFlash_ = json;
        note(QStringLiteral("out"), QStringLiteral("settings and %1 logo(s) read back from %2/printer.json")
                                        .arg(kept.logos.size())
                                        .arg(out_.dir()));
    }
    writeState(true);
}

void PrintSession::setPortRate(long rate)
{
    const long before = printer_.state().baudRate;
    printer_.setPortRate(rate);
    portRateSaid_ = rate;
    if (before != rate) {
        note(QStringLiteral("pty"),
             QStringLiteral("its serial port runs at %1 baud (the setting said %2)").arg(rate).arg(before));
        flashChanged_ = true;
        writeState(true);
    }
}

QByteArray PrintSession::apply(const QString &source, const decoder::Decoded &c)
{
    const QString problem = printer_.apply(c);
    const QByteArray answer = printer_.answer(c);
    lines_.command(source, c, problem, answer);
    flashChanged_ = flashChanged_ || changesFlash(c.kind);
    if (!tick_.isActive())
        tick_.start();
    sayPortRate(source);
    writeState();
    saveReceipts(source);
    return answer;
}

QByteArray PrintSession::receive(const QString &source, const std::vector<decoder::Decoded> &commands)
{
    QByteArray answers;
    for (const decoder::Decoded &c : commands)
        answers += apply(source, c);
    return answers;
}

void PrintSession::sayPortRate(const QString &source)
{
    if (printer_.portRate() == portRateSaid_)
        return;
    portRateSaid_ = printer_.portRate();
    note(source,
         QStringLiteral("its serial port now runs at %1 baud, as the baud-rate command set").arg(portRateSaid_));
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
    printer_.endJob();
    sayPortRate(source);
    writeState(true);
    saveReceipts(source);
    // Its lines end once its last receipt is said: that line is its own.
    saver_.whenSaved([this, source] {
        lines_.endJob(source);
        flushLog();
    });
    flushLog();
}

void PrintSession::note(const QString &source, const QString &text)
{
    lines_.note(source, text);
    flushLog();
}

void PrintSession::emitLine(const QString &line)
{
    // Paths and names in notes come from outside: no control character
    // reaches the file or the terminal as it is.
    const QString shown = escapedControls(line);
    out_.log(shown);
    if (terminal_) {
        shown_ += shown.toLocal8Bit();
        shown_ += '\n';
    }
    if (!flushLater_.isActive())
        flushLater_.start();
}

void PrintSession::flushLog()
{
    flushLater_.stop();
    QString error;
    if (out_.logWaiting() > 0) {
        const bool ok = out_.flushLog(error);
        // Said once per failing spell.
        if (!ok && !logFailing_) {
            std::FILE *say = terminal_ ? terminal_ : stderr;
            std::fflush(say);
            std::fprintf(say, "%s out %s; lines are not logged until it can be written again\n",
                         logStamp().toLocal8Bit().constData(), escapedControls(error).toLocal8Bit().constData());
            std::fflush(say);
        }
        logFailing_ = !ok;
    }
    if (terminal_ && !shown_.isEmpty()) {
        std::fwrite(shown_.constData(), 1, std::size_t(shown_.size()), terminal_);
        std::fflush(terminal_);
        shown_.resize(0); // keeps its room
    }
}

void PrintSession::saveReceipts(const QString &source)
{
    for (const QImage &receipt : printer_.takeReceipts())
        saver_.save(source, receipt);
}

void PrintSession::receiptSaved(const ReceiptSaver::Outcome &o)
{
    if (o.path.isEmpty()) {
        // Said once per failing spell; the count follows when saving works again.
        if (receiptsLost_++ == 0)
            note(o.source, o.error + QStringLiteral("; further lost receipts are counted"));
        return;
    }
    if (receiptsLost_ > 0)
        note(o.source, QStringLiteral("%1 receipt(s) could not be saved").arg(receiptsLost_));
    receiptsLost_ = 0;
    lines_.jobLine(o.source, QStringLiteral("receipt %1 (%2 x %3 dots)").arg(o.path).arg(o.width).arg(o.height),
                   QStringLiteral("receipt saved"));
    if (!flushLater_.isActive())
        flushLater_.start();
}
