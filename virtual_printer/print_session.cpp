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
    const bool ok = out_.writeState(json);
    writtenState_ = ok ? json : QByteArray();
    // Said once per failing spell, not after every command.
    if (!ok && !stateFailing_)
        note(QStringLiteral("out"), QStringLiteral("cannot write %1/state.json").arg(out_.dir()));
    stateFailing_ = !ok;
}

void PrintSession::receive(const QString &source, const std::vector<decoder::Decoded> &commands)
{
    for (const decoder::Decoded &c : commands) {
        const QString problem = printer_.apply(c);
        QString line = QStringLiteral("%1 %2 %3 bytes: %4").arg(stamp(), source).arg(c.length).arg(c.describe());
        if (!problem.isEmpty())
            line += QStringLiteral(" (%1)").arg(problem);
        out_.log(line);
        if (terminal_) {
            std::fprintf(terminal_, "%s\n", line.toLocal8Bit().constData());
            std::fflush(terminal_);
        }
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
    const QString line = QStringLiteral("%1 %2 %3").arg(stamp(), source, text);
    out_.log(line);
    if (terminal_) {
        std::fprintf(terminal_, "%s\n", line.toLocal8Bit().constData());
        std::fflush(terminal_);
    }
}

void PrintSession::saveReceipts(const QString &source)
{
    for (const QImage &receipt : printer_.takeReceipts()) {
        const QString path = out_.saveReceipt(receipt);
        note(source, path.isEmpty() ? QStringLiteral("could not save a receipt picture in %1").arg(out_.dir())
                                    : QStringLiteral("receipt %1 (%2 x %3 dots)")
                                          .arg(path)
                                          .arg(receipt.width())
                                          .arg(receipt.height()));
    }
}
