#include "setting_choices.h"

bool SettingChoices::empty() const
{
    for (const auto &value : values)
        if (value)
            return false;
    return true;
}

std::vector<SettingCommands> chosenSettings(const SettingChoices &choices, InstructionSet set)
{
    std::vector<const Setting *> order = updateOrder();
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        if (s->updateStep == 0)
            order.push_back(s);
    std::vector<SettingCommands> chosen;
    for (const Setting *s : order)
        if (const auto &value = choices[s->key])
            chosen.push_back({s, s->commands(set, *value)});
    return chosen;
}
