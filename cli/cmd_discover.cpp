// nemboport discover [--usb] [--serial [DEVICE...]] [--network HOST|CIDR...
// [--port N]] [--json] [--add NAME [--replace]]: finds receipt printers and
// says, for each, how it is reached, what it is, how it is and which print
// queues lead to it. Nothing is scanned on the network unless asked.
#include "cli_commands.h"

#include "printer_finder.h"
#include "queue_creation.h"
#include "shown_text.h"
#include "status_output.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {

struct DiscoverOptions
{
    bool usb = false;
    bool serial = false;
    bool network = false;
    QStringList serialPorts;
    QStringList networkWords;
    quint16 port = kRawPrinterPort;
    bool portGiven = false;
    bool json = false;
    QString addName;
    bool addGiven = false;
    bool replace = false;
};

// The options, and the words that follow --serial and --network; an error
// text, or empty.
QString readOptions(const QStringList &args, DiscoverOptions &o)
{
    enum class Words {
        None,
        Serial,
        Network
    } words = Words::None;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            if (words == Words::Serial)
                o.serialPorts << arg;
            else if (words == Words::Network)
                o.networkWords << arg;
            else
                return Nemboport::tr("discover takes words only after --serial (ports) or --network (addresses): %1")
                    .arg(shownInput(arg));
            continue;
        }
        const int eq = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        auto value = [&](QString &into) {
            if (eq >= 0)
                into = arg.mid(eq + 1);
            else if (i + 1 < args.size())
                into = args.at(++i);
            else
                return false;
            return true;
        };
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (name == QLatin1String("usb")) {
            o.usb = true;
            words = Words::None;
        } else if (name == QLatin1String("serial")) {
            o.serial = true;
            words = Words::Serial;
        } else if (name == QLatin1String("network")) {
            o.network = true;
            words = Words::Network;
        } else if (name == QLatin1String("json")) {
            o.json = true;
        } else if (name == QLatin1String("replace")) {
            o.replace = true;
        } else if (name == QLatin1String("add")) {
            if (o.addGiven)
                return Nemboport::tr("--%1 given twice").arg(name);
            if (!value(o.addName))
                return Nemboport::tr("--%1 needs a value").arg(name);
            o.addGiven = true;
        } else if (name == QLatin1String("port")) {
            QString text;
            if (o.portGiven)
                return Nemboport::tr("--%1 given twice").arg(name);
            if (!value(text))
                return Nemboport::tr("--%1 needs a value").arg(name);
            bool ok = false;
            const int n = text.toInt(&ok);
            if (!ok || n < 1 || n > 65535)
                return Nemboport::tr("--port %1: give the printers' TCP port, 1 to 65535 (9100 unless told)")
                    .arg(shownInput(text));
            o.port = quint16(n);
            o.portGiven = true;
        } else {
            return Nemboport::tr("unknown option --%1").arg(shownInput(name));
        }
        if ((name == QLatin1String("usb") || name == QLatin1String("serial") || name == QLatin1String("network")) &&
            eq >= 0)
            return Nemboport::tr("--%1 takes no value").arg(name);
    }
    if (!o.usb && !o.serial && !o.network) {
        o.usb = true;
        o.serial = true;
    }
    if (o.network && o.networkWords.isEmpty())
        return Nemboport::tr("--network needs addresses: HOST, A.B.C.D/N or auto (the machine's own networks)");
    if (o.portGiven && !o.network)
        return Nemboport::tr("--port goes with --network");
    if (o.replace && !o.addGiven)
        return Nemboport::tr("--replace goes with --add NAME");
    if (o.addGiven)
        return queueNameRefusal(o.addName);
    return {};
}

QString scanWordsRefusal(const ScanTargets &targets)
{
    switch (targets.problem) {
    case ScanWordProblem::None:
        return {};
    case ScanWordProblem::NotAnAddress:
        return Nemboport::tr("--network %1: give an address, a host name, a network A.B.C.D/N (N from 16 to 32) or "
                             "auto")
            .arg(shownInput(targets.word));
    case ScanWordProblem::UnknownHost:
        return Nemboport::tr("--network %1: no such host (or the name server did not answer in time)")
            .arg(shownInput(targets.word));
    case ScanWordProblem::TooMany:
        return Nemboport::tr("--network %1: %2 addresses; one search covers at most %3")
            .arg(shownInput(targets.word))
            .arg(targets.count)
            .arg(kMaxScanAddresses);
    case ScanWordProblem::NoOwnNetwork:
        break;
    }
    return Nemboport::tr("--network auto: this machine is on no network of at most %1 addresses; name the addresses "
                         "to search")
        .arg(kOwnNetworkMax);
}

QString kindWord(FindKind kind)
{
    switch (kind) {
    case FindKind::Usb:
        return Nemboport::tr("USB");
    case FindKind::Serial:
        return Nemboport::tr("serial");
    case FindKind::Network:
        return Nemboport::tr("network");
    }
    return {};
}

const char *kindKey(FindKind kind)
{
    return kind == FindKind::Usb ? "usb" : kind == FindKind::Serial ? "serial" : "network";
}

const char *outcomeKey(FindOutcome outcome)
{
    switch (outcome) {
    case FindOutcome::Printer:
        return "printer";
    case FindOutcome::NotAPrinter:
        return "not-a-printer";
    case FindOutcome::NoPrinter:
        return "no-printer";
    case FindOutcome::Skipped:
        return "skipped";
    }
    return "?";
}

QString checkText(const DeviceCheck &check)
{
    switch (check.problem) {
    case DeviceProblem::NoPermission:
        return Nemboport::tr("permission denied (join the group %1)").arg(QStringLiteral("dialout"));
    case DeviceProblem::Busy:
        return Nemboport::tr("busy: another program holds it");
    case DeviceProblem::NoDevice:
        return Nemboport::tr("no device behind it");
    case DeviceProblem::None:
    case DeviceProblem::Other:
        break;
    }
    return check.detail;
}

// Why a find is not a printer, in words.
QString notAPrinterText(const Find &find, int answerMs)
{
    switch (find.outcome) {
    case FindOutcome::Printer:
        return {};
    case FindOutcome::NotAPrinter:
        if (find.report.state == QueryState::NotAPrinter)
            return Nemboport::tr("port open, not a receipt printer (it answered %1)")
                .arg(QString::fromLatin1(find.report.notAnAnswer.toHex(' ').toUpper()));
        if (find.report.state == QueryState::NoAnswer)
            return Nemboport::tr("port open, not a receipt printer (no answer within %1 ms; a printer busy with "
                                 "another connection answers later)")
                .arg(answerMs);
        return Nemboport::tr("port open, not a receipt printer (%1)").arg(find.report.reason.text);
    case FindOutcome::NoPrinter:
        if (!find.error.isEmpty())
            return Nemboport::tr("could not be probed: %1").arg(find.error);
        return Nemboport::tr("no receipt printer answered at any rate");
    case FindOutcome::Skipped:
        break;
    }
    return Nemboport::tr("skipped: %1").arg(checkText(find.check));
}

QString statusText(const Find &find)
{
    if (!find.asked)
        return Nemboport::tr("status not asked (seen only by the print server's USB backend)");
    return stateText(find.report);
}

// "Acme TM 1", or what stands for it.
QString printerName(const Find &find)
{
    const QString name = QStringList{find.maker(), find.model()}.join(QLatin1Char(' ')).trimmed();
    if (!name.isEmpty())
        return name;
    return find.kind == FindKind::Usb ? Nemboport::tr("a USB printer that tells no name")
                                      : Nemboport::tr("a receipt printer that tells no name");
}

QString linkText(const Find &find)
{
    const QString where = QStringLiteral("%1 %2").arg(kindWord(find.kind), find.link);
    return find.rate ? Nemboport::tr("%1 at %2 baud").arg(where).arg(find.rate) : where;
}

void printFind(QTextStream &out, const Find &find, int answerMs)
{
    if (!find.isPrinter()) {
        out << linkText(find) << ": " << notAPrinterText(find, answerMs) << '\n';
        return;
    }
    out << linkText(find) << ": " << printerName(find) << ", " << statusText(find) << '\n';
    QStringList more;
    const std::pair<const char *, QString> details[] = {
        {QT_TRANSLATE_NOOP("Nemboport", "firmware %1"), find.report.identity.firmware},
        {QT_TRANSLATE_NOOP("Nemboport", "serial number %1"), find.serialNumber()},
        {QT_TRANSLATE_NOOP("Nemboport", "command set %1"), find.deviceId.commandSet}};
    for (const auto &[label, value] : details)
        if (!value.isEmpty())
            more << Nemboport::tr(label).arg(value);
    if (!more.isEmpty())
        out << "  " << more.join(QStringLiteral(", ")) << '\n';
    if (!find.uri.isEmpty())
        out << "  " << Nemboport::tr("device URI: %1").arg(find.uri) << '\n';
    if (!find.queues.isEmpty())
        out << "  " << Nemboport::tr("print queues: %1").arg(find.queues.join(QStringLiteral(", "))) << '\n';
    else if (!find.uri.isEmpty())
        out << "  " << Nemboport::tr("no print queue leads to it: nemboport add-queue NAME --uri '%1'").arg(find.uri)
            << '\n';
}

QJsonObject findJson(const Find &find, int answerMs)
{
    QJsonObject o{{QStringLiteral("kind"), QLatin1String(kindKey(find.kind))},
                  {QStringLiteral("link"), find.link},
                  {QStringLiteral("printer"), find.isPrinter()},
                  {QStringLiteral("outcome"), QLatin1String(outcomeKey(find.outcome))}};
    if (find.rate)
        o.insert(QStringLiteral("rate"), double(find.rate));
    if (!find.uri.isEmpty())
        o.insert(QStringLiteral("uri"), find.uri);
    if (find.isPrinter()) {
        o.insert(QStringLiteral("maker"), find.maker());
        o.insert(QStringLiteral("model"), find.model());
        o.insert(QStringLiteral("firmware"), find.report.identity.firmware);
        o.insert(QStringLiteral("serialNumber"), find.serialNumber());
        if (!find.deviceId.commandSet.isEmpty())
            o.insert(QStringLiteral("commandSet"), find.deviceId.commandSet);
        o.insert(QStringLiteral("queues"), QJsonArray::fromStringList(find.queues));
    } else {
        o.insert(QStringLiteral("reason"), notAPrinterText(find, answerMs));
    }
    if (find.asked)
        o.insert(QStringLiteral("status"), reportJson(find.report));
    return o;
}

QString failureText(const FailureReason &reason)
{
    return reason.text.isEmpty() ? Nemboport::tr("the library gives no reason") : reason.text;
}

QStringList noteTexts(const FindNotes &notes)
{
    QStringList texts;
    const QString lib = QLatin1String(kDravikFileName);
    if (notes.usbNotListed)
        texts << Nemboport::tr("USB printers not looked for: %1 lacks the export GetUsbPrinters").arg(lib);
    if (notes.usbFailed)
        texts << Nemboport::tr("USB printers not looked for: %1").arg(failureText(*notes.usbFailed));
    if (notes.serverDevicesFailed) {
        if (notes.serverDevicesFailed->code == DRAVIK_ERROR_NO_PERMISSION)
            texts << Nemboport::tr("the print server shows the USB printers its backend sees only to its "
                                   "administrators (the group lpadmin, or sudo): the printers above are those the "
                                   "kernel's printer driver holds");
        else
            texts << Nemboport::tr("the print server's USB printers not listed: %1")
                         .arg(failureText(*notes.serverDevicesFailed));
    }
    if (notes.serialNotProbed)
        texts << Nemboport::tr("serial ports not probed: %1 lacks GetSystemSerial, OpenComm, CloseComm or "
                               "QueryPrinter")
                     .arg(lib);
    if (notes.queuesNotListed)
        texts << Nemboport::tr("the print queues leading to each printer are not told: %1 lacks the export "
                               "GetPrintDriveDevices")
                     .arg(lib);
    if (notes.queuesFailed)
        texts << Nemboport::tr("the print queues leading to each printer are not told: %1")
                     .arg(failureText(*notes.queuesFailed));
    return texts;
}

class ProgressLine
{
public:
    explicit ProgressLine(CliContext &ctx)
        : ctx_(ctx)
    {
    }
    void show(const FindProgress &p)
    {
        if (!ctx_.outIsTerminal)
            return;
        ctx_.out << '\r'
                 << Nemboport::tr("searching: %1 of %2 looked at, %3 found").arg(p.done).arg(p.total).arg(p.printers)
                 << "   ";
        ctx_.out.flush();
        shown_ = true;
    }
    void clear()
    {
        if (!shown_)
            return;
        ctx_.out << '\r' << QString(60, QLatin1Char(' ')) << '\r';
        ctx_.out.flush();
    }

private:
    CliContext &ctx_;
    bool shown_ = false;
};

} // namespace

int runDiscover(CliContext &ctx, const QStringList &args)
{
    DiscoverOptions o;
    const QString error = readOptions(args, o);
    if (!error.isEmpty())
        return ctx.fail(kExitUsage, error);
    // JSON is for scripts: its texts, and the messages beside it, in English.
    std::optional<EnglishTexts> jsonTexts;
    if (o.json)
        jsonTexts.emplace();

    FindRequest request;
    request.usb = o.usb;
    request.serial = o.serial;
    request.serialPorts = o.serialPorts;
    request.port = o.port;
    if (o.network) {
        const ScanTargets targets = readScanTargets(o.networkWords);
        if (targets.problem != ScanWordProblem::None)
            return ctx.fail(kExitUsage, scanWordsRefusal(targets));
        request.hosts = targets.addresses;
    }
    const DravikBinding *lib = toolLibrary(ctx);
    if (!lib)
        return kExitFailed;

    ProgressLine progress(ctx);
    FindCallbacks callbacks;
    callbacks.progress = [&progress](const FindProgress &p) { progress.show(p); };
    const FindResult result = findPrinters(*lib, request, callbacks);
    progress.clear();

    const int answerMs = request.networkOptions.answerMs;
    const QStringList notes = noteTexts(result.notes);
    if (o.json) {
        QJsonArray finds;
        for (const Find &f : result.finds)
            finds.append(findJson(f, answerMs));
        const QJsonObject top{{QStringLiteral("found"), finds},
                              {QStringLiteral("printers"), result.printers()},
                              {QStringLiteral("notes"), QJsonArray::fromStringList(notes)}};
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
    } else {
        for (const Find &f : result.finds)
            printFind(ctx.out, f, answerMs);
        if (result.printers() > 0)
            ctx.out << Nemboport::tr("%n receipt printer(s) found", nullptr, result.printers()) << '\n';
    }
    ctx.out.flush();
    for (const QString &note : notes)
        ctx.err << "nemboport: " << note << '\n';
    ctx.err.flush();

    if (result.printers() == 0)
        return ctx.fail(kExitFailed, Nemboport::tr("no receipt printer found"));
    if (!o.addGiven)
        return kExitOk;
    std::vector<const Find *> addable;
    for (const Find &f : result.finds)
        if (f.isPrinter() && !f.uri.isEmpty())
            addable.push_back(&f);
    if (addable.size() != 1)
        return ctx.fail(kExitFailed, Nemboport::tr("--add %1 makes a queue for a single printer, and %2 were found: "
                                                   "make it with nemboport add-queue %1 --uri URI")
                                         .arg(o.addName)
                                         .arg(addable.size()));
    return makeQueueAndTell(ctx, *lib, o.addName, addable.front()->uri, o.replace, !o.json);
}
