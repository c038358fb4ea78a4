#include "setting_groups.h"

#include "shown_text.h"
#include "tool_text.h"

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
        return Nemboport::tr("unknown setting %1 (one of %2)")
            .arg(shownInput(group), settingGroupNames().join(QLatin1Char(' ')));
    std::optional<std::uint32_t> &chosen = choices[s->key];
    if (chosen)
        return Nemboport::tr("%1 is given twice").arg(shownInput(group));
    const QString text = value.trimmed();
    std::uint32_t read = 0;
    switch (readSettingValue(*s, text, read)) {
    case ValueRead::Taken:
        chosen = read;
        return {};
    case ValueRead::Ambiguous:
        return Nemboport::tr("%1 %2: expected its number, since %3 names more than one code page")
            .arg(shownInput(group), shownInput(value), shownInput(text));
    case ValueRead::Refused:
        break;
    }
    return Nemboport::tr("%1 %2: expected %3").arg(shownInput(group), shownInput(value), expectedSettingValues(*s));
}

QString settingNotes(const SettingChoices &c)
{
    const auto &rate = c[SettingKey::BaudRate];
    if (!rate)
        return {};
    return Nemboport::tr("The baud rate is now %1: restart the printer, and open its serial port at %1 from now on.")
        .arg(*rate);
}
