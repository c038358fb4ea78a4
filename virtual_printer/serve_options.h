// The command line of `nemboport serve`.
#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

struct ServeOptions
{
    bool tcp = false;
    QHostAddress tcpHost{QHostAddress::LocalHost};
    quint16 tcpPort = 9100;
    bool pty = false;
    QString ptyLink; // empty: no link besides the announcement
    long baud = 0;   // 0: unpaced
    QString outDir = QStringLiteral("nemboport-printer");
    int paperDots = 576;
    long maxReceipts = 1000;
    bool factory = false; // not reading back the settings and logos kept in the folder
};

inline constexpr const char *kServeUsage =
    "usage: nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] [--out DIR] [--model 58|80]\n"
    "                       [--max-receipts N] [--factory]\n"
    "  --tcp    listen for raw print jobs (default 127.0.0.1:9100 when no --pty is given)\n"
    "  --pty    make a pseudo-terminal (announced for the serial port list; LINK: a symlink to it)\n"
    "  --baud   read the pseudo-terminal no faster than a serial port at N baud, 8N1\n"
    "  --out    the folder for state.json, log.txt and receipt-NNN.png (default ./nemboport-printer)\n"
    "  --model  paper width: 58 (384 dots) or 80 (576 dots, the default)\n"
    "  --max-receipts  receipts drawn at most while the server runs (default 1000; 0: no limit);\n"
    "           later cuts are counted, not drawn\n"
    "  --factory  start from the factory settings with no logos, instead of those kept in\n"
    "           the folder's printer.json by an earlier run\n";

// False with a reason for a wrong command line.
bool parseServeOptions(const QStringList &args, ServeOptions &options, QString &error);
