// Finding receipt printers on the network: the addresses a scan covers (an
// address, a host name, an IPv4 network, the machine's own networks), and
// the scan: connections to the printer port of every address side by side,
// each bounded, and every listener asked how it is and who it is, the
// questions a printer answers. Plain sockets: the printer I/O library
// reaches queues and devices, not addresses. Blocking and widget-free: the
// tool runs it on its own thread, the window on a thread of the search.
#pragma once

#include "printer_query.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// The raw printer port (AppSocket) network receipt printers listen on.
inline constexpr quint16 kRawPrinterPort = 9100;
// The most addresses one scan covers; "auto" takes networks of at most
// kOwnNetworkMax addresses.
inline constexpr int kMaxScanAddresses = 4096;
inline constexpr int kOwnNetworkMax = 256;

// The machine's own IPv4 networks of at most kOwnNetworkMax addresses, as
// "192.168.1.0/24": interfaces that are up, loopback left out.
QStringList ownNetworks();

enum class ScanWordProblem {
    None,
    NotAnAddress, // neither an address, a network, nor a host name
    UnknownHost,  // a host name that was not found in time
    TooMany,      // more than the most addresses a scan covers
    NoOwnNetwork, // "auto" on a machine with no network small enough
};

struct ScanTargets
{
    std::vector<QString> addresses; // literal IPv4 or IPv6 addresses, each once, in the order given
    ScanWordProblem problem = ScanWordProblem::None;
    QString word;     // the word with the problem
    qint64 count = 0; // with TooMany: how many addresses the words cover
};

// Reads the words: an IPv4 or IPv6 address, an IPv4 network "A.B.C.D/N"
// (N from 16 to 32; its network and broadcast addresses left out up to /30),
// "auto" (ownNetworks()), or a host name, looked up within lookupMs.
ScanTargets readScanTargets(const QStringList &words, int maxAddresses = kMaxScanAddresses, int lookupMs = 2000);

// "127.0.0.2:9100", "[::1]:9100".
QString hostPortText(const QString &address, quint16 port);

struct NetworkFind
{
    QString address;
    quint16 port = kRawPrinterPort;
    // What the listener answered: Answered is a receipt printer; anything
    // else (no answer, bytes that are no printer's status, the connection
    // closed) a listener that is not one.
    PrinterReport report;

    bool printer() const { return report.state == QueryState::Answered; }
    QString link() const { return hostPortText(address, port); }
};

struct NetworkScanOptions
{
    int connectMs = 1000;     // how long a connection may take to be accepted
    int answerMs = 700;       // how long each question may wait for its answer's first byte
    int parallelQueries = 16; // listeners asked at the same time
    int maxConnecting = 256;  // connections under way at the same time
};

// Called for each listener as soon as it is known, and with the addresses
// done so far; never two calls at the same time.
using NetworkFound = std::function<void(const NetworkFind &)>;
using ScanProgress = std::function<void(int done, int total)>;

// Connects to port on every address, side by side, and asks each that takes
// the connection; stops soon after *stop becomes true. The listeners found,
// in the order of the addresses. Bounded: connectMs, then at most eight
// questions of answerMs each (and 100 ms after an answer's last byte).
std::vector<NetworkFind> scanNetwork(const std::vector<QString> &addresses, quint16 port,
                                     const NetworkScanOptions &options, const NetworkFound &found = {},
                                     const ScanProgress &progress = {}, const std::atomic<bool> *stop = nullptr);
