#include "network_scan.h"

#include "errno_text.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// An answer's bytes keep coming for at most this long after the last one.
constexpr int kAnswerGapMs = 100;
// How often a wait looks whether the scan was stopped.
constexpr int kSliceMs = 50;

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load();
}

QString ipv4Text(quint32 host)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(host >> 24)
        .arg((host >> 16) & 0xFF)
        .arg((host >> 8) & 0xFF)
        .arg(host & 0xFF);
}

bool parseIpv4(const QString &text, quint32 &host)
{
    in_addr a{};
    if (::inet_pton(AF_INET, text.toLatin1().constData(), &a) != 1)
        return false;
    host = ntohl(a.s_addr);
    return true;
}

// The address as the socket needs it; false for no literal address.
bool socketAddress(const QString &address, quint16 port, sockaddr_storage &out, socklen_t &length)
{
    out = {};
    const QByteArray text = address.toLatin1();
    auto *v4 = reinterpret_cast<sockaddr_in *>(&out);
    if (::inet_pton(AF_INET, text.constData(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        length = sizeof(sockaddr_in);
        return true;
    }
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&out);
    if (::inet_pton(AF_INET6, text.constData(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

// A host name looked up within ms on a thread of its own (a slow name
// server must not hold the scan; a look-up that outlasts the bound finishes
// there, with the state it shares): its first address, IPv4 first.
QString lookUp(const QString &name, int ms)
{
    struct Lookup
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        QString address;
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host = name.toUtf8()] {
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo *result = nullptr;
            QString first;
            if (::getaddrinfo(host.constData(), nullptr, &hints, &result) == 0) {
                for (int family : {AF_INET, AF_INET6})
                    for (addrinfo *a = result; a && first.isEmpty(); a = a->ai_next) {
                        char text[INET6_ADDRSTRLEN] = {};
                        if (a->ai_family != family)
                            continue;
                        const void *raw = family == AF_INET
                                              ? static_cast<const void *>(
                                                    &reinterpret_cast<const sockaddr_in *>(a->ai_addr)->sin_addr)
                                              : static_cast<const void *>(
                                                    &reinterpret_cast<const sockaddr_in6 *>(a->ai_addr)->sin6_addr);
                        if (::inet_ntop(family, raw, text, sizeof text))
                            first = QString::fromLatin1(text);
                    }
                ::freeaddrinfo(result);
            }
            std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->address = first;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return {};
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(ms), [&] { return lookup->finished; }))
        return {};
    return lookup->address;
}

// The host addresses of an IPv4 network "A.B.C.D/N"; false when the word is
// no such network. count is its size, also when it is too large to list.
bool networkAddresses(const QString &word, int maxAddresses, std::vector<QString> &out, qint64 &count)
{
    const int slash = word.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return false;
    quint32 base = 0;
    bool ok = false;
    const int prefix = word.mid(slash + 1).toInt(&ok);
    if (!ok || prefix < 16 || prefix > 32 || !parseIpv4(word.left(slash), base))
        return false;
    const quint64 size = quint64(1) << (32 - prefix);
    const quint32 mask = ~quint32(0) << (32 - prefix);
    const quint32 first = base & mask;
    // Up to /30 the network's own address and its broadcast address are no host's.
    const quint64 skip = prefix <= 30 ? 1 : 0;
    count = qint64(size - 2 * skip);
    if (count > maxAddresses)
        return true;
    for (quint64 i = skip; i < size - skip; ++i)
        out.push_back(ipv4Text(first + quint32(i)));
    return true;
}

class Connection
{
public:
    Connection(int fd, const std::atomic<bool> *stop)
        : fd_(fd)
        , stop_(stop)
    {
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // One request and its answer, as the library's QueryPrinter gives it.
    QueryExchange ask(const Bytes &request, int replySize, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        QueryExchange e;
        if (!discardWaiting(e) || !writeAll(request, timeoutMs, e))
            return finished(e, clock);
        QByteArray reply;
        // The first byte within timeoutMs.
        if (!waitReadable(timeoutMs, clock, e))
            return finished(e, clock);
        if (e.result < 0 || !readSome(reply, replySize, e))
            return finished(e, clock);
        // Then the rest, until the answer is whole or the bytes stop coming.
        while (reply.size() < replySize && !wholeIdText(reply)) {
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, kAnswerGapMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0 || !readSome(reply, replySize, e))
                break;
        }
        e.result = int(reply.size());
        e.reply = reply;
        return finished(e, clock);
    }

private:
    static QueryExchange &finished(QueryExchange &e, const QElapsedTimer &clock)
    {
        e.ms = clock.elapsed();
        return e;
    }

    void fail(QueryExchange &e, int code, const QString &text)
    {
        e.result = -1;
        e.failure.code = code;
        e.failure.text = text;
    }

    // An identity answer ("_", the text, NUL) ends at its NUL.
    static bool wholeIdText(const QByteArray &reply) { return reply.startsWith('_') && reply.contains('\0'); }

    // Bytes that came before the question are no answer to it.
    bool discardWaiting(QueryExchange &e)
    {
        char buf[256];
        for (;;) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0)
                continue;
            if (n == 0) {
                fail(e, DRAVIK_ERROR_DEVICE_LOST, QStringLiteral("the listener closed the connection"));
                return false;
            }
            if (errno == EINTR)
                continue;
            return true;
        }
    }

    bool writeAll(const Bytes &request, int timeoutMs, QueryExchange &e)
    {
        std::size_t at = 0;
        QElapsedTimer clock;
        clock.start();
        while (at < request.size()) {
            const ssize_t n = ::send(fd_, request.data() + at, request.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                at += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && clock.elapsed() < timeoutMs) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, kSliceMs);
                continue;
            }
            fail(e, DRAVIK_ERROR_DEVICE_LOST,
                 QStringLiteral("the listener did not take the question: %1").arg(errnoText(n < 0 ? errno : EPIPE)));
            return false;
        }
        return true;
    }

    // False when nothing came within timeoutMs (result stays 0) or the scan
    // was stopped (result -1).
    bool waitReadable(int timeoutMs, const QElapsedTimer &clock, QueryExchange &e)
    {
        for (;;) {
            if (stopped(stop_)) {
                fail(e, DRAVIK_ERROR_OTHER, QStringLiteral("the search was stopped"));
                return false;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0)
                return false;
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, int(qMin<qint64>(left, kSliceMs)));
            if (r > 0)
                return true;
            if (r < 0 && errno != EINTR) {
                fail(e, DRAVIK_ERROR_OTHER, errnoText(errno));
                return false;
            }
        }
    }

    bool readSome(QByteArray &reply, int replySize, QueryExchange &e)
    {
        char buf[256];
        const ssize_t n =
            ::recv(fd_, buf, std::min<std::size_t>(sizeof buf, std::size_t(replySize - reply.size())), MSG_DONTWAIT);
        if (n > 0) {
            reply.append(buf, n);
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return true;
        if (reply.isEmpty())
            fail(e, DRAVIK_ERROR_DEVICE_LOST, QStringLiteral("the listener closed the connection without an answer"));
        return false;
    }

    int fd_;
    const std::atomic<bool> *stop_;
};

struct Accepted
{
    int fd;
    std::size_t index;
};

// The listeners that took a connection, asked side by side on up to
// options.parallelQueries threads.
class Askers
{
public:
    Askers(const std::vector<QString> &addresses, quint16 port, const NetworkScanOptions &options,
           const std::function<void(NetworkFind, std::size_t)> &done, const std::atomic<bool> *stop)
        : addresses_(addresses)
        , port_(port)
        , options_(options)
        , done_(done)
        , stop_(stop)
    {
    }
    ~Askers() { finish(); }
    Askers(const Askers &) = delete;
    Askers &operator=(const Askers &) = delete;

    void take(const Accepted &accepted)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(accepted);
            if (int(threads_.size()) >= options_.parallelQueries || idle_ > 0) {
                wake_.notify_one();
                return;
            }
        }
        try {
            threads_.emplace_back([this] { work(); });
        } catch (const std::system_error &) {
            // No thread to be had: asked here, one after another.
            if (threads_.empty())
                drainHere();
        }
    }

    // Waits until every listener taken has been asked.
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        for (std::thread &t : threads_)
            t.join();
        threads_.clear();
        drainHere();
    }

private:
    void work()
    {
        for (;;) {
            Accepted next{};
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ++idle_;
                wake_.wait(lock, [&] { return !queue_.empty() || closing_; });
                --idle_;
                if (queue_.empty())
                    return;
                next = queue_.front();
                queue_.pop_front();
            }
            ask(next);
        }
    }

    void drainHere()
    {
        for (;;) {
            Accepted next{};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (queue_.empty())
                    return;
                next = queue_.front();
                queue_.pop_front();
            }
            ask(next);
        }
    }

    void ask(const Accepted &accepted)
    {
        Connection connection(accepted.fd, stop_);
        NetworkFind find;
        find.address = addresses_[accepted.index];
        find.port = port_;
        find.report =
            queryThrough([&connection](const Bytes &request, int replySize,
                                       int timeoutMs) { return connection.ask(request, replySize, timeoutMs); },
                         {options_.answerMs, true});
        done_(find, accepted.index);
    }

    const std::vector<QString> &addresses_;
    quint16 port_;
    NetworkScanOptions options_;
    std::function<void(NetworkFind, std::size_t)> done_;
    const std::atomic<bool> *stop_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Accepted> queue_;
    std::vector<std::thread> threads_;
    int idle_ = 0;
    bool closing_ = false;
};

} // namespace

QStringList ownNetworks()
{
    QStringList networks;
    ifaddrs *all = nullptr;
    if (::getifaddrs(&all) != 0)
        return networks;
    for (ifaddrs *i = all; i; i = i->ifa_next) {
        if (!i->ifa_addr || !i->ifa_netmask || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
            (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const quint32 address = ntohl(reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr.s_addr);
        const quint32 mask = ntohl(reinterpret_cast<const sockaddr_in *>(i->ifa_netmask)->sin_addr.s_addr);
        const int prefix = __builtin_popcount(mask);
        if ((quint64(1) << (32 - prefix)) > quint64(kOwnNetworkMax))
            continue;
        const QString network = QStringLiteral("%1/%2").arg(ipv4Text(address & mask)).arg(prefix);
        if (!networks.contains(network))
            networks << network;
    }
    ::freeifaddrs(all);
    return networks;
}

QString hostPortText(const QString &address, quint16 port)
{
    return (address.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(address) : address) + QLatin1Char(':') +
           QString::number(port);
}

ScanTargets readScanTargets(const QStringList &words, int maxAddresses, int lookupMs)
{
    ScanTargets targets;
    std::set<QString> seen;
    auto add = [&](const QString &address) {
        if (seen.insert(address).second)
            targets.addresses.push_back(address);
    };
    auto refuse = [&](ScanWordProblem problem, const QString &word) {
        targets.addresses.clear();
        targets.problem = problem;
        targets.word = word;
        return targets;
    };
    for (const QString &given : words) {
        const QString word = given.trimmed();
        QStringList expanded{word};
        if (word == QLatin1String("auto")) {
            expanded = ownNetworks();
            if (expanded.isEmpty())
                return refuse(ScanWordProblem::NoOwnNetwork, word);
        }
        for (const QString &one : expanded) {
            sockaddr_storage unused;
            socklen_t length = 0;
            QString bare = one;
            if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
                bare = bare.mid(1, bare.size() - 2);
            std::vector<QString> network;
            qint64 count = 0;
            if (socketAddress(bare, kRawPrinterPort, unused, length)) {
                add(bare);
            } else if (networkAddresses(one, maxAddresses, network, count)) {
                if (count > maxAddresses) {
                    ScanTargets tooMany = refuse(ScanWordProblem::TooMany, one);
                    tooMany.count = count;
                    return tooMany;
                }
                for (const QString &address : network)
                    add(address);
            } else if (one.isEmpty() || one.contains(QLatin1Char('/')) || one.startsWith(QLatin1Char('-')) ||
                       one.size() > 253) {
                return refuse(ScanWordProblem::NotAnAddress, one);
            } else {
                const QString address = lookUp(one, lookupMs);
                if (address.isEmpty())
                    return refuse(ScanWordProblem::UnknownHost, one);
                add(address);
            }
            if (qint64(targets.addresses.size()) > maxAddresses) {
                ScanTargets tooMany = refuse(ScanWordProblem::TooMany, one);
                tooMany.count = qint64(seen.size());
                return tooMany;
            }
        }
    }
    return targets;
}

std::vector<NetworkFind> scanNetwork(const std::vector<QString> &addresses, quint16 port,
                                     const NetworkScanOptions &options, const NetworkFound &found,
                                     const ScanProgress &progress, const std::atomic<bool> *stop)
{
    const int total = int(addresses.size());
    std::mutex reportMutex;
    std::vector<std::pair<std::size_t, NetworkFind>> finds;
    int done = 0;
    auto oneDone = [&](const NetworkFind *find, std::size_t index) {
        std::lock_guard<std::mutex> lock(reportMutex);
        ++done;
        if (find) {
            finds.emplace_back(index, *find);
            if (found)
                found(*find);
        }
        if (progress)
            progress(done, total);
    };

    {
        Askers askers(
            addresses, port, options, [&](const NetworkFind &find, std::size_t index) { oneDone(&find, index); }, stop);
        struct Pending
        {
            int fd;
            std::size_t index;
            qint64 startedMs;
        };
        std::vector<Pending> pending;
        std::size_t next = 0;
        QElapsedTimer clock;
        clock.start();
        while ((next < addresses.size() || !pending.empty()) && !stopped(stop)) {
            // Connections are started while fewer than maxConnecting are under way.
            while (next < addresses.size() && int(pending.size()) < options.maxConnecting) {
                const std::size_t index = next++;
                sockaddr_storage to;
                socklen_t length = 0;
                if (!socketAddress(addresses[index], port, to, length)) {
                    oneDone(nullptr, index);
                    continue;
                }
                const int fd = ::socket(to.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                if (fd < 0) {
                    oneDone(nullptr, index);
                    continue;
                }
                if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), length) == 0) {
                    askers.take({fd, index});
                } else if (errno == EINPROGRESS) {
                    pending.push_back({fd, index, clock.elapsed()});
                } else {
                    ::close(fd);
                    oneDone(nullptr, index);
                }
            }
            std::vector<pollfd> polls;
            polls.reserve(pending.size());
            for (const Pending &p : pending)
                polls.push_back({p.fd, POLLOUT, 0});
            if (::poll(polls.data(), nfds_t(polls.size()), kSliceMs) < 0 && errno != EINTR)
                break;
            std::vector<Pending> still;
            for (std::size_t i = 0; i < pending.size(); ++i) {
                const Pending &p = pending[i];
                if (polls[i].revents) {
                    int error = 0;
                    socklen_t len = sizeof error;
                    if (::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0) {
                        askers.take({p.fd, p.index});
                        continue;
                    }
                } else if (clock.elapsed() - p.startedMs < options.connectMs) {
                    still.push_back(p);
                    continue;
                }
                ::close(p.fd);
                oneDone(nullptr, p.index);
            }
            pending.swap(still);
        }
        for (const Pending &p : pending)
            ::close(p.fd);
        askers.finish();
    }

    std::sort(finds.begin(), finds.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<NetworkFind> listeners;
    for (auto &f : finds)
        listeners.push_back(std::move(f.second));
    return listeners;
}
