// A TCP listener that is no printer, for the search for network printers:
// it takes connections on a loopback address and says nothing, or answers
// whatever comes with an HTTP error.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

class LoopbackListener
{
public:
    enum Mode {
        Silent,
        Garbage
    };
    LoopbackListener() = default;
    LoopbackListener(const LoopbackListener &) = delete;
    LoopbackListener &operator=(const LoopbackListener &) = delete;

    // Listens on address:port (a 127.0.0.0/8 address); false when it cannot.
    bool start(const char *address, unsigned short port, Mode mode)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        const int on = 1;
        if (fd_ < 0 || ::inet_pton(AF_INET, address, &a.sin_addr) != 1 || (ntohl(a.sin_addr.s_addr) >> 24) != 127 ||
            ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0)
            return false;
        thread_ = std::thread([this, mode] { run(mode); });
        return true;
    }
    ~LoopbackListener()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    void run(Mode mode)
    {
        std::vector<int> clients;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (c >= 0)
                    clients.push_back(c);
            }
            char buf[256];
            static const char kError[] = "HTTP/1.0 400 Bad Request\r\n\r\n";
            for (int c : clients)
                if (::read(c, buf, sizeof buf) > 0 && mode == Garbage)
                    (void)::write(c, kError, sizeof kError - 1);
        }
        for (int c : clients)
            ::close(c);
    }

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
