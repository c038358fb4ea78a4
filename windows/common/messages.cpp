#include "messages.h"

#include "dravik_binding.h"

namespace messages {

namespace {
QString pick(bool chinese, const char *zh, const char *en)
{
    return QString::fromUtf8(chinese ? zh : en);
}
} // namespace

Message missingPiece(const DravikBinding &lib, const char *exportName, bool chinese)
{
    const QString file = QString::fromLatin1(kDravikFileName);
    if (!lib.isLoaded())
        return {pick(chinese, "无法加载打印机 I/O 库 %1，无法发送。",
                     "The printer I/O library %1 could not be loaded, so nothing can be sent.")
                    .arg(file),
                lib.loadError()};
    return {pick(chinese, "打印机 I/O 库 %1 缺少导出函数 %2。", "The printer I/O library %1 has no export %2.")
                .arg(file, QString::fromLatin1(exportName)),
            {}};
}

Message serialOpenFailed(bool chinese)
{
    return {pick(chinese, "串口打开失败!!!", "Serial port failed to open!!!"), {}};
}

Message serialConnectionError(const QString &port, bool chinese)
{
    // Both texts end with a line feed and a carriage return, in that order.
    if (chinese)
        return {QString::fromUtf8("连接出错，端口") + port + QString::fromUtf8("不存在或已被其它程序占用") +
                    QStringLiteral("\n\r"),
                {}};
    return {QString::fromUtf8("Connection error，Port ") + port +
                QStringLiteral(" does not exist or has been occupied by other programs\n\r"),
            {}};
}

Message serialCloseFailed(const QString &printerName, bool chinese)
{
    if (chinese)
        return {QString::fromUtf8("关闭端口") + printerName + QString::fromUtf8("错误"), {}};
    return {QStringLiteral("Close the ") + printerName + QStringLiteral("port error"), {}};
}

Message baudRateRestart(bool chinese)
{
    return {
        pick(chinese, "波特率修改后，需要重新启动打印机！！！", "Baud rate changes, need to restart the printer！！！"),
        {}};
}

namespace {
// Indexed by the library's failure code; 0 (no code although the call
// failed) reads as "other".
const char *const kReasons[12][2] = {
    {"发生了其他错误。", "Something else went wrong."},
    {"找不到该打印队列、串口或打印机设备。", "The print queue, serial port or printer device was not found."},
    {"该端口正被其它程序占用。", "The port is held by another program."},
    {"没有打开该设备的权限。", "You are not allowed to open the device."},
    {"打印机停止接收数据（超时）。", "The printer stopped taking data (timed out)."},
    {"设备已断开或出现输入输出错误。", "The device was lost: unplugged, closed at the far end, or an I/O error."},
    {"无法连接打印服务器（CUPS 未运行或已退出）。",
     "The print server cannot be reached (CUPS is not running or went away)."},
    {"打印队列拒绝接收作业。", "The print queue does not accept jobs."},
    {"名称、长度或速率无效，或该路径不是设备。", "A name, length or rate is invalid, or the path is not a device."},
    {"发生了其他错误。", "Something else went wrong."},
    {"此连接无法读回打印机的应答。", "This connection carries no answers from the printer."},
    {"作业在打印队列中等待，打印机尚未接收。", "The job is waiting in the print queue: the printer has not taken it."},
};

QString quoted(const QString &name, bool chinese)
{
    return chinese ? QString::fromUtf8("“%1”").arg(name) : QStringLiteral("\"%1\"").arg(name);
}

// The reason for the text itself: the program's sentence, else the library's text.
QString shortReason(const FailureReason &reason, bool chinese)
{
    const QString sentence = reasonSentence(reason.code, chinese);
    return sentence.isEmpty() ? reason.text : sentence;
}

QString withReason(QString text, const FailureReason &reason, bool chinese)
{
    const QString sentence = reasonSentence(reason.code, chinese);
    if (!sentence.isEmpty())
        text += (chinese ? QString() : QStringLiteral(" ")) + sentence;
    return text;
}
} // namespace

QString reasonSentence(int code, bool chinese)
{
    if (code < 0)
        return {};
    return QString::fromUtf8(kReasons[code > 11 ? 9 : code][chinese ? 0 : 1]);
}

QString reasonLine(const FailureReason &reason, bool chinese)
{
    const QString sentence = reasonSentence(reason.code, chinese);
    if (sentence.isEmpty())
        return reason.text;
    return reason.text.isEmpty() ? sentence : sentence + QStringLiteral(" (") + reason.text + QLatin1Char(')');
}

Message sendFailed(const QString &what, const FailureReason &reason, bool chinese)
{
    const QString text = chinese ? QString::fromUtf8("%1发送失败。").arg(quoted(what, true))
                                 : QStringLiteral("%1 could not be sent.").arg(quoted(what, false));
    return {withReason(text, reason, chinese), reason.text};
}

Message updateStopped(const QString &step, int sentBefore, int selected, const FailureReason &reason, bool chinese)
{
    const QString text =
        chinese ? QString::fromUtf8("一键更新在%1处停止：该项发送失败，所选 %2 项中此前已发送 %3 项。")
                      .arg(quoted(step, true))
                      .arg(selected)
                      .arg(sentBefore)
                : QStringLiteral("The one-key update stopped at %1: it could not be sent. %2 of the %3 selected steps "
                                 "were sent before it.")
                      .arg(quoted(step, false))
                      .arg(sentBefore)
                      .arg(selected);
    return {withReason(text, reason, chinese), reason.text};
}

Message logoNotStored(const FailureReason &reason)
{
    return {
        withReason(QStringLiteral("\"Download to Flash\" could not be sent: the logo was not stored in the printer."),
                   reason, false),
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
                   const FailureReason &reason, bool chinese)
{
    const bool queue = target.isQueue();
    const QString n = quoted(name, chinese);
    const QString bytes = QString::number(qulonglong(length));
    const QString &to = target.printerName;
    if (sent) {
        if (queue)
            return chinese ? QString::fromUtf8("已发送 %1 字节 %2 到 %3：已由打印服务器排队").arg(bytes, n, to)
                           : QStringLiteral("Sent %1 bytes %2 to %3: queued by the print server").arg(bytes, n, to);
        return chinese ? QString::fromUtf8("已发送 %1 字节 %2：已写入 %3").arg(bytes, n, to)
                       : QStringLiteral("Sent %1 bytes %2: written to %3").arg(bytes, n, to);
    }
    const QString why = shortReason(reason, chinese);
    return chinese ? QString::fromUtf8("发送 %1 字节 %2 到 %3 失败%4")
                         .arg(bytes, n, to, why.isEmpty() ? QString() : QString::fromUtf8("：") + why)
                   : QStringLiteral("Sending %1 bytes %2 to %3 failed%4")
                         .arg(bytes, n, to, why.isEmpty() ? QString() : QStringLiteral(": ") + why);
}

QString followedStatus(const PrinterTarget &target, const QString &name, std::size_t length, JobFate fate,
                       bool withdrawn, bool chinese)
{
    const QString n = quoted(name, chinese);
    const QString bytes = QString::number(qulonglong(length));
    const QString &to = target.printerName;
    if (fate == JobFate::Printed)
        return chinese ? QString::fromUtf8("已发送 %1 字节 %2 到 %3：打印机已接收").arg(bytes, n, to)
                       : QStringLiteral("Sent %1 bytes %2 to %3: the printer took it").arg(bytes, n, to);
    if (withdrawn)
        return chinese ? QString::fromUtf8("已发送 %1 字节 %2 到 %3：打印机未接收，作业已从队列撤回").arg(bytes, n, to)
                       : QStringLiteral("Sent %1 bytes %2 to %3: the printer did not take it; the job was withdrawn")
                             .arg(bytes, n, to);
    return chinese ? QString::fromUtf8("已发送 %1 字节 %2 到 %3：打印机未接收，作业仍留在队列中").arg(bytes, n, to)
                   : QStringLiteral("Sent %1 bytes %2 to %3: the printer did not take it; the job was left queued")
                         .arg(bytes, n, to);
}

Message jobWaiting(const QString &what, const QString &queue, const FailureReason &reason, bool chinese)
{
    const QString text =
        chinese ? QString::fromUtf8("%1仍在打印队列 %2 中等待，打印机尚未接收。\n要从队列撤回该作业吗？"
                                    "（选“否”则留在队列中，打印机恢复后才会打印。）")
                      .arg(quoted(what, true), queue)
                : QStringLiteral("%1 is still waiting in the print queue %2: the printer has not taken it.\nWithdraw "
                                 "the job from the queue? (No leaves it queued: it prints whenever the printer takes "
                                 "it.)")
                      .arg(quoted(what, false), queue);
    return {text, reasonLine(reason, chinese)};
}

Message jobNotWithdrawn(const QString &what, const QString &queue, const FailureReason &reason, bool chinese)
{
    const QString text =
        chinese ? QString::fromUtf8("无法从打印队列 %2 撤回%1：该作业仍在队列中。").arg(quoted(what, true), queue)
                : QStringLiteral("%1 could not be withdrawn from the print queue %2: the job is still "
                                 "queued.")
                      .arg(quoted(what, false), queue);
    return {withReason(text, reason, chinese), reason.text};
}

Message updateStoppedWaiting(const QString &step, int sentBefore, int selected, bool withdrawn, bool chinese)
{
    const QString fate = chinese ? QString::fromUtf8(withdrawn ? "作业已撤回" : "作业仍留在队列中")
                                 : QString::fromLatin1(withdrawn ? "the job was withdrawn" : "the job was left queued");
    const QString text =
        chinese ? QString::fromUtf8("一键更新在%1处停止：打印机未接收该项（%2），所选 %3 项中此前已发送 %4 项。")
                      .arg(quoted(step, true), fate)
                      .arg(selected)
                      .arg(sentBefore)
                : QStringLiteral("The one-key update stopped at %1: the printer did not take it (%2). %3 of the %4 "
                                 "selected steps were sent before it.")
                      .arg(quoted(step, false), fate)
                      .arg(sentBefore)
                      .arg(selected);
    return {text, {}};
}

Message noDevice(const QString &portName, bool chinese)
{
    if (pathKindOf(portName) == PathKind::Queue)
        return {pick(chinese, "没有可用的打印队列，无法发送。请添加打印机或点击“刷新”。",
                     "There is no print queue to send to. Add a printer, or press Refresh."),
                {}};
    if (pathKindOf(portName) == PathKind::Serial)
        return {pick(chinese, "没有选择串口，无法发送。", "No serial port is chosen, so nothing can be sent."), {}};
    return {pick(chinese, "没有选择打印机端口，无法发送。", "No printer port is chosen, so nothing can be sent."), {}};
}

QString listStatus(int queues, int serialPorts, int printerPorts, const FailureReason *queueFailure, bool chinese)
{
    const QString found = chinese ? QString::fromUtf8("找到 %1 个打印队列、%2 个串口和 %3 个打印机端口")
                                        .arg(queues)
                                        .arg(serialPorts)
                                        .arg(printerPorts)
                                  : QStringLiteral("Found %1 print queues, %2 serial ports and %3 printer ports")
                                        .arg(queues)
                                        .arg(serialPorts)
                                        .arg(printerPorts);
    if (!queueFailure)
        return found;
    const QString why = reasonLine(*queueFailure, chinese);
    return chinese ? QString::fromUtf8("%1；无法列出打印队列：%2").arg(found, why)
                   : QStringLiteral("%1; the print queues could not be listed: %2").arg(found, why);
}

QString serialOpenStatus(const QString &port, int baudRate, bool ok, const FailureReason &reason, bool chinese)
{
    if (ok)
        return chinese ? QString::fromUtf8("串口 %1 已打开，波特率 %2").arg(port).arg(baudRate)
                       : QStringLiteral("Serial port %1 opened at %2 baud").arg(port).arg(baudRate);
    const QString why = shortReason(reason, chinese);
    return chinese ? QString::fromUtf8("串口 %1 打开失败%2")
                         .arg(port, why.isEmpty() ? QString() : QString::fromUtf8("：") + why)
                   : QStringLiteral("Serial port %1 could not be opened%2")
                         .arg(port, why.isEmpty() ? QString() : QStringLiteral(": ") + why);
}

QString serialCloseStatus(const QString &port, bool ok, const FailureReason &reason, bool chinese)
{
    if (ok)
        return chinese ? QString::fromUtf8("串口 %1 已关闭").arg(port)
                       : QStringLiteral("Serial port %1 closed").arg(port);
    const QString why = shortReason(reason, chinese);
    return chinese ? QString::fromUtf8("串口 %1 关闭失败%2")
                         .arg(port, why.isEmpty() ? QString() : QString::fromUtf8("：") + why)
                   : QStringLiteral("Serial port %1 could not be closed%2")
                         .arg(port, why.isEmpty() ? QString() : QStringLiteral(": ") + why);
}

QString queueStateText(const QueueState &queue, bool chinese)
{
    if (!chinese)
        return queue.describe();
    QStringList parts;
    if (queue.state == QLatin1String("idle"))
        parts << QString::fromUtf8("空闲");
    else if (queue.state == QLatin1String("printing"))
        parts << QString::fromUtf8("正在打印");
    else if (queue.state == QLatin1String("stopped"))
        parts << QString::fromUtf8("已暂停");
    else
        parts << queue.state;
    if (!queue.accepting)
        parts << QString::fromUtf8("不接收作业");
    QString text = parts.join(QString::fromUtf8("，"));
    QStringList more = queue.reasons;
    more.removeAll(QStringLiteral("paused"));
    if (!more.isEmpty())
        text += QString::fromUtf8("（%1）").arg(more.join(QStringLiteral(", ")));
    if (!queue.message.isEmpty())
        text += QString::fromUtf8("：") + queue.message;
    return text;
}

QString queueChosenStatus(const QueueState &queue, bool chinese)
{
    const QString state = queueStateText(queue, chinese);
    return chinese ? QString::fromUtf8("打印队列 %1：%2").arg(queue.name, state)
                   : QStringLiteral("Print queue %1: %2").arg(queue.name, state);
}

namespace {
// The Chinese names of the printer's conditions, in the order the core lists them.
const char *conditionChinese(printer_status::Condition c)
{
    using namespace printer_status;
    switch (c) {
    case Offline:
        return "脱机";
    case CoverOpen:
        return "上盖打开";
    case FedByButton:
        return "正在按键走纸";
    case PaperNearEnd:
        return "纸将尽";
    case PaperOut:
        return "缺纸";
    case Error:
        return "出错，已停止打印";
    case MechanicalError:
        return "机械错误";
    case CutterError:
        return "切刀错误";
    case UnrecoverableError:
        return "不可恢复的错误";
    case AutoRecoverableError:
        return "可自动恢复的错误";
    case DrawerPinHigh:
        return "钱箱引脚为高电平";
    }
    return "?";
}

QString conditionsLine(printer_status::Conditions conditions, bool chinese)
{
    QStringList names;
    for (const printer_status::ConditionName &n : printer_status::conditionNames())
        if (conditions & n.condition)
            names << (chinese ? QString::fromUtf8(conditionChinese(n.condition)) : QString::fromLatin1(n.text));
    if (!(conditions & printer_status::Offline))
        names.prepend(pick(chinese, "联机", "on-line"));
    return chinese ? QString::fromUtf8("状态：") + names.join(QString::fromUtf8("、"))
                   : QStringLiteral("Conditions: ") + names.join(QStringLiteral(", "));
}

QString identityLine(const PrinterIdentity &id, bool chinese)
{
    const struct
    {
        const QString *value;
        const char *zh, *en;
    } parts[] = {{&id.maker, "厂商", "maker"},
                 {&id.model, "型号", "model"},
                 {&id.firmware, "固件", "firmware"},
                 {&id.serialNumber, "序列号", "serial number"}};
    QStringList out;
    for (const auto &p : parts)
        if (!p.value->isEmpty())
            out << (chinese ? QString::fromUtf8(p.zh) + QString::fromUtf8("：")
                            : QString::fromLatin1(p.en) + QStringLiteral(": ")) +
                       *p.value;
    return out.join(chinese ? QString::fromUtf8("，") : QStringLiteral(", "));
}
} // namespace

IndicatorView indicatorView(const PrinterReport &report, bool chinese)
{
    using printer_status::Summary;
    IndicatorView v;
    switch (report.state) {
    case QueryState::Answered: {
        const Summary summary = printer_status::summarize(report.conditions);
        static const struct
        {
            Summary summary;
            const char *zh, *en;
            IndicatorColour colour;
        } kWords[] = {{Summary::Ready, "就绪", "Ready", IndicatorColour::Green},
                      {Summary::PaperNearEnd, "纸将尽", "Paper near end", IndicatorColour::Amber},
                      {Summary::PaperOut, "缺纸", "Paper out", IndicatorColour::Red},
                      {Summary::CoverOpen, "上盖打开", "Cover open", IndicatorColour::Red},
                      {Summary::Offline, "脱机", "Off-line", IndicatorColour::Red},
                      {Summary::Error, "错误", "Error", IndicatorColour::Red}};
        for (const auto &w : kWords)
            if (w.summary == summary) {
                v.text = pick(chinese, w.zh, w.en);
                v.colour = w.colour;
            }
        QStringList lines{conditionsLine(report.conditions, chinese)};
        const QString id = identityLine(report.identity, chinese);
        if (!id.isEmpty())
            lines << id;
        if (report.answerMs >= 0)
            lines << (chinese ? QString::fromUtf8("应答用时 %1 毫秒").arg(report.answerMs)
                              : QStringLiteral("Answered in %1 ms").arg(report.answerMs));
        if (!report.unanswered.isEmpty())
            lines << (chinese ? QString::fromUtf8("未应答：") : QStringLiteral("Left unanswered: ")) +
                         report.unanswered.join(QStringLiteral(", "));
        v.tooltip = lines.join(QLatin1Char('\n'));
        v.recordLine = v.text + (chinese ? QString::fromUtf8("。") : QStringLiteral(". ")) +
                       lines.join(chinese ? QString::fromUtf8("；") : QStringLiteral("; "));
        return v;
    }
    case QueryState::NoAnswer:
        v.text = pick(chinese, "无应答", "No answer");
        v.tooltip = pick(chinese, "打印机没有应答：请检查电源、连接线，串口还要检查波特率。",
                         "The printer did not answer: check that it is on and connected, and over a serial port "
                         "that the baud rate is the printer's.");
        break;
    case QueryState::NotAPrinter:
        v.text = pick(chinese, "无应答", "No answer");
        v.tooltip = pick(chinese, "收到的数据不是热敏打印机的状态应答（串口波特率不对时就是这样）。",
                         "What came back is not a receipt printer's status answer (a serial port at the wrong baud "
                         "rate reads like this).");
        break;
    case QueryState::Failed:
        v.text = pick(chinese, "无应答", "No answer");
        v.tooltip = reasonLine(report.reason, chinese);
        break;
    case QueryState::NoAnswers:
        v.text = pick(chinese, "此连接不支持查询", "Not available on this connection");
        v.tooltip = reasonLine(report.reason, chinese);
        break;
    case QueryState::NoExport:
    case QueryState::NoLibrary:
        v.text = pick(chinese, "此连接不支持查询", "Not available on this connection");
        v.tooltip = pick(chinese, "打印机 I/O 库 %1 无法查询打印机状态（缺少 QueryPrinter）。",
                         "The printer I/O library %1 cannot ask the printer (it has no QueryPrinter).")
                        .arg(QString::fromLatin1(kDravikFileName));
        break;
    }
    v.colour = report.state == QueryState::NoAnswer || report.state == QueryState::NotAPrinter ||
                       report.state == QueryState::Failed
                   ? IndicatorColour::Red
                   : IndicatorColour::Grey;
    v.recordLine = v.text + (chinese ? QString::fromUtf8("：") : QStringLiteral(": ")) + v.tooltip;
    return v;
}

} // namespace messages
