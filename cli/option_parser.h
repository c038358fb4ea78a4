// Splits a command's arguments into options and positional words. Options
// are "--name", "--name VALUE" or "--name=VALUE"; each may appear once
// unless it is repeatable.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

struct OptionSpec
{
    const char *name; // without the leading "--"
    bool takesValue;
    bool repeatable = false;
};

struct ParsedOptions
{
    QMap<QString, QStringList> options; // name -> values in order ("" for a flag)
    QStringList positional;
    QString error; // empty when the arguments were understood

    bool has(const char *name) const { return options.contains(QLatin1String(name)); }
    QString value(const char *name) const { return options.value(QLatin1String(name)).value(0); }
    QStringList values(const char *name) const { return options.value(QLatin1String(name)); }
};

ParsedOptions parseOptions(const QStringList &args, const std::vector<OptionSpec> &specs);
