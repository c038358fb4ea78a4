#include "pty_listener.h"

#include "errno_text.h"
#include "line_rate.h"
#include "line_speed.h"
#include "port_announcement.h"
#include "print_session.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qint64 kReadMax = 64 * 1024;
// After a read error the port is looked at again this much later.
constexpr int kRetryMs = 100;

} // namespace

PtyListener::PtyListener(PrintSession &session, long baud, QObject *parent)
    : QObject(parent)
    , session_(session)
    , baud_(baud)
{
    quietTimer_.setSingleShot(true);
    quietTimer_.setInterval(kQuietEndMs);
    connect(&quietTimer_, &QTimer::timeout, this, &PtyListener::quiet);
    paceTimer_.setSingleShot(true);
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true);
    });
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, &PtyListener::pump);
}

PtyListener::~PtyListener()
{
    // The job under way ends with the server, its receipt printed.
    while (feed_ && feed_->waiting())
        answer(feed_->name(), feed_->run(JobFeed::kWhole));
    quiet();
    notifier_.reset();
    removeLink();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyListener::open(const QString &link, QString &error)
{
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(errnoText(errno));
        return false;
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Raw: every byte passes unchanged, no echo, no line editing.
    termios t{};
    if (::tcgetattr(slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    const char *name = ::ptsname(master_);
    device_ = name ? QFile::decodeName(name) : QString();
    if (device_.isEmpty()) {
        error = QStringLiteral("the pseudo-terminal has no device name");
        return false;
    }
    if (!link.isEmpty()) {
        const QByteArray path = QFile::encodeName(link);
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = QStringLiteral("%1 exists and is not a symlink: not replaced").arg(link);
                return false;
            }
            ::unlink(path.constData());
        }
        if (::symlink(QFile::encodeName(device_).constData(), path.constData()) != 0) {
            error = QStringLiteral("cannot create the link %1: %2").arg(link, errnoText(errno));
            return false;
        }
        link_ = link;
    }
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyListener::readable);
    clock_.start();
    return true;
}

void PtyListener::removeLink()
{
    if (!link_.isEmpty() && symlinkTarget(link_) == device_)
        ::unlink(QFile::encodeName(link_).constData());
    link_.clear();
}

void PtyListener::readable()
{
    if (feed_ && feed_->waiting()) {
        notifier_->setEnabled(false); // read on once the slice is done
        return;
    }
    qint64 allowed = kReadMax;
    if (baud_ > 0) {
        // A byte on the wire is 10 bits (start, 8 data, stop).
        const qint64 elapsedUs = clock_.nsecsElapsed() / 1000;
        const qint64 earned = elapsedUs * baud_ / 10000000;
        const qint64 burst = std::max<qint64>(1, baud_ / 1000); // 10 ms of bytes
        takenSinceClock_ = std::max(takenSinceClock_, earned);  // no saving up while quiet
        allowed = std::min(kReadMax, earned + burst - takenSinceClock_);
        if (allowed <= 0) {
            const qint64 dueUs = (takenSinceClock_ - burst + 1) * 10000000 / baud_;
            notifier_->setEnabled(false);
            paceTimer_.start(int(std::max<qint64>(1, (dueUs - elapsedUs + 999) / 1000)));
            return;
        }
    }
    QByteArray buffer(allowed, Qt::Uninitialized);
    const ssize_t n = ::read(master_, buffer.data(), std::size_t(allowed));
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        session_.note(QStringLiteral("pty"), QStringLiteral("reading %1 failed: %2").arg(device_, errnoText(errno)));
        notifier_->setEnabled(false);
        paceTimer_.start(kRetryMs);
        return;
    }
    buffer.truncate(n);
    takenSinceClock_ += n;
    if (!feed_) {
        feed_ = std::make_unique<JobFeed>(session_, QStringLiteral("pty#%1").arg(jobs_ + 1));
        session_.note(feed_->name(), QStringLiteral("bytes arrive on %1").arg(device_));
    }
    jobBytes_ += n;
    quietTimer_.start();
    // Like a printer's port, it reads at its own rate whatever the other end
    // sends at: at another rate the bytes arrive garbled, and so do its answers.
    const long sentAt = baud_ > 0 ? line_speed::lineSpeed(slave_) : 0;
    const bool garbled = sentAt > 0 && sentAt != baud_;
    if (garbled) {
        if (rateSaid_ != sentAt)
            session_.note(feed_->name(), QStringLiteral("the port is set to %1 baud, the printer reads at %2: the "
                                                        "bytes arrive garbled")
                                             .arg(sentAt)
                                             .arg(baud_));
        rateSaid_ = sentAt;
        buffer = readAtOtherRate(buffer, sentAt, baud_);
    }
    answerRate_ = garbled ? sentAt : 0;
    feed_->take(buffer);
    pump();
}

void PtyListener::pump()
{
    if (!feed_)
        return;
    QByteArray answers = feed_->run();
    if (answerRate_ > 0)
        answers = readAtOtherRate(answers, baud_, answerRate_);
    answer(feed_->name(), answers);
    if (feed_->waiting()) {
        notifier_->setEnabled(false);
        next_.start(session_.savingBehind() ? JobFeed::kSavingWaitMs : 0);
        return;
    }
    followPortRate();
    if (!paceTimer_.isActive())
        notifier_->setEnabled(true);
}

void PtyListener::answer(const QString &name, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nobody reads them: a printer's answers are lost on the wire too.
            session_.note(name, QStringLiteral("%1 answer byte(s) not sent: %2")
                                    .arg(bytes.size() - done)
                                    .arg(errnoText(n < 0 ? errno : EAGAIN)));
            return;
        }
        done += n;
    }
}

void PtyListener::quiet()
{
    if (!feed_)
        return;
    if (feed_->waiting()) {
        quietTimer_.start(); // still printing what came: it ends after that
        return;
    }
    feed_->finish(); // a request cut off asks nothing
    while (feed_->waiting())
        feed_->run(JobFeed::kWhole);
    const QString name = feed_->name();
    feed_.reset();
    ++jobs_;
    session_.endJob(name);
    session_.note(name, QStringLiteral("quiet after %1 bytes").arg(jobBytes_));
    jobBytes_ = 0;
    rateSaid_ = 0;
    followPortRate();
}

void PtyListener::followPortRate()
{
    // A baud-rate command whose page is out: the port reads at the new rate.
    if (baud_ == 0 || session_.printer().portRate() == baud_)
        return;
    baud_ = session_.printer().portRate();
    clock_.restart();
    takenSinceClock_ = 0;
}
