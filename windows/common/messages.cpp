#include "messages.h"

#include "dravik_binding.h"

#include <QCoreApplication>

namespace messages {

namespace {
constexpr const char *kContext = "messages";

// A text marked with QT_TRANSLATE_NOOP("messages", ...) in language.
QString in(Language language, const char *source, const char *disambiguation = nullptr)
{
    return textIn(language, kContext, source, disambiguation);
}

// A text marked with QT_TRANSLATE_NOOP3("messages", text, disambiguation).
struct Disambiguated
{
    const char *source;
    const char *disambiguation;
};
QString in(Language language, Disambiguated text)
{
    return in(language, text.source, text.disambiguation);
}
} // namespace

Message missingPiece(const DravikBinding &lib, const char *exportName, Language language)
{
    const QString file = QString::fromLatin1(kDravikFileName);
    if (!lib.isLoaded())
        return {in(language, QT_TRANSLATE_NOOP(
                                 "messages", "The printer I/O library %1 could not be loaded, so nothing can be sent."))
                    .arg(file),
                lib.loadError()};
    return {in(language, QT_TRANSLATE_NOOP("messages", "The printer I/O library %1 has no export %2."))
                .arg(file, QString::fromLatin1(exportName)),
            {}};
}

Message serialOpenFailed()
{
    return {QCoreApplication::translate("messages", "Serial port failed to open!!!"), {}};
}

Message serialConnectionError(const QString &port)
{
    // The text ends with a line feed and a carriage return, in that order.
    return {QCoreApplication::translate(
                "messages", "Connection error，Port %1 does not exist or has been occupied by other programs")
                    .arg(port) +
                QStringLiteral("\n\r"),
            {}};
}

Message serialCloseFailed(const QString &printerName)
{
    return {QCoreApplication::translate("messages", "Close the %1port error").arg(printerName), {}};
}

Message baudRateRestart()
{
    return {QCoreApplication::translate("messages", "Baud rate changes, need to restart the printer！！！"), {}};
}

namespace {
// Indexed by the library's failure code; 0 (no code although the call
// failed) reads as "other".
const char *const kReasons[DRAVIK_ERROR_LAST_KNOWN + 1] = {
    QT_TRANSLATE_NOOP("messages", "Something else went wrong."),
    QT_TRANSLATE_NOOP("messages", "The print queue, serial port or printer device was not found."),
    QT_TRANSLATE_NOOP("messages", "The port is held by another program."),
    QT_TRANSLATE_NOOP("messages", "You are not allowed to open the device."),
    QT_TRANSLATE_NOOP("messages", "The printer stopped taking data (timed out)."),
    QT_TRANSLATE_NOOP("messages", "The device was lost: unplugged, closed at the far end, or an I/O error."),
    QT_TRANSLATE_NOOP("messages", "The print server cannot be reached (CUPS is not running or went away)."),
    QT_TRANSLATE_NOOP("messages", "The print queue does not accept jobs."),
    QT_TRANSLATE_NOOP("messages", "A name, length or rate is invalid, or the path is not a device."),
    QT_TRANSLATE_NOOP("messages", "Something else went wrong."),
    QT_TRANSLATE_NOOP("messages", "This connection carries no answers from the printer."),
    QT_TRANSLATE_NOOP("messages", "The job is waiting in the print queue: the printer has not taken it."),
    // One text in two pieces, not two texts short of a comma.
    // NOLINTBEGIN(bugprone-suspicious-missing-comma)
    QT_TRANSLATE_NOOP("messages", "The job was stopped while the print server was handing it to the printer: the "
                                  "printer may have received part or all of it."),
    // NOLINTEND(bugprone-suspicious-missing-comma)
};

QString quoted(const QString &name, Language language)
{
    return in(language, QT_TRANSLATE_NOOP("messages", "\"%1\"")).arg(name);
}

// ": " and what follows, or nothing when there is nothing to follow.
QString colonThen(const QString &text, Language language)
{
    return text.isEmpty() ? QString() : in(language, QT_TRANSLATE_NOOP("messages", ": ")) + text;
}

// The program's sentence for a code, naming the print queue or port where
// the sentence is about it; the plain sentence otherwise.
QString targetSentence(int code, PathKind kind, const QString &name, Language language)
{
    struct Named
    {
        int code;
        PathKind kind;
        const char *text;
    };
    static const Named kNamed[] = {
        {DRAVIK_ERROR_NOT_FOUND, PathKind::Queue, QT_TRANSLATE_NOOP("messages", "There is no print queue %1.")},
        {DRAVIK_ERROR_NOT_FOUND, PathKind::Serial, QT_TRANSLATE_NOOP("messages", "There is no serial port %1.")},
        {DRAVIK_ERROR_NOT_FOUND, PathKind::Port, QT_TRANSLATE_NOOP("messages", "There is no printer port %1.")},
        {DRAVIK_ERROR_BUSY, PathKind::Serial,
         QT_TRANSLATE_NOOP("messages", "The serial port %1 is held by another program.")},
        {DRAVIK_ERROR_BUSY, PathKind::Port,
         QT_TRANSLATE_NOOP("messages", "The printer port %1 is held by another program.")},
        {DRAVIK_ERROR_NO_PERMISSION, PathKind::Serial,
         QT_TRANSLATE_NOOP("messages", "You are not allowed to open the serial port %1.")},
        {DRAVIK_ERROR_NO_PERMISSION, PathKind::Port,
         QT_TRANSLATE_NOOP("messages", "You are not allowed to open the printer port %1.")},
        {DRAVIK_ERROR_QUEUE_REFUSED, PathKind::Queue,
         QT_TRANSLATE_NOOP("messages", "The print queue %1 does not accept jobs.")},
    };
    if (!name.trimmed().isEmpty())
        for (const Named &n : kNamed)
            if (n.code == code && n.kind == kind)
                return in(language, n.text).arg(name);
    return reasonSentence(code, language);
}

// The reason a status line gives: the program's sentence, naming the target
// where it can. The library's own text is the record's detail, never the
// status line's: a library that tells no code is said to tell none.
QString shortReason(const FailureReason &reason, Language language, PathKind kind = PathKind::None,
                    const QString &name = {})
{
    const QString sentence = targetSentence(reason.code, kind, name, language);
    if (!sentence.isEmpty() || reason.text.isEmpty())
        return sentence;
    return in(language, QT_TRANSLATE_NOOP("messages", "The printer I/O library gave no reason code (the record "
                                                      "keeps its text)."));
}

QString withReason(const QString &text, const FailureReason &reason, Language language)
{
    const QString sentence = reasonSentence(reason.code, language);
    if (sentence.isEmpty())
        return text;
    return in(language, QT_TRANSLATE_NOOP3("messages", "%1 %2", "a text and its reason")).arg(text, sentence);
}
} // namespace

QString reasonSentence(int code, Language language)
{
    if (code < DRAVIK_ERROR_NONE)
        return {};
    return in(language, kReasons[code > DRAVIK_ERROR_LAST_KNOWN ? DRAVIK_ERROR_OTHER : code]);
}

QString reasonLine(const FailureReason &reason, Language language)
{
    const QString sentence = reasonSentence(reason.code, language);
    if (sentence.isEmpty())
        return reason.text;
    return reason.text.isEmpty() ? sentence : sentence + QStringLiteral(" (") + reason.text + QLatin1Char(')');
}

Message sendFailed(const QString &what, const FailureReason &reason, Language language)
{
    const QString text =
        in(language, QT_TRANSLATE_NOOP("messages", "%1 could not be sent.")).arg(quoted(what, language));
    return {withReason(text, reason, language), reason.text};
}

Message updateStopped(const QString &step, int sentBefore, int selected, const FailureReason &reason)
{
    const Language language = currentLanguage();
    const QString text =
        QCoreApplication::translate("messages", "The one-key update stopped at %1: it could not be sent. %2 of "
                                                "the %3 selected steps were sent before it.")
            .arg(quoted(step, language))
            .arg(sentBefore)
            .arg(selected);
    return {withReason(text, reason, language), reason.text};
}

Message logoNotStored(const FailureReason &reason)
{
    return {
        withReason(QStringLiteral("\"Download to Flash\" could not be sent: the logo was not stored in the printer."),
                   reason, Language::English),
        reason.text};
}

Message logoFitQuestion(const QSize &loaded, const QSize &fitted)
{
    return {QStringLiteral("The picture is %1 x %2 dots, wider than the paper's %3 dots. Scale it down to %3 x %4 "
                           "(the proportions kept)?")
                .arg(loaded.width())
                .arg(loaded.height())
                .arg(fitted.width())
                .arg(fitted.height()),
            QStringLiteral("No keeps the picture out of the slot.")};
}

QString logoSizeStatus(const QSize &loaded, const QSize &stored)
{
    const QString size = QStringLiteral("%1x%2").arg(stored.width()).arg(stored.height());
    if (loaded == stored)
        return size;
    return QStringLiteral("%1 (from %2x%3%4)")
        .arg(size)
        .arg(loaded.width())
        .arg(loaded.height())
        .arg(loaded.width() != stored.width() ? QStringLiteral(", scaled") : QStringLiteral(", white rows added"));
}

QString sendStatus(const PrinterTarget &target, const QString &name, std::size_t length, bool sent,
                   const FailureReason &reason, Language language)
{
    const bool queue = target.isQueue();
    const QString n = quoted(name, language);
    const QString bytes = QString::number(qulonglong(length));
    const QString &to = target.printerName;
    if (sent && queue)
        return in(language, QT_TRANSLATE_NOOP("messages", "Sent %1 bytes %2 to %3: queued by the print server"))
            .arg(bytes, n, to);
    if (sent)
        return in(language, QT_TRANSLATE_NOOP("messages", "Sent %1 bytes %2: written to %3")).arg(bytes, n, to);
    return in(language, QT_TRANSLATE_NOOP("messages", "Sending %1 bytes %2 to %3 failed%4"))
        .arg(bytes, n, to, colonThen(shortReason(reason, language, target.kind(), to), language));
}

QString followedStatus(const PrinterTarget &target, const QString &name, std::size_t length, JobFate fate,
                       bool withdrawn, Language language)
{
    const char *text =
        fate == JobFate::Printed ? QT_TRANSLATE_NOOP("messages", "Sent %1 bytes %2 to %3: the printer took it")
        : withdrawn              ? QT_TRANSLATE_NOOP("messages",
                                                     "Sent %1 bytes %2 to %3: the printer did not take it; the job was withdrawn")
                                 : QT_TRANSLATE_NOOP("messages",
                                                     "Sent %1 bytes %2 to %3: the printer did not take it; the job was left queued");
    return in(language, text).arg(QString::number(qulonglong(length)), quoted(name, language), target.printerName);
}

Message jobWaiting(const QString &what, const QString &queue, const FailureReason &reason, Language language)
{
    const QString text =
        in(language, QT_TRANSLATE_NOOP("messages", "%1 is still waiting in the print queue %2: the printer has "
                                                   "not taken it.\nWithdraw the job from the queue? (No leaves it "
                                                   "queued: it prints whenever the printer takes it.)"))
            .arg(quoted(what, language), queue);
    return {text, reasonLine(reason, language)};
}

Message jobNotWithdrawn(const QString &what, const QString &queue, const FailureReason &reason, Language language)
{
    const QString text =
        in(language,
           QT_TRANSLATE_NOOP("messages", "%1 could not be withdrawn from the print queue %2: the job is still queued."))
            .arg(quoted(what, language), queue);
    return {withReason(text, reason, language), reason.text};
}

QString stoppedWhilePrintingStatus(const PrinterTarget &target, const QString &name, std::size_t length,
                                   Language language)
{
    return in(language, QT_TRANSLATE_NOOP("messages", "Sent %1 bytes %2 to %3: stopped while printing: the printer "
                                                      "may have received part or all of it"))
        .arg(QString::number(qulonglong(length)), quoted(name, language), target.printerName);
}

Message updateStoppedWaiting(const QString &step, int sentBefore, int selected, CommandEnd end)
{
    const Language language = currentLanguage();
    if (end == CommandEnd::StoppedWhilePrinting)
        return {QCoreApplication::translate("messages",
                                            "The one-key update stopped at %1: its job was stopped while printing, "
                                            "so the printer may have received part or all of it. %2 of the %3 "
                                            "selected steps were sent before it.")
                    .arg(quoted(step, language))
                    .arg(sentBefore)
                    .arg(selected),
                {}};
    const QString fate = end == CommandEnd::Withdrawn
                             ? QCoreApplication::translate("messages", "the job was withdrawn")
                             : QCoreApplication::translate("messages", "the job was left queued");
    const QString text =
        QCoreApplication::translate("messages", "The one-key update stopped at %1: the printer did not take it "
                                                "(%2). %3 of the %4 selected steps were sent before it.")
            .arg(quoted(step, language), fate)
            .arg(sentBefore)
            .arg(selected);
    return {text, {}};
}

Message noDevice(const QString &portName, Language language)
{
    if (pathKindOf(portName) == PathKind::None)
        return {in(language, QT_TRANSLATE_NOOP("messages", "Choose a print queue, a serial port or a printer port "
                                                           "in the connection group first.")),
                {}};
    if (pathKindOf(portName) == PathKind::Queue)
        return {in(language, QT_TRANSLATE_NOOP("messages",
                                               "There is no print queue to send to. Add a printer, or press Refresh.")),
                {}};
    if (pathKindOf(portName) == PathKind::Serial)
        return {in(language, QT_TRANSLATE_NOOP("messages", "No serial port is chosen, so nothing can be sent.")), {}};
    return {in(language, QT_TRANSLATE_NOOP("messages", "No printer port is chosen, so nothing can be sent.")), {}};
}

QString listStatus(int queues, int serialPorts, int printerPorts, const FailureReason *queueFailure)
{
    const QString found =
        QCoreApplication::translate("messages", "Found %1 print queues, %2 serial ports and %3 printer ports")
            .arg(queues)
            .arg(serialPorts)
            .arg(printerPorts);
    if (!queueFailure)
        return found;
    return QCoreApplication::translate("messages", "%1; the print queues could not be listed: %2")
        .arg(found, shortReason(*queueFailure, currentLanguage()));
}

QString serialOpenStatus(const QString &port, int baudRate, bool ok, const FailureReason &reason)
{
    if (ok)
        return QCoreApplication::translate("messages", "Serial port %1 opened at %2 baud").arg(port).arg(baudRate);
    const Language language = currentLanguage();
    return QCoreApplication::translate("messages", "Serial port %1 could not be opened%2")
        .arg(port, colonThen(shortReason(reason, language, PathKind::Serial, port), language));
}

QString serialCloseStatus(const QString &port, bool ok, const FailureReason &reason)
{
    if (ok)
        return QCoreApplication::translate("messages", "Serial port %1 closed").arg(port);
    const Language language = currentLanguage();
    return QCoreApplication::translate("messages", "Serial port %1 could not be closed%2")
        .arg(port, colonThen(shortReason(reason, language, PathKind::Serial, port), language));
}

QString queueStateText(const QueueState &queue)
{
    QStringList parts;
    if (queue.state == QLatin1String("idle"))
        parts << QCoreApplication::translate("messages", "idle");
    else if (queue.state == QLatin1String("printing"))
        parts << QCoreApplication::translate("messages", "printing");
    else if (queue.state == QLatin1String("stopped"))
        parts << QCoreApplication::translate("messages", "paused");
    else
        parts << queue.state;
    if (!queue.accepting)
        parts << QCoreApplication::translate("messages", "not accepting jobs");
    QString text = parts.join(QCoreApplication::translate("messages", ", "));
    QStringList more = queue.reasons;
    more.removeAll(QStringLiteral("paused")); // already said
    if (!more.isEmpty())
        text += QCoreApplication::translate("messages", " (%1)").arg(more.join(QStringLiteral(", ")));
    if (!queue.message.isEmpty())
        text += QCoreApplication::translate("messages", ": ") + queue.message;
    return text;
}

QString queueChosenStatus(const QueueState &queue)
{
    return QCoreApplication::translate("messages", "Print queue %1: %2").arg(queue.name, queueStateText(queue));
}

QString profileSaved(const QString &path, int settings)
{
    return QCoreApplication::translate("messages", "Saved %1 settings and the connection as the profile %2")
        .arg(settings)
        .arg(path);
}

QString profileOpened(const QString &path, int settings)
{
    return QCoreApplication::translate("messages", "Opened the profile %1: %2 settings selected, nothing sent")
        .arg(path)
        .arg(settings);
}

Message profileNotSaved(const QString &path, const QString &reason)
{
    return {path.isEmpty() ? QCoreApplication::translate("messages", "The settings could not be saved as a profile.")
                           : QCoreApplication::translate("messages", "The profile %1 could not be saved.").arg(path),
            reason};
}

Message profileNotOpened(const QString &path, const QString &reason)
{
    return {QCoreApplication::translate("messages", "The profile %1 could not be opened.").arg(path), reason};
}

QString updateEnded(int done, int wanted, const QString &stoppedAt)
{
    if (wanted == 0)
        return QCoreApplication::translate("messages",
                                           "The one-key update sent nothing: every group is set to No Set.");
    if (!stoppedAt.isEmpty())
        return QCoreApplication::translate("messages", "The one-key update stopped at %1 after %2 of %3 settings.")
            .arg(quoted(stoppedAt, currentLanguage()))
            .arg(done)
            .arg(wanted);
    if (done < wanted)
        return QCoreApplication::translate("messages", "%1 of %2 settings sent; the printer took them. The rest were "
                                                       "left out: the baud rate closed the serial port.")
            .arg(done)
            .arg(wanted);
    return QCoreApplication::translate("messages", "%1 of %2 settings sent; the printer took them.")
        .arg(done)
        .arg(wanted);
}

QString setBack(const QStringList &parts)
{
    return QCoreApplication::translate("messages", "Set back as designed: %1.")
        .arg(parts.join(QCoreApplication::translate("messages", "; ")));
}

QString setBackGroups()
{
    return QCoreApplication::translate("messages", "every group to No Set");
}

QString setBackDarkness(const QString &level)
{
    return QCoreApplication::translate("messages", "darkness to %1").arg(level);
}

QString tryingRate(const QString &port, std::uint32_t rate, int place, int count)
{
    return QCoreApplication::translate("messages", "Finding the rate of %1: trying %2 baud (%3 of %4)...")
        .arg(port)
        .arg(rate)
        .arg(place)
        .arg(count);
}

QString rateFound(const QString &port, std::uint32_t rate)
{
    return QCoreApplication::translate("messages",
                                       "The printer on %1 answers at %2 baud: the rate list shows it; press OpenCOM.")
        .arg(port)
        .arg(rate);
}

QString rateNotFound(const QString &port, const QString &problem)
{
    if (problem.isEmpty())
        return QCoreApplication::translate(
                   "messages",
                   "No printer answered on %1 at any rate: check that it is on, connected and its cable sound.")
            .arg(port);
    return QCoreApplication::translate("messages", "The rate of %1 could not be found: %2").arg(port, problem);
}

QString setBackCodePage(const QString &entry)
{
    return QCoreApplication::translate("messages", "the code page to %1").arg(entry);
}

QString notReadyConditions(printer_status::Conditions conditions, Language language)
{
    QStringList names;
    for (const printer_status::ConditionName &n : printer_status::conditionNames())
        if (conditions & n.condition & printer_status::kNotReady)
            names << textIn(language, printer_status::kConditionContext, n.text);
    return names.join(in(language, QT_TRANSLATE_NOOP3("messages", ", ", "between conditions")));
}

QString notReadyStatus(const PrinterTarget &target, const QString &name, std::size_t length,
                       printer_status::Conditions conditions, Language language)
{
    return in(language, QT_TRANSLATE_NOOP(
                            "messages", "Sent %1 bytes %2 to %3: the printer took it but reports %4: nothing printed"))
        .arg(QString::number(qulonglong(length)), quoted(name, language), target.printerName,
             notReadyConditions(conditions, language));
}

Message updateStoppedNotReady(const QString &step, int sentBefore, int selected, printer_status::Conditions conditions)
{
    const Language language = currentLanguage();
    return {QCoreApplication::translate("messages", "The one-key update stopped at %1: the printer took it but "
                                                    "reports %2, so nothing printed. %3 of the %4 selected steps "
                                                    "were sent before it.")
                .arg(quoted(step, language), notReadyConditions(conditions, language))
                .arg(sentBefore)
                .arg(selected),
            {}};
}

namespace {
QString conditionsLine(printer_status::Conditions conditions, Language language)
{
    QStringList names;
    for (const printer_status::ConditionName &n : printer_status::conditionNames())
        if (conditions & n.condition)
            names << textIn(language, printer_status::kConditionContext, n.text);
    if (!(conditions & printer_status::Offline))
        names.prepend(
            textIn(language, printer_status::kConditionContext, QT_TRANSLATE_NOOP("printer condition", "on-line")));
    return in(language, QT_TRANSLATE_NOOP("messages", "Conditions: %1"))
        .arg(names.join(in(language, QT_TRANSLATE_NOOP3("messages", ", ", "between conditions"))));
}

} // namespace

QString identityLine(const PrinterIdentity &id, Language language)
{
    const struct
    {
        const QString *value;
        const char *name;
    } parts[] = {{&id.maker, QT_TRANSLATE_NOOP("messages", "maker")},
                 {&id.model, QT_TRANSLATE_NOOP("messages", "model")},
                 {&id.firmware, QT_TRANSLATE_NOOP("messages", "firmware")},
                 {&id.serialNumber, QT_TRANSLATE_NOOP("messages", "serial number")}};
    QStringList out;
    for (const auto &p : parts)
        if (!p.value->isEmpty())
            out << in(language, QT_TRANSLATE_NOOP("messages", "%1: %2")).arg(in(language, p.name), *p.value);
    return out.join(in(language, QT_TRANSLATE_NOOP("messages", ", ")));
}

IndicatorView indicatorView(const PrinterReport &report, Language language)
{
    using printer_status::Summary;
    IndicatorView v;
    switch (report.state) {
    case QueryState::Answered: {
        const Summary summary = printer_status::summarize(report.conditions);
        static const struct
        {
            Summary summary;
            const char *text;
            IndicatorColour colour;
        } kWords[] = {{Summary::Ready, QT_TRANSLATE_NOOP("messages", "Ready"), IndicatorColour::Green},
                      {Summary::PaperNearEnd, QT_TRANSLATE_NOOP("messages", "Paper near end"), IndicatorColour::Amber},
                      {Summary::PaperOut, QT_TRANSLATE_NOOP("messages", "Paper out"), IndicatorColour::Red},
                      {Summary::CoverOpen, QT_TRANSLATE_NOOP("messages", "Cover open"), IndicatorColour::Red},
                      {Summary::Offline, QT_TRANSLATE_NOOP("messages", "Off-line"), IndicatorColour::Red},
                      {Summary::Error, QT_TRANSLATE_NOOP("messages", "Error"), IndicatorColour::Red}};
        for (const auto &w : kWords)
            if (w.summary == summary) {
                v.text = in(language, w.text);
                v.colour = w.colour;
            }
        QStringList lines{conditionsLine(report.conditions, language)};
        const QString id = identityLine(report.identity, language);
        if (!id.isEmpty())
            lines << id;
        if (report.answerMs >= 0)
            lines << in(language, QT_TRANSLATE_NOOP("messages", "Answered in %1 ms")).arg(report.answerMs);
        if (!report.unanswered.isEmpty())
            lines << in(language, QT_TRANSLATE_NOOP("messages", "Left unanswered: %1"))
                         .arg(report.unanswered.join(QStringLiteral(", ")));
        v.tooltip = lines.join(QLatin1Char('\n'));
        v.recordLine = in(language, QT_TRANSLATE_NOOP("messages", "%1. %2"))
                           .arg(v.text, lines.join(in(language, QT_TRANSLATE_NOOP("messages", "; "))));
        return v;
    }
    case QueryState::NoAnswer:
        v.text = in(language, QT_TRANSLATE_NOOP("messages", "No answer"));
        v.tooltip = in(language, QT_TRANSLATE_NOOP("messages",
                                                   "The printer did not answer: check that it is on and connected, and "
                                                   "over a serial port that the baud rate is the printer's."));
        break;
    case QueryState::NotAPrinter:
        v.text = in(language, QT_TRANSLATE_NOOP("messages", "No answer"));
        v.tooltip = in(language, QT_TRANSLATE_NOOP("messages",
                                                   "What came back is not a receipt printer's status answer (a serial "
                                                   "port at the wrong baud rate reads like this)."));
        break;
    case QueryState::Failed:
        v.text = in(language, QT_TRANSLATE_NOOP("messages", "No answer"));
        v.tooltip = reasonLine(report.reason, language);
        break;
    case QueryState::NoAnswers:
        v.text = in(language, QT_TRANSLATE_NOOP("messages", "Not available on this connection"));
        v.tooltip = reasonLine(report.reason, language);
        break;
    case QueryState::NoExport:
    case QueryState::NoLibrary:
        v.text = in(language, QT_TRANSLATE_NOOP("messages", "Not available on this connection"));
        v.tooltip =
            in(language, QT_TRANSLATE_NOOP("messages", "The printer I/O library %1 cannot ask the printer (it has no "
                                                       "QueryPrinter)."))
                .arg(QString::fromLatin1(kDravikFileName));
        break;
    }
    v.colour = report.state == QueryState::NoAnswer || report.state == QueryState::NotAPrinter ||
                       report.state == QueryState::Failed
                   ? IndicatorColour::Red
                   : IndicatorColour::Grey;
    v.recordLine = in(language, QT_TRANSLATE_NOOP("messages", "%1: %2")).arg(v.text, v.tooltip);
    return v;
}

IndicatorView indicatorView(const PrinterReport &report, const QueueState &queue, Language language)
{
    IndicatorView v = indicatorView(report, language);
    if (queue.usable())
        return v;
    v.text = queue.accepting ? in(language, QT_TRANSLATE_NOOP("messages", "Queue paused"))
                             : in(language, QT_TRANSLATE_NOOP("messages", "Queue not accepting jobs"));
    v.colour = IndicatorColour::Amber;
    const QString state =
        in(language, QT_TRANSLATE_NOOP("messages", "Print queue %1: %2")).arg(queue.name, queueStateText(queue));
    v.tooltip = state + QLatin1Char('\n') + v.tooltip;
    v.recordLine = in(language, QT_TRANSLATE_NOOP("messages", "%1: %2")).arg(v.text, state);
    return v;
}

} // namespace messages
