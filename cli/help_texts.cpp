#include "help_texts.h"

#include "code_page_list.h"
#include "settings_catalogue.h"
#include "tool_text.h"

#include <algorithm>

namespace {

const char *const kTargetHelp =
    QT_TRANSLATE_NOOP("Nemboport", "Target (every sending command):\n"
                                   "  --queue NAME        a print queue (see `nemboport list`); repeat it to send\n"
                                   "                      to several queues alike, side by side\n"
                                   "  --serial DEVICE     a serial port, e.g. /dev/ttyUSB0; opened, sent to, closed\n"
                                   "  --baud N            the rate to open the serial port with (default 115200)\n"
                                   "  --port NAME         a raw printer port as listed (LPT1) or a device path\n"
                                   "                      such as /dev/usb/lp0\n"
                                   "  --old-commands      the original instruction set (the new one is the default)\n"
                                   "  --dry-run           print each command's bytes and meaning instead of sending\n"
                                   "\n"
                                   "A job sent to a print queue is followed until the print server handed it to\n"
                                   "the printer; the command stops at the first job that does not print.\n"
                                   "  --wait SECONDS      how long each queue's jobs may take (default 30); a job\n"
                                   "                      still waiting then is withdrawn and the exit status is 1,\n"
                                   "                      naming the queue and why (printer off-line...); one the\n"
                                   "                      print server was already handing to the printer is\n"
                                   "                      stopped instead (the printer may have received part or\n"
                                   "                      all of it) and the exit status is 4\n"
                                   "  --keep-queued       leave a job still waiting queued instead (it prints when\n"
                                   "                      the printer takes it; the exit status is still 1)\n"
                                   "  --no-wait           only queue the jobs, as a print command does\n"
                                   "A queue the print server reports paused or not accepting jobs is sent nothing:\n"
                                   "it fails at once with the command that fixes it (unless --keep-queued; with\n"
                                   "--no-wait it is only warned of).\n"
                                   "\n"
                                   "Where the link carries answers, the printer is asked how it is after each\n"
                                   "command it took: one that reports paper out, cover open, off-line or an\n"
                                   "error printed nothing; the command stops there and the exit status is 3.\n");

struct CommandHelp
{
    const char *name;
    const char *text;
};

const CommandHelp kHelp[] = {
    {"list",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport list [--json]\n"
                                    "Lists the print queues, serial ports and raw printer ports the I/O library\n"
                                    "finds, each with its kind and, when it cannot be used, why. A print queue\n"
                                    "shows its state (idle, printing, paused, not accepting jobs, the printer's\n"
                                    "reasons); a paused or rejecting queue is not usable.\n"
                                    "Exit status 1 when the print server cannot be asked.\n"
                                    "  --json   one JSON array of {kind, name, usable, reason}; queues also have\n"
                                    "           state, accepting, reasons and message\n")},
    {"set",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport set GROUP VALUE [GROUP VALUE ...] TARGET\n"
                                    "Sends configuration settings; several run in the one-key update's order\n"
                                    "(codepage, baud, darkness, barcode, cutter, black-mark, buzzer, cut-feed),\n"
                                    "then cut-mode. Over a serial port the baud rate goes last. Setting the\n"
                                    "code page or the baud rate also makes the printer print a page.\n")},
    {"test", QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport test WHAT TARGET\n"
                                            "  function-list     print the function list\n"
                                            "  codepage-list     print the code page list\n"
                                            "  drawer            open the cash drawer\n"
                                            "  half-cut          cut the paper halfway\n"
                                            "  full-cut          cut the paper through\n"
                                            "  qr [TEXT]         print a QR code (at most 248 bytes; default: this\n"
                                            "                    project's web address)\n"
                                            "  factory-reset     restore the factory settings\n")},
    {"logo",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport logo download FILE [--model 58|80] [--no-halftone] TARGET\n"
                                    "       nemboport logo clear TARGET\n"
                                    "       nemboport logo print [--align left|middle|right] TARGET\n"
                                    "download  stores a picture as NV logo 1 in the printer's flash, then waits\n"
                                    "          10 s for the flash write. --model sets the width limit: 58 takes\n"
                                    "          up to 384 dots, 80 (the default) up to 576. The picture is\n"
                                    "          halftoned unless --no-halftone is given.\n"
                                    "clear     erases the stored logos\n"
                                    "print     prints NV logo 1 (--align: middle by default)\n")},
    {"apply",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport apply PROFILE [TARGET]\n"
                                    "Sends the settings of an INI profile in the one-key update's order, to the\n"
                                    "profile's target or to the one given here. `nemboport profile` prints a\n"
                                    "commented template. A profile setting the code page or the baud rate\n"
                                    "makes every printer it is applied to print a page.\n")},
    {"profile", QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport profile\n"
                                               "Prints a commented profile template for `nemboport apply`.\n")},
    {"decode",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport decode [FILE|-]\n"
                                    "Lists the printer commands in a captured byte stream (a file, or standard\n"
                                    "input for - or no argument), one line each: the offset in hex, eight digits\n"
                                    "without 0x as hex dumps print it; the first 16 bytes in hex; the meaning.\n"
                                    "Lines are printed as the bytes are read, so a capture of any length can be\n"
                                    "listed; a run longer than 128 KB is listed in parts.\n")},
    {"status",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport status [--json] [--watch SECONDS] TARGET\n"
                                    "Asks the printer its state (every condition), who it is (maker, model,\n"
                                    "firmware, serial number) and times the answer. No paper is used.\n"
                                    "  --json            one JSON object\n"
                                    "  --watch SECONDS   ask again every SECONDS; a line only when the state\n"
                                    "                    changes; Ctrl+C ends it\n"
                                    "Targets: --queue NAME, --serial DEVICE [--baud N], --port NAME.\n"
                                    "Exit status: 0 ready; 1 no answer, or the library or device failed;\n"
                                    "2 wrong usage; 3 the printer answered but cannot print (paper out, cover\n"
                                    "open, off-line, error).\n")},
    {"probe",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport probe --serial DEVICE [--json]\n"
                                    "       nemboport probe --queue NAME|--port NAME [--json]\n"
                                    "Finds the rate a serial printer listens at, asking its status at each of\n"
                                    "the ten rates, most common first, and prints the rate and the status.\n"
                                    "For a queue or port: says whether that link carries the printer's answers.\n"
                                    "Exit status: 0 found; 1 no answer; 2 wrong usage.\n")},
    {"discover", QT_TRANSLATE_NOOP("Nemboport",
                                   "usage: nemboport discover [--usb] [--serial [DEVICE...]] [--network HOST|CIDR...]\n"
                                   "                          [--port N] [--json] [--add NAME [--replace]]\n"
                                   "Finds receipt printers and says, for each, how it is reached, what it is\n"
                                   "(maker, model, firmware, serial number), how it is, and the print queues\n"
                                   "whose device leads to it. With no option: --usb --serial.\n"
                                   "  --usb               every /dev/usb/lp* with the identity the printer told\n"
                                   "                      the kernel, and the USB printers the print server sees\n"
                                   "  --serial [DEVICE...]  the serial ports listed (or those named), probed for\n"
                                   "                      their rate as probe does, side by side; a busy or\n"
                                   "                      forbidden port is named and skipped\n"
                                   "  --network HOST|CIDR...  TCP port 9100 of each address (an address, a host\n"
                                   "                      name, A.B.C.D/N, or auto: this machine's own networks of\n"
                                   "                      at most 256 addresses), side by side, each asked as a\n"
                                   "                      printer is; what listens but does not answer as a\n"
                                   "                      receipt printer is \"port open, not a receipt printer\".\n"
                                   "                      Nothing is scanned on the network without --network.\n"
                                   "  --port N            another TCP port than 9100\n"
                                   "  --json              one JSON object: found (each with kind, link, printer,\n"
                                   "                      uri, identity, status, queues) and notes\n"
                                   "  --add NAME          when exactly one printer was found, make the print queue\n"
                                   "                      NAME for it (as add-queue does); --replace as there\n"
                                   "Exit status: 0 at least one printer found; 1 none (or --add failed);\n"
                                   "2 wrong usage.\n")},
    {"add-queue",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport add-queue NAME --uri URI [--replace]\n"
                                    "Makes a raw print queue (no driver: the bytes reach the printer as they\n"
                                    "are), enabled and accepting jobs, through the print server's own request.\n"
                                    "Nothing is sent to the printer. URI as discover shows it:\n"
                                    "  socket://HOST:PORT             a network printer\n"
                                    "  serial:/dev/ttyUSB0?baud=9600  a serial printer at its rate\n"
                                    "  usb://MAKE/MODEL?serial=...    a USB printer\n"
                                    "A name that exists is refused unless --replace is given (the queue is\n"
                                    "made anew for URI: it loses its driver, its jobs stay). Making queues\n"
                                    "needs the print server's administrator rights: the group lpadmin, or sudo.\n"
                                    "Exit status: 0 made; 1 refused by the print server or a name that exists;\n"
                                    "2 wrong usage or a name the print server would not take.\n")},
    {"serve",
     QT_TRANSLATE_NOOP("Nemboport", "usage: nemboport serve [OPTIONS]\n"
                                    "Runs the virtual receipt printer; `nemboport serve --help` lists its options.\n")},
};

// One line per setting: the word and its values' shape, then its help from
// the column where the help starts, wrapped before the line grows too long.
QString settingLines()
{
    constexpr int kHelpColumn = 37;
    constexpr int kMinGap = 3;
    constexpr int kWidth = 79;
    QString lines;
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s) {
        QString line = QStringLiteral("  %1 %2").arg(QLatin1String(s->word), settingSyntax(*s));
        const QString help = settingHelp(*s);
        if (!help.isEmpty()) {
            line += QString(std::max(kMinGap, kHelpColumn - int(line.size())), QLatin1Char(' '));
            const int start = int(line.size());
            for (const QString &word : help.split(QLatin1Char(' '))) {
                const bool first = line.size() == start;
                const qsizetype lineStart = line.lastIndexOf(QLatin1Char('\n')) + 1;
                if (!first && line.size() - lineStart + 1 + word.size() > kWidth)
                    line += QLatin1Char('\n') + QString(kHelpColumn, QLatin1Char(' ')) + word;
                else
                    line += (first ? QString() : QStringLiteral(" ")) + word;
            }
        }
        lines += line + QLatin1Char('\n');
    }
    return lines;
}

bool sends(const QString &command)
{
    return command == QLatin1String("set") || command == QLatin1String("test") || command == QLatin1String("logo") ||
           command == QLatin1String("apply");
}

} // namespace

QString toolHelp()
{
    const QString commands =
        Nemboport::tr("usage: nemboport COMMAND [ARGUMENTS] [TARGET]\n"
                      "Sets up and tests a thermal receipt printer through the printer I/O library.\n"
                      "\n"
                      "Commands:\n"
                      "  list [--json]                      print queues, serial and printer ports\n"
                      "  set GROUP VALUE ...                send configuration settings\n"
                      "  test WHAT                          test prints, drawer, cuts, QR, factory reset\n"
                      "  logo download|clear|print          the NV logo in the printer's flash\n"
                      "  apply PROFILE                      send the settings of a profile\n"
                      "  profile                            print a profile template\n"
                      "  decode [FILE|-]                    list the commands in captured bytes\n"
                      "  status [--json] [--watch S]        ask the printer its state and identity\n"
                      "  probe --serial DEVICE              find the rate a serial printer listens at\n"
                      "  discover [--network ADDRESSES]     find receipt printers and their queues\n"
                      "  add-queue NAME --uri URI           make a raw print queue for a printer\n"
                      "  serve                              run the virtual receipt printer\n"
                      "\n");
    const QString options = Nemboport::tr("\n"
                                          "Options may also stand before the command.\n"
                                          "  --help              this text; COMMAND --help for one command\n"
                                          "  --version           the version\n"
                                          "\n"
                                          "Exit status: 0 done (for a print queue: the printer took every job); 1 the\n"
                                          "library or the device failed, or a job did not print; 2 wrong usage or a\n"
                                          "refused input (nothing was sent); 3 the printer answered but cannot\n"
                                          "print (status, or a command it took and could not print).\n");
    return commands + Nemboport::tr(kTargetHelp) + options;
}

QString commandHelp(const QString &command)
{
    for (const CommandHelp &h : kHelp) {
        if (command != QLatin1String(h.name))
            continue;
        QString text = Nemboport::tr(h.text);
        if (command == QLatin1String("set"))
            text += settingLines();
        if (sends(command))
            text += QLatin1Char('\n') + Nemboport::tr(kTargetHelp);
        if (command == QLatin1String("set"))
            text += QLatin1Char('\n') + Nemboport::tr("Code pages (number, then name):") + QLatin1Char('\n') +
                    codePageTable("  ");
        return text;
    }
    return {};
}

QString codePageTable(const char *prefix)
{
    QString table;
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page)
        table += QStringLiteral("%1%2  %3\n")
                     .arg(QLatin1String(prefix))
                     .arg(page->number, 2, 10, QLatin1Char('0'))
                     .arg(page->plainName());
    return table;
}
