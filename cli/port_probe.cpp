#include "port_probe.h"

#include "errno_text.h"
#include "tool_text.h"

#include <QDir>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Numbers of the devices PREFIXn in a folder, ascending.
QList<int> deviceNumbers(const QString &folder, const QString &prefix)
{
    QList<int> numbers;
    const QRegularExpression name(QStringLiteral("^%1(\\d+)$").arg(prefix));
    for (const QString &entry : QDir(folder).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = name.match(entry);
        if (m.hasMatch())
            numbers << m.captured(1).toInt();
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

QString printerPortDevice(const QString &lptName)
{
    static const QRegularExpression lpt(QStringLiteral("^LPT(\\d+):?$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = lpt.match(lptName);
    if (!m.hasMatch())
        return lptName.startsWith(QLatin1Char('/')) ? lptName : QString();
    const int n = m.captured(1).toInt();
    const QList<int> parallel = deviceNumbers(QStringLiteral("/dev"), QStringLiteral("lp"));
    if (parallel.contains(n - 1))
        return QStringLiteral("/dev/lp%1").arg(n - 1);
    const int usbBase = parallel.isEmpty() ? 0 : parallel.last() + 1;
    if (deviceNumbers(QStringLiteral("/dev/usb"), QStringLiteral("lp")).contains(n - 1 - usbBase))
        return QStringLiteral("/dev/usb/lp%1").arg(n - 1 - usbBase);
    return {};
}

DeviceCheck checkDevice(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    DeviceCheck check;
    if (::access(file.constData(), W_OK) != 0) {
        check.problem = errno == EACCES ? DeviceProblem::NoPermission : DeviceProblem::Other;
        check.detail = errnoText(errno);
        return check;
    }
    const int fd = ::open(file.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        check.problem = errno == EBUSY                      ? DeviceProblem::Busy
                        : errno == ENXIO || errno == ENODEV ? DeviceProblem::NoDevice
                                                            : DeviceProblem::Other;
        check.detail = errnoText(errno);
        return check;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        check.problem = DeviceProblem::Busy;
    ::close(fd); // also gives back the probe's lock
    return check;
}

QString deviceUnusableReason(const QString &path, const char *group)
{
    const DeviceCheck check = checkDevice(path);
    switch (check.problem) {
    case DeviceProblem::None:
        return {};
    case DeviceProblem::NoPermission:
        return Nemboport::tr("permission denied (join the group %1)").arg(QLatin1String(group));
    case DeviceProblem::Busy:
        return Nemboport::tr("busy: another program holds it");
    case DeviceProblem::NoDevice:
        return Nemboport::tr("no device behind it");
    case DeviceProblem::Other:
        break;
    }
    return check.detail;
}
