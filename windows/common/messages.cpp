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
        return {pick(chinese, "无法加载打印机 I/O 库 %1，无法发送。", "The printer I/O library %1 could not be loaded, so nothing can be sent.")
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
        return {QString::fromUtf8("连接出错，端口") + port + QString::fromUtf8("不存在或已被其它程序占用") + QStringLiteral("\n\r"), {}};
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
    return {pick(chinese, "波特率修改后，需要重新启动打印机！！！", "Baud rate changes, need to restart the printer！！！"), {}};
}

} // namespace messages
