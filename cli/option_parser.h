// Splits a command's arguments into options and positional words. Options
// are "--name", "--name VALUE" or "--name=VALUE"; each may appear once.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

struct OptionSpec
{
    const char *name; // without the leading "--"
    bool takesValue;
};

struct ParsedOptions
{
    QMap<QString, QString> options; // name -> value ("" for a flag)
    QStringList positional;
    QString error; // empty when the arguments were understood

    bool has(const char *name) const { return options.contains(QLatin1String(name)); }
    QString value(const char *name) const { return options.value(QLatin1String(name)); }
};

ParsedOptions parseOptions(const QStringList &args, const std::vector<OptionSpec> &specs);
