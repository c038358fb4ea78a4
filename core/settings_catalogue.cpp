#include "settings_catalogue.h"

#include "code_page_list.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace {

constexpr const char *kContext = "SettingsCatalogue";

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

std::vector<Command> one(Command command)
{
    return {std::move(command)};
}

// The defaults are the window's designed choices: code page 15 (CP936),
// 9600 baud, level 23, the barcode and the cutter on, no black mark, every
// buzzer event, the cut feed in command mode and the half cut.
const Setting kSettings[] = {
    {SettingKey::CodePage, "codepage", 1, SettingValues::CodePage, nullptr, nullptr, 15,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "e.g. 15 or CP936 (list below)"),
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Code page: its number or name, e.g. 15 or CP936. Sending it makes the\n"
                                            "printer print a page. The printer's code pages:"),
     [](InstructionSet set, std::uint32_t v) { return one(codePageCommand(set, std::uint8_t(v))); }},
    {SettingKey::BaudRate, "baud", 2, SettingValues::Rate, nullptr, nullptr, 9600, "",
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Baud rate: %1.\n"
                                            "The printer takes it after a restart and prints a page. Over a serial\n"
                                            "port it is sent last."),
     [](InstructionSet set, std::uint32_t v) { return one(baudRateCommand(set, v)); }},
    {SettingKey::Darkness, "darkness", 3, SettingValues::Level, nullptr, nullptr, 23, "",
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Darkness: %1 to %2."),
     [](InstructionSet set, std::uint32_t v) { return one(darknessCommand(set, std::uint8_t(v))); }},
    {SettingKey::Barcode, "barcode", 4, SettingValues::Switch, "on", "off", 1, "", "",
     [](InstructionSet, std::uint32_t v) { return one(barcodeCommand(v != 0)); }},
    {SettingKey::Cutter, "cutter", 5, SettingValues::Switch, "on", "off", 1, "", "",
     [](InstructionSet, std::uint32_t v) { return one(cutterCommand(v != 0)); }},
    {SettingKey::BlackMark, "black-mark", 6, SettingValues::Switch, "on", "off", 0, "", "",
     [](InstructionSet, std::uint32_t v) { return one(blackMarkCommand(v != 0)); }},
    {SettingKey::Buzzer, "buzzer", 7, SettingValues::Events, nullptr, nullptr, 0x0F,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "(any subset)"),
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Buzzer events: none, or any of %1."),
     [](InstructionSet set, std::uint32_t v) { return one(buzzerCommand(set, std::uint8_t(v))); }},
    {SettingKey::CutFeed, "cut-feed", 8, SettingValues::Switch, "command", "drive", 1, "", "",
     [](InstructionSet, std::uint32_t v) { return cutFeedCommands(v != 0); }},
    {SettingKey::CutMode, "cut-mode", 0, SettingValues::Switch, "full+half", "half", 0, "", "",
     [](InstructionSet, std::uint32_t v) { return one(cutModeCommand(v != 0)); }},
};

static_assert(std::size(kSettings) == kSettingCount);

QString eventList()
{
    QStringList words;
    for (const BuzzerEvent &e : kBuzzerEvents)
        words << QLatin1String(e.word);
    return words.join(QLatin1Char(','));
}

// By its number ("15") or its code ("CP936", any letter case).
ValueRead readCodePage(const QString &text, std::uint32_t &value)
{
    bool numeric = false;
    const int wanted = text.toInt(&numeric, 10);
    int found = -1;
    int matches = 0;
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page) {
        const bool match =
            numeric ? page->number == wanted : text.compare(QLatin1String(page->code), Qt::CaseInsensitive) == 0;
        if (match)
            found = page->number, ++matches;
    }
    if (matches == 0)
        return ValueRead::Refused;
    if (matches > 1)
        return ValueRead::Ambiguous;
    value = std::uint32_t(found);
    return ValueRead::Taken;
}

// "none", or distinct events joined by commas.
ValueRead readEvents(const QString &text, std::uint32_t &value)
{
    if (text == QLatin1String("none")) {
        value = 0;
        return ValueRead::Taken;
    }
    std::uint32_t mask = 0;
    for (const QString &word : text.split(QLatin1Char(','))) {
        const auto *event = std::find_if(std::begin(kBuzzerEvents), std::end(kBuzzerEvents),
                                         [&](const BuzzerEvent &e) { return word == QLatin1String(e.word); });
        if (event == std::end(kBuzzerEvents) || (mask & event->bit))
            return ValueRead::Refused;
        mask |= event->bit;
    }
    value = mask;
    return ValueRead::Taken;
}

} // namespace

const Setting *settingsBegin()
{
    return std::begin(kSettings);
}

const Setting *settingsEnd()
{
    return std::end(kSettings);
}

const Setting &setting(SettingKey key)
{
    return kSettings[std::size_t(key)];
}

const Setting *settingByWord(const QString &word)
{
    for (const Setting &s : kSettings)
        if (word == QLatin1String(s.word))
            return &s;
    return nullptr;
}

std::vector<const Setting *> updateOrder()
{
    std::vector<const Setting *> steps;
    for (const Setting &s : kSettings)
        if (s.updateStep > 0)
            steps.push_back(&s);
    std::sort(steps.begin(), steps.end(),
              [](const Setting *a, const Setting *b) { return a->updateStep < b->updateStep; });
    return steps;
}

ValueRead readSettingValue(const Setting &s, const QString &text, std::uint32_t &value)
{
    bool ok = false;
    switch (s.values) {
    case SettingValues::CodePage:
        return readCodePage(text, value);
    case SettingValues::Rate: {
        const uint rate = text.toUInt(&ok, 10);
        if (!ok || !isBaudRate(rate))
            return ValueRead::Refused;
        value = rate;
        return ValueRead::Taken;
    }
    case SettingValues::Level: {
        const int level = text.toInt(&ok, 10);
        if (!ok || level < kDarknessMin || level > kDarknessMax)
            return ValueRead::Refused;
        value = std::uint32_t(level);
        return ValueRead::Taken;
    }
    case SettingValues::Switch:
        if (text != QLatin1String(s.firstWord) && text != QLatin1String(s.secondWord))
            return ValueRead::Refused;
        value = text == QLatin1String(s.firstWord) ? 1 : 0;
        return ValueRead::Taken;
    case SettingValues::Events:
        return readEvents(text, value);
    }
    return ValueRead::Refused;
}

QString settingValueText(const Setting &s, std::uint32_t value)
{
    switch (s.values) {
    case SettingValues::Switch:
        return QLatin1String(value ? s.firstWord : s.secondWord);
    case SettingValues::Events: {
        QStringList words;
        for (const BuzzerEvent &e : kBuzzerEvents)
            if (value & e.bit)
                words << QLatin1String(e.word);
        return words.isEmpty() ? QStringLiteral("none") : words.join(QLatin1Char(','));
    }
    case SettingValues::CodePage:
    case SettingValues::Rate:
    case SettingValues::Level:
        break;
    }
    return QString::number(value);
}

QString settingSyntax(const Setting &s)
{
    switch (s.values) {
    case SettingValues::CodePage:
        return QStringLiteral("N|NAME");
    case SettingValues::Rate:
        return QStringLiteral("RATE");
    case SettingValues::Level:
        return QStringLiteral("%1..%2").arg(kDarknessMin).arg(kDarknessMax);
    case SettingValues::Switch:
        return QStringLiteral("%1|%2").arg(QLatin1String(s.firstWord), QLatin1String(s.secondWord));
    case SettingValues::Events:
        return QStringLiteral("none|") + eventList();
    }
    return {};
}

QString expectedSettingValues(const Setting &s)
{
    switch (s.values) {
    case SettingValues::CodePage:
        return translated(QT_TRANSLATE_NOOP("SettingsCatalogue",
                                            "a code page number or name listed by `nemboport set --help`, e.g. 15 "
                                            "or CP936"));
    case SettingValues::Rate:
        return translated(QT_TRANSLATE_NOOP("SettingsCatalogue", "one of %1")).arg(baudRateList());
    case SettingValues::Level:
        return translated(QT_TRANSLATE_NOOP("SettingsCatalogue", "a level from %1 to %2"))
            .arg(kDarknessMin)
            .arg(kDarknessMax);
    case SettingValues::Switch:
        return translated(QT_TRANSLATE_NOOP("SettingsCatalogue", "%1 or %2"))
            .arg(QLatin1String(s.firstWord), QLatin1String(s.secondWord));
    case SettingValues::Events:
        return translated(QT_TRANSLATE_NOOP("SettingsCatalogue", "none, or any of %1")).arg(eventList());
    }
    return {};
}

QString settingHelp(const Setting &s)
{
    if (s.values == SettingValues::Rate)
        return baudRateList();
    return *s.help ? translated(s.help) : QString();
}

QString settingNote(const Setting &s)
{
    if (!*s.note)
        return {};
    const QString note = translated(s.note);
    switch (s.values) {
    case SettingValues::Rate:
        return note.arg(baudRateList());
    case SettingValues::Level:
        return note.arg(kDarknessMin).arg(kDarknessMax);
    case SettingValues::Events:
        return note.arg(eventList());
    case SettingValues::CodePage:
    case SettingValues::Switch:
        break;
    }
    return note;
}

bool isBaudRate(std::uint32_t rate)
{
    return std::find(std::begin(kBaudRates), std::end(kBaudRates), rate) != std::end(kBaudRates);
}

QString baudRateList()
{
    QStringList texts;
    for (std::uint32_t rate : kBaudRates)
        texts << QString::number(rate);
    return texts.join(QLatin1Char(' '));
}
