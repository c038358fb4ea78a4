#include "setting_groups.h"

#include "shown_text.h"

#include <algorithm>

bool SettingChoices::empty() const
{
    for (const auto &value : values)
        if (value)
            return false;
    return true;
}

QStringList settingGroupNames()
{
    QStringList names;
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        names << QLatin1String(s->word);
    return names;
}

QString chooseSetting(SettingChoices &choices, const QString &group, const QString &value)
{
    const Setting *s = settingByWord(group);
    if (!s)
        return QStringLiteral("unknown setting %1 (one of %2)")
            .arg(shownInput(group), settingGroupNames().join(QLatin1Char(' ')));
    std::optional<std::uint32_t> &chosen = choices[s->key];
    if (chosen)
        return QStringLiteral("%1 is given twice").arg(shownInput(group));
    const QString text = value.trimmed();
    std::uint32_t read = 0;
    switch (readSettingValue(*s, text, read)) {
    case ValueRead::Taken:
        chosen = read;
        return {};
    case ValueRead::Ambiguous:
        return QStringLiteral("%1 %2: expected its number, since %3 names more than one code page")
            .arg(shownInput(group), shownInput(value), shownInput(text));
    case ValueRead::Refused:
        break;
    }
    return QStringLiteral("%1 %2: expected %3").arg(shownInput(group), shownInput(value), expectedSettingValues(*s));
}

std::vector<Command> settingCommands(const SettingChoices &c, InstructionSet set, bool baudLast)
{
    std::vector<const Setting *> order = updateOrder();
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        if (s->updateStep == 0)
            order.push_back(s);
    if (baudLast) {
        const Setting *baud = &setting(SettingKey::BaudRate);
        order.erase(std::remove(order.begin(), order.end(), baud), order.end());
        order.push_back(baud);
    }
    std::vector<Command> commands;
    for (const Setting *s : order)
        if (const auto &value = c[s->key])
            for (Command &command : s->commands(set, *value))
                commands.push_back(std::move(command));
    return commands;
}

QString settingNotes(const SettingChoices &c)
{
    const auto &rate = c[SettingKey::BaudRate];
    if (!rate)
        return {};
    return QStringLiteral("The baud rate is now %1: restart the printer, and open its serial port at %1 from now on.")
        .arg(*rate);
}
