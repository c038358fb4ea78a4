#include "send_path.h"

#include <climits>

namespace {
struct PathName
{
    PathKind kind;
    const char *name;
};
constexpr PathName kPathNames[] = {
    {PathKind::Queue, "DRIVE"},
    {PathKind::Serial, "COM"},
    {PathKind::Port, "LPT"},
};
} // namespace

QString portNameOf(PathKind kind)
{
    for (const PathName &p : kPathNames)
        if (p.kind == kind)
            return QLatin1String(p.name);
    return {};
}

PathKind pathKindOf(const QString &portName)
{
    for (const PathName &p : kPathNames)
        if (portName == QLatin1String(p.name))
            return p.kind;
    return PathKind::None;
}

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
