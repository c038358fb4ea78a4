// The command line of `nemboport serve`.
#pragma once

#include "printer_state.h"
#include "status_answer_bytes.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <vector>

// An address and port the TCP side listens on.
struct TcpEndpoint
{
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = 9100;
};

// HOST:PORT, an IPv6 host in brackets ([::1]:9100).
QString endpointText(const TcpEndpoint &endpoint);

struct ServeOptions
{
    // Every --tcp given, in order; 127.0.0.1:9100 when neither --tcp nor --pty is.
    std::vector<TcpEndpoint> tcp;
    bool pty = false;
    QString ptyLink; // empty: no link besides the announcement
    long baud = 0;   // 0: unpaced
    QString outDir = QStringLiteral("nemboport-printer");
    int paperDots = 576;
    long maxReceipts = 1000;
    bool factory = false; // not reading back the settings and logos kept in the folder
    PrinterConditions conditions;
    PrinterIdentity identity; // the model name follows --model unless given
};

inline constexpr const char *kServeUsage =
    "usage: nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] [--out DIR] [--model 58|80]\n"
    "                       [--max-receipts N] [--factory] [--paper ok|near-end|out] [--cover open|closed]\n"
    "                       [--offline] [--maker TEXT] [--model-name TEXT] [--firmware TEXT]\n"
    "                       [--serial-number TEXT]\n"
    "  --tcp    listen for raw print jobs (default 127.0.0.1:9100 when no --pty is given); give it\n"
    "           again for more addresses (e.g. 127.0.0.2:9100), all feeding the one printer\n"
    "  --pty    make a pseudo-terminal (announced for the serial port list; LINK: a symlink to it)\n"
    "  --baud   read the pseudo-terminal no faster than a serial port at N baud, 8N1, and answer\n"
    "           only a program that set the port to N baud (at another rate it reads garbage)\n"
    "  --out    the folder for state.json, log.txt and receipt-NNN.png (default ./nemboport-printer)\n"
    "  --model  paper width: 58 (384 dots) or 80 (576 dots, the default)\n"
    "  --max-receipts  receipts drawn at most while the server runs (default 1000; 0: no limit);\n"
    "           later cuts are counted, not drawn\n"
    "  --factory  start from the factory settings with no logos, instead of those kept in\n"
    "           the folder's printer.json by an earlier run\n"
    "  --paper, --cover, --offline  how the printer starts (paper ok, cover closed, on-line by\n"
    "           default); while the paper is out, the cover open or it is off-line it prints\n"
    "           nothing. Lines typed while it runs change them: paper ok, paper near-end,\n"
    "           paper out, cover open, cover closed, online, offline\n"
    "  --maker, --model-name, --firmware, --serial-number  what it answers when asked who it is\n"
    "           (printable ASCII, up to 40 characters)\n"
    "  It answers status requests (DLE EOT 1-4, GS r 1) and identity requests (GS I) on the\n"
    "  connection they came on, also in the middle of a job.\n";

// False with a reason for a wrong command line.
bool parseServeOptions(const QStringList &args, ServeOptions &options, QString &error);
