#include "setting_groups.h"

#include "code_page_list.h"
#include "shown_text.h"
#include "tool_text.h"

namespace {

QString parseSwitch(const QString &value, std::optional<bool> &into, const char *on, const char *off)
{
    if (value == QLatin1String(on))
        into = true;
    else if (value == QLatin1String(off))
        into = false;
    else
        return Nemboport::tr("%1 or %2").arg(QLatin1String(on), QLatin1String(off));
    return {};
}

// The code page by its number ("15") or its code ("CP936", any letter case);
// only code pages of the table are taken.
QString parseCodePage(const QString &value, SettingChoices &c)
{
    bool numeric = false;
    const int wanted = value.toInt(&numeric, 10);
    int found = -1;
    int matches = 0;
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page) {
        const bool match =
            numeric ? page->number == wanted : value.compare(QLatin1String(page->code), Qt::CaseInsensitive) == 0;
        if (match)
            found = page->number, ++matches;
    }
    if (matches == 0)
        return Nemboport::tr("a code page number or name listed by `nemboport set --help`, e.g. 15 or CP936");
    if (matches > 1)
        return Nemboport::tr("its number, since %1 names more than one code page").arg(shownInput(value));
    c.codePage = std::uint8_t(found);
    return {};
}

QString parseBaud(const QString &value, SettingChoices &c)
{
    static const std::uint32_t rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 128000, 230400};
    bool ok = false;
    const uint rate = value.toUInt(&ok, 10);
    for (std::uint32_t r : rates)
        if (ok && r == rate) {
            c.baudRate = rate;
            return {};
        }
    return Nemboport::tr("one of 1200 2400 4800 9600 19200 38400 57600 115200 128000 230400");
}

QString parseDarkness(const QString &value, SettingChoices &c)
{
    bool ok = false;
    const int level = value.toInt(&ok, 10);
    if (!ok || level < 0 || level > 40)
        return Nemboport::tr("a level from 0 to 40");
    c.darkness = std::uint8_t(level);
    return {};
}

QString parseBuzzer(const QString &value, SettingChoices &c)
{
    const QString expected = Nemboport::tr("none, or any of receive,paper-out,cut,error");
    if (value == QLatin1String("none")) {
        c.buzzerMask = 0;
        return {};
    }
    bool receive = false, cut = false, paperOut = false, error = false;
    for (const QString &event : value.split(QLatin1Char(','))) {
        bool *flag = event == QLatin1String("receive")     ? &receive
                     : event == QLatin1String("cut")       ? &cut
                     : event == QLatin1String("paper-out") ? &paperOut
                     : event == QLatin1String("error")     ? &error
                                                           : nullptr;
        if (!flag || *flag)
            return expected;
        *flag = true;
    }
    // The four boxes: receive, after a cut, paper out, other errors.
    c.buzzerMask = buzzerMask(receive, cut, paperOut, error);
    return {};
}

struct Group
{
    const char *name;
    QString (*parse)(const QString &value, SettingChoices &c);
    bool (*chosen)(const SettingChoices &c);
};

#define NPS_CHOSEN(field) [](const SettingChoices &c) { return c.field.has_value(); }

// In the one-key update's order, then the cut mode.
const Group kGroups[] = {
    {"codepage", parseCodePage, NPS_CHOSEN(codePage)},
    {"baud", parseBaud, NPS_CHOSEN(baudRate)},
    {"darkness", parseDarkness, NPS_CHOSEN(darkness)},
    {"barcode", [](const QString &v, SettingChoices &c) { return parseSwitch(v, c.barcode, "on", "off"); },
     NPS_CHOSEN(barcode)},
    {"cutter", [](const QString &v, SettingChoices &c) { return parseSwitch(v, c.cutter, "on", "off"); },
     NPS_CHOSEN(cutter)},
    {"black-mark", [](const QString &v, SettingChoices &c) { return parseSwitch(v, c.blackMark, "on", "off"); },
     NPS_CHOSEN(blackMark)},
    {"buzzer", parseBuzzer, NPS_CHOSEN(buzzerMask)},
    {"cut-feed",
     [](const QString &v, SettingChoices &c) { return parseSwitch(v, c.cutFeedCommandMode, "command", "drive"); },
     NPS_CHOSEN(cutFeedCommandMode)},
    {"cut-mode",
     [](const QString &v, SettingChoices &c) { return parseSwitch(v, c.cutModeFullAndHalf, "full+half", "half"); },
     NPS_CHOSEN(cutModeFullAndHalf)},
};

#undef NPS_CHOSEN

} // namespace

bool SettingChoices::empty() const
{
    for (const Group &g : kGroups)
        if (g.chosen(*this))
            return false;
    return true;
}

QStringList settingGroupNames()
{
    QStringList names;
    for (const Group &g : kGroups)
        names << QLatin1String(g.name);
    return names;
}

QString chooseSetting(SettingChoices &choices, const QString &group, const QString &value)
{
    for (const Group &g : kGroups) {
        if (group != QLatin1String(g.name))
            continue;
        if (g.chosen(choices))
            return Nemboport::tr("%1 is given twice").arg(shownInput(group));
        const QString expected = g.parse(value.trimmed(), choices);
        return expected.isEmpty()
                   ? QString()
                   : Nemboport::tr("%1 %2: expected %3").arg(shownInput(group), shownInput(value), expected);
    }
    return Nemboport::tr("unknown setting %1 (one of %2)")
        .arg(shownInput(group), settingGroupNames().join(QLatin1Char(' ')));
}

std::vector<Command> settingCommands(const SettingChoices &c, InstructionSet set, bool baudLast)
{
    std::vector<Command> commands;
    if (c.codePage)
        commands.push_back(codePageCommand(set, *c.codePage));
    if (c.baudRate && !baudLast)
        commands.push_back(baudRateCommand(set, *c.baudRate));
    if (c.darkness)
        commands.push_back(darknessCommand(set, *c.darkness));
    if (c.barcode)
        commands.push_back(barcodeCommand(*c.barcode));
    if (c.cutter)
        commands.push_back(cutterCommand(*c.cutter));
    if (c.blackMark)
        commands.push_back(blackMarkCommand(*c.blackMark));
    if (c.buzzerMask)
        commands.push_back(buzzerCommand(set, *c.buzzerMask));
    if (c.cutFeedCommandMode)
        for (const Command &command : cutFeedCommands(*c.cutFeedCommandMode))
            commands.push_back(command);
    if (c.cutModeFullAndHalf)
        commands.push_back(cutModeCommand(*c.cutModeFullAndHalf));
    if (c.baudRate && baudLast)
        commands.push_back(baudRateCommand(set, *c.baudRate));
    return commands;
}

QString settingNotes(const SettingChoices &c)
{
    if (!c.baudRate)
        return {};
    return Nemboport::tr("The baud rate is now %1: restart the printer, and open its serial port at %1 from now on.")
        .arg(*c.baudRate);
}
