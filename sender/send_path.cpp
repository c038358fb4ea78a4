#include "send_path.h"

#include <climits>

FailureReason failureReason(const DravikBinding &lib)
{
    return {lib.lastErrorCode(), lib.lastErrorText()};
}

SendStatus sendBuffer(const DravikBinding &lib, const PrinterTarget &target, const char *docName, const Bytes &bytes,
                      FailureReason *reason)
{
    if (!lib.isLoaded())
        return SendStatus::NoLibrary;
    if (!lib.sendBufferToPrint)
        return SendStatus::NoExport;
    const QByteArray port = target.portName.toLocal8Bit();
    const QByteArray printer = target.printerName.toLocal8Bit();
    const int length = bytes.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes.size());
    if (lib.sendBufferToPrint(port.constData(), printer.constData(), docName, bytes.data(), length))
        return SendStatus::Sent;
    if (reason)
        *reason = failureReason(lib);
    return SendStatus::Failed;
}
