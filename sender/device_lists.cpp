#include "device_lists.h"

#include <QFileInfo>

namespace {

// The lines of a list with exactly fields tab-separated fields each.
std::vector<QStringList> rows(const char *list, int fields)
{
    std::vector<QStringList> out;
    for (const QString &line : splitLibraryList(list)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == fields && !f.at(0).isEmpty())
            out.push_back(f);
    }
    return out;
}

// Reads a list export: its rows, or nothing when the library lacks the
// export or the call failed (an empty list with an error code).
template <typename Call>
std::optional<std::vector<QStringList>> listed(const DravikBinding &lib, bool has, int fields, Call call,
                                               FailureReason *reason)
{
    if (!lib.isLoaded() || !has)
        return std::nullopt;
    const char *text = call();
    std::vector<QStringList> found = rows(text, fields);
    if (found.empty() && lib.lastErrorCode() > DRAVIK_ERROR_NONE) {
        if (reason)
            *reason = failureReason(lib);
        return std::nullopt;
    }
    return found;
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

} // namespace

bool DeviceId::samePrinter(const DeviceId &other) const
{
    if (isEmpty() || maker.compare(other.maker, Qt::CaseInsensitive) != 0 ||
        model.compare(other.model, Qt::CaseInsensitive) != 0)
        return false;
    return serialNumber.isEmpty() || other.serialNumber.isEmpty() ||
           serialNumber.compare(other.serialNumber, Qt::CaseInsensitive) == 0;
}

DeviceId parseDeviceId(const QString &id)
{
    DeviceId parsed;
    for (const QString &pair : id.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int colon = pair.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = pair.left(colon).trimmed().toLower();
        const QString value = pair.mid(colon + 1).trimmed();
        QString *field =
            key == QLatin1String("mfg") || key == QLatin1String("manufacturer") ? &parsed.maker
            : key == QLatin1String("mdl") || key == QLatin1String("model")      ? &parsed.model
            : key == QLatin1String("cmd") || key == QLatin1String("command set") || key == QLatin1String("commandset")
                ? &parsed.commandSet
            : key == QLatin1String("sn") || key == QLatin1String("sern") || key == QLatin1String("serialnumber")
                ? &parsed.serialNumber
                : nullptr;
        if (field && field->isEmpty())
            *field = value;
    }
    return parsed;
}

std::optional<std::vector<UsbPrinterEntry>> usbPrinters(const DravikBinding &lib, FailureReason *reason)
{
    const auto found = listed(
        lib, lib.getUsbPrinters, 3, [&] { return lib.getUsbPrinters(); }, reason);
    if (!found)
        return std::nullopt;
    std::vector<UsbPrinterEntry> printers;
    for (const QStringList &f : *found)
        printers.push_back({f.at(0), f.at(1), parseDeviceId(f.at(2))});
    return printers;
}

std::optional<std::vector<ServerDeviceEntry>> serverDevices(const DravikBinding &lib, const char *schemes,
                                                            int timeoutSeconds, FailureReason *reason)
{
    const auto found = listed(
        lib, lib.getPrintServerDevices, 5, [&] { return lib.getPrintServerDevices(schemes, timeoutSeconds); }, reason);
    if (!found)
        return std::nullopt;
    std::vector<ServerDeviceEntry> devices;
    for (const QStringList &f : *found)
        devices.push_back({f.at(0), f.at(1), f.at(2), parseDeviceId(f.at(3)), f.at(4)});
    return devices;
}

std::optional<std::vector<QueueDeviceEntry>> queueDevices(const DravikBinding &lib, FailureReason *reason)
{
    const auto found = listed(
        lib, lib.getPrintDriveDevices, 3, [&] { return lib.getPrintDriveDevices(); }, reason);
    if (!found)
        return std::nullopt;
    std::vector<QueueDeviceEntry> queues;
    for (const QStringList &f : *found)
        queues.push_back({f.at(0), f.at(1), f.at(2)});
    return queues;
}

QStringList queuesLeadingTo(const std::vector<QueueDeviceEntry> &queues, const QString &link, const QString &uri)
{
    QStringList names;
    const bool device = link.startsWith(QLatin1Char('/'));
    const QString wanted = device ? canonical(link) : link.toLower();
    for (const QueueDeviceEntry &q : queues) {
        const bool same = !uri.isEmpty() && q.uri == uri;
        const bool leads =
            !q.link.isEmpty() && !link.isEmpty() && (device ? canonical(q.link) == wanted : q.link.toLower() == wanted);
        if ((same || leads) && !names.contains(q.name))
            names << q.name;
    }
    return names;
}
