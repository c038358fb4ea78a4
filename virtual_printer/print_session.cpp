#include "print_session.h"

#include <QDateTime>

namespace {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace

PrintSession::PrintSession(int paperWidthDots, OutputWriter &out, std::FILE *terminal)
    : printer_(paperWidthDots)
    , out_(out)
    , terminal_(terminal)
{
    writeState();
}

void PrintSession::writeState()
{
    // Text and paper feeds change nothing in it: a long text job would
    // otherwise rename a file per line.
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

void PrintSession::receive(const QString &source, const std::vector<decoder::Decoded> &commands)
{
    for (const decoder::Decoded &c : commands) {
        const QString problem = printer_.apply(c);
        QString line = QStringLiteral("%1 %2 %3 bytes: %4").arg(stamp(), source).arg(c.length).arg(c.describe());
        if (!problem.isEmpty())
            line += QStringLiteral(" (%1)").arg(problem);
        emitLine(line);
        writeState();
        saveReceipts(source);
    }
}

void PrintSession::endJob(const QString &source)
{
    printer_.endJob();
    saveReceipts(source);
}

void PrintSession::note(const QString &source, const QString &text)
{
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
