#include "target_options.h"

#include "settings_catalogue.h"
#include "shown_text.h"

std::vector<OptionSpec> sendOptionSpecs()
{
    return {{"queue", true, true}, {"serial", true}, {"baud", true},         {"port", true},    {"old-commands", false},
            {"dry-run", false},    {"wait", true},   {"keep-queued", false}, {"no-wait", false}};
}

QString readSendOptions(const ParsedOptions &parsed, SendOptions &options)
{
    const struct
    {
        const char *option;
        Target::Kind kind;
    } kinds[] = {{"queue", Target::Kind::Queue}, {"serial", Target::Kind::Serial}, {"port", Target::Kind::Port}};
    int given = 0;
    for (const auto &k : kinds) {
        if (!parsed.has(k.option))
            continue;
        ++given;
        options.target.kind = k.kind;
        options.target.names.clear();
        for (const QString &value : parsed.values(k.option)) {
            const QString name = value.trimmed();
            if (name.isEmpty())
                return QStringLiteral("--%1 needs a name").arg(QLatin1String(k.option));
            if (options.target.names.contains(name))
                return QStringLiteral("--%1 %2 given twice").arg(QLatin1String(k.option), shownInput(name));
            options.target.names << name;
        }
    }
    if (given > 1)
        return QStringLiteral("give only one of --queue, --serial and --port");
    if (parsed.has("baud")) {
        if (options.target.kind != Target::Kind::Serial)
            return QStringLiteral("--baud goes with --serial");
        bool ok = false;
        const uint rate = parsed.value("baud").toUInt(&ok);
        if (!ok || !isBaudRate(rate))
            return QStringLiteral("--baud %1: not one of %2").arg(shownInput(parsed.value("baud")), baudRateList());
        options.target.baud = rate;
    }
    if (parsed.has("old-commands"))
        options.set = InstructionSet::Old;
    options.dryRun = parsed.has("dry-run");
    if (parsed.has("no-wait") && (parsed.has("wait") || parsed.has("keep-queued")))
        return QStringLiteral("--no-wait goes with neither --wait nor --keep-queued");
    options.follow = !parsed.has("no-wait");
    options.keepQueued = parsed.has("keep-queued");
    if (parsed.has("wait")) {
        constexpr int kLongestWait = 3600;
        bool ok = false;
        const int seconds = parsed.value("wait").toInt(&ok);
        if (!ok || seconds < 1 || seconds > kLongestWait)
            return QStringLiteral("--wait %1: give the seconds to wait for the printer, 1 to %2")
                .arg(shownInput(parsed.value("wait")))
                .arg(kLongestWait);
        options.waitSeconds = seconds;
    }
    return {};
}
