#include "send_path.h"

#include <climits>

SendStatus sendBuffer(const DravikBinding &lib, const PrinterTarget &target, const char *docName, const Bytes &bytes)
{
    if (!lib.isLoaded())
        return SendStatus::NoLibrary;
    if (!lib.sendBufferToPrint)
        return SendStatus::NoExport;
    const QByteArray port = target.portName.toLocal8Bit();
    const QByteArray printer = target.printerName.toLocal8Bit();
    const int length = bytes.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes.size());
    lib.sendBufferToPrint(port.constData(), printer.constData(), docName, bytes.data(), length);
    return SendStatus::Sent;
}
