#include "option_parser.h"

#include "shown_text.h"
#include "tool_text.h"

ParsedOptions parseOptions(const QStringList &args, const std::vector<OptionSpec> &specs)
{
    ParsedOptions parsed;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            parsed.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const int eq = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const OptionSpec *known = nullptr;
        for (const OptionSpec &s : specs)
            if (name == QLatin1String(s.name))
                known = &s;
        if (!known) {
            parsed.error = Nemboport::tr("unknown option --%1").arg(shownInput(name));
            return parsed;
        }
        if (parsed.options.contains(name) && !known->repeatable) {
            parsed.error = Nemboport::tr("--%1 given twice").arg(name);
            return parsed;
        }
        QString value;
        if (known->takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                parsed.error = Nemboport::tr("--%1 needs a value").arg(name);
                return parsed;
            }
        } else if (eq >= 0) {
            parsed.error = Nemboport::tr("--%1 takes no value").arg(name);
            return parsed;
        }
        parsed.options[name] << value;
    }
    return parsed;
}
