#include "printer_finder.h"

#include "rate_search.h"

#include <QFileInfo>
#include <QTextStream>

#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// How long a USB printer may take to answer each question.
constexpr int kUsbAnswerMs = 1000;

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load();
}

// Runs jobs side by side, one thread each (here, one after another, when no
// thread can be had), and waits for them all.
void sideBySide(std::vector<std::function<void()>> jobs)
{
    std::vector<std::thread> threads;
    for (std::function<void()> &job : jobs) {
        try {
            threads.emplace_back(job);
        } catch (const std::system_error &) {
            job();
        }
    }
    for (std::thread &t : threads)
        t.join();
}

// Hands the finds on as they come, one at a time, and keeps them by place.
class Collector
{
public:
    Collector(const FindCallbacks &callbacks)
        : callbacks_(callbacks)
    {
    }

    void expect(int more)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.total += more;
        tell();
    }
    // One device, port or address looked at, with what was found there.
    void done(const Find *find, int group, std::size_t place)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++progress_.done;
        if (find) {
            finds_[{group, place}] = *find;
            if (find->isPrinter())
                ++progress_.printers;
            if (callbacks_.found)
                callbacks_.found(*find);
        }
        tell();
    }
    std::vector<Find> finds() const
    {
        std::vector<Find> all;
        for (const auto &f : finds_)
            all.push_back(f.second);
        return all;
    }

private:
    void tell() const
    {
        if (callbacks_.progress)
            callbacks_.progress(progress_);
    }

    const FindCallbacks &callbacks_;
    std::mutex mutex_;
    FindProgress progress_;
    std::map<std::pair<int, std::size_t>, Find> finds_;
};

enum Group {
    kUsbGroup,
    kServerGroup,
    kSerialGroup,
    kNetworkGroup
};

void findUsb(const DravikBinding &lib, const FindRequest &request, const std::vector<QueueDeviceEntry> &queues,
             Collector &collector, FindNotes &notes, const std::atomic<bool> *stop)
{
    FailureReason reason;
    const auto local = usbPrinters(lib, &reason);
    if (!local) {
        if (lib.getUsbPrinters)
            notes.usbFailed = reason;
        else
            notes.usbNotListed = true;
    }
    const std::vector<UsbPrinterEntry> printers = local.value_or(std::vector<UsbPrinterEntry>{});
    collector.expect(int(printers.size()));

    // What the print server's USB backend sees: the URI it knows each by,
    // and printers the kernel's driver does not hold.
    std::vector<ServerDeviceEntry> server;
    if (lib.getPrintServerDevices && !stopped(stop)) {
        FailureReason serverReason;
        const auto devices = serverDevices(lib, "usb", request.usbServerSeconds, &serverReason);
        if (devices)
            server = *devices;
        else
            notes.serverDevicesFailed = serverReason;
    }

    std::vector<std::function<void()>> asks;
    std::vector<bool> serverMatched(server.size(), false);
    for (std::size_t i = 0; i < printers.size(); ++i) {
        Find find;
        find.kind = FindKind::Usb;
        find.link = printers[i].path;
        find.uri = printers[i].uri;
        find.deviceId = printers[i].id;
        for (std::size_t s = 0; s < server.size(); ++s)
            if (!serverMatched[s] && server[s].id.samePrinter(find.deviceId)) {
                serverMatched[s] = true;
                find.uri = server[s].uri;
                break;
            }
        find.queues = queuesLeadingTo(queues, find.link, find.uri);
        asks.emplace_back([&lib, &collector, find, i, stop]() mutable {
            if (!stopped(stop) && lib.queryPrinter) {
                find.report = queryPrinter(lib, PrinterTarget::of(PathKind::Port, find.link), {kUsbAnswerMs, true});
                find.asked = true;
            }
            collector.done(&find, kUsbGroup, i);
        });
    }
    sideBySide(std::move(asks));

    for (std::size_t s = 0; s < server.size(); ++s) {
        if (serverMatched[s] || !server[s].uri.startsWith(QLatin1String("usb:"), Qt::CaseInsensitive))
            continue;
        Find find;
        find.kind = FindKind::Usb;
        find.link = server[s].uri;
        find.uri = server[s].uri;
        find.deviceId = server[s].id;
        if (find.deviceId.isEmpty()) {
            // "Acme TM 1": the maker, then the model.
            const QString makeAndModel = server[s].makeAndModel;
            find.deviceId.maker = makeAndModel.section(QLatin1Char(' '), 0, 0);
            find.deviceId.model = makeAndModel.section(QLatin1Char(' '), 1);
        }
        find.queues = queuesLeadingTo(queues, QString(), find.uri);
        collector.expect(1);
        collector.done(&find, kServerGroup, s);
    }
}

Find probeSerialPort(const DravikBinding &lib, const QString &port, const std::vector<QueueDeviceEntry> &queues)
{
    Find find;
    find.kind = FindKind::Serial;
    find.link = port;
    find.check = checkDevice(port);
    if (find.check.problem == DeviceProblem::NoPermission || find.check.problem == DeviceProblem::Busy) {
        find.outcome = FindOutcome::Skipped;
        return find;
    }
    // probe's own search, its progress line kept off the terminal (several
    // ports are probed at once).
    QString unused;
    QTextStream quiet(&unused);
    CliContext ctx{quiet, quiet};
    Target target;
    target.kind = Target::Kind::Serial;
    target.names = QStringList{port};
    const RateFound found = findRate(ctx, lib, target);
    find.asked = true;
    find.error = found.error;
    if (!found.rate) {
        find.outcome = FindOutcome::NoPrinter;
        return find;
    }
    find.outcome = FindOutcome::Printer;
    find.rate = found.rate;
    find.report = found.report;
    find.uri = serialDeviceUri(port, found.rate);
    find.queues = queuesLeadingTo(queues, port);
    return find;
}

void findSerial(const DravikBinding &lib, const FindRequest &request, const std::vector<QueueDeviceEntry> &queues,
                Collector &collector, FindNotes &notes, const std::atomic<bool> *stop)
{
    if (!lib.openComm || !lib.closeComm || !lib.queryPrinter ||
        (request.serialPorts.isEmpty() && !lib.getSystemSerial)) {
        notes.serialNotProbed = true;
        return;
    }
    QStringList ports = request.serialPorts;
    if (ports.isEmpty())
        ports = splitLibraryList(lib.getSystemSerial());
    ports.removeDuplicates();
    for (const QString &mine : request.leaveAlone)
        ports.removeAll(mine);
    collector.expect(int(ports.size()));
    std::vector<std::function<void()>> probes;
    for (int i = 0; i < ports.size(); ++i)
        probes.emplace_back([&lib, &queues, &collector, port = ports.at(i), i, stop] {
            if (stopped(stop)) {
                collector.done(nullptr, kSerialGroup, std::size_t(i));
                return;
            }
            const Find find = probeSerialPort(lib, port, queues);
            collector.done(&find, kSerialGroup, std::size_t(i));
        });
    sideBySide(std::move(probes));
}

void findOnNetwork(const FindRequest &request, const std::vector<QueueDeviceEntry> &queues, Collector &collector,
                   const std::atomic<bool> *stop)
{
    collector.expect(int(request.hosts.size()));
    std::map<QString, std::size_t> place;
    for (std::size_t i = 0; i < request.hosts.size(); ++i)
        place[request.hosts[i]] = i;
    std::mutex counted;
    int reported = 0;
    scanNetwork(
        request.hosts, request.port, request.networkOptions,
        [&](const NetworkFind &listener) {
            Find find;
            find.kind = FindKind::Network;
            find.outcome = listener.printer() ? FindOutcome::Printer : FindOutcome::NotAPrinter;
            find.link = listener.link();
            find.asked = true;
            find.report = listener.report;
            if (listener.printer()) {
                find.uri = QStringLiteral("socket://%1").arg(listener.link());
                find.queues = queuesLeadingTo(queues, find.link);
            }
            collector.done(&find, kNetworkGroup, place[listener.address]);
            std::lock_guard<std::mutex> lock(counted);
            ++reported;
        },
        [&](int done, int) {
            // Addresses where nothing listens count here; listeners when reported.
            std::lock_guard<std::mutex> lock(counted);
            while (reported < done) {
                ++reported;
                collector.done(nullptr, kNetworkGroup, 0);
            }
        },
        stop);
}

} // namespace

QString Find::maker() const
{
    return report.identity.maker.isEmpty() ? deviceId.maker : report.identity.maker;
}

QString Find::model() const
{
    return report.identity.model.isEmpty() ? deviceId.model : report.identity.model;
}

QString Find::serialNumber() const
{
    return report.identity.serialNumber.isEmpty() ? deviceId.serialNumber : report.identity.serialNumber;
}

int FindResult::printers() const
{
    int n = 0;
    for (const Find &f : finds)
        n += f.isPrinter() ? 1 : 0;
    return n;
}

QString serialDeviceUri(const QString &port, std::uint32_t rate)
{
    QString device = port;
    if (!device.startsWith(QLatin1String("/dev/"))) {
        const QString target = QFileInfo(port).canonicalFilePath();
        if (target.startsWith(QLatin1String("/dev/")))
            device = target;
    }
    return QStringLiteral("serial:%1?baud=%2").arg(device).arg(rate);
}

FindResult findPrinters(const DravikBinding &lib, const FindRequest &request, const FindCallbacks &callbacks,
                        const std::atomic<bool> *stop)
{
    FindResult result;
    Collector collector(callbacks);
    // The queues first: each find names those that lead to it as it is told.
    std::vector<QueueDeviceEntry> queues;
    if (lib.getPrintDriveDevices) {
        FailureReason reason;
        if (const auto listed = queueDevices(lib, &reason))
            queues = *listed;
        else
            result.notes.queuesFailed = reason;
    } else {
        result.notes.queuesNotListed = true;
    }
    FindNotes usbNotes, serialNotes;
    std::vector<std::function<void()>> parts;
    if (request.usb)
        parts.emplace_back([&] { findUsb(lib, request, queues, collector, usbNotes, stop); });
    if (request.serial)
        parts.emplace_back([&] { findSerial(lib, request, queues, collector, serialNotes, stop); });
    if (!request.hosts.empty())
        parts.emplace_back([&] { findOnNetwork(request, queues, collector, stop); });
    sideBySide(std::move(parts));

    result.notes.usbNotListed = usbNotes.usbNotListed;
    result.notes.usbFailed = usbNotes.usbFailed;
    result.notes.serverDevicesFailed = usbNotes.serverDevicesFailed;
    result.notes.serialNotProbed = serialNotes.serialNotProbed;
    result.finds = collector.finds();
    return result;
}
