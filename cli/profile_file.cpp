#include "profile_file.h"

#include "help_texts.h"
#include "settings_catalogue.h"
#include "shown_text.h"
#include "tool_text.h"

#include <QList>
#include <QRegularExpression>

#include <cstdint>

namespace {

QString readTargetKey(const QString &key, const QString &value, SendOptions &send)
{
    const struct
    {
        const char *key;
        Target::Kind kind;
    } kinds[] = {{"queue", Target::Kind::Queue}, {"serial", Target::Kind::Serial}, {"port", Target::Kind::Port}};
    for (const auto &k : kinds) {
        if (key != QLatin1String(k.key))
            continue;
        if (send.target.kind != Target::Kind::None)
            return Nemboport::tr("give only one of queue, serial and port");
        if (value.isEmpty())
            return Nemboport::tr("%1 needs a name").arg(shownInput(key));
        send.target.kind = k.kind;
        send.target.names = QStringList{value};
        return {};
    }
    if (key == QLatin1String("baud")) {
        bool ok = false;
        const uint rate = value.toUInt(&ok);
        if (!ok || !isBaudRate(rate))
            return Nemboport::tr("baud %1: not one of %2").arg(shownInput(value), baudRateList());
        send.target.baud = rate;
        return {};
    }
    if (key == QLatin1String("instructions")) {
        if (value == QLatin1String("new"))
            send.set = InstructionSet::New;
        else if (value == QLatin1String("old"))
            send.set = InstructionSet::Old;
        else
            return Nemboport::tr("instructions %1: expected new or old").arg(shownInput(value));
        return {};
    }
    return Nemboport::tr("unknown key %1 in [target] (queue, serial, baud, port, instructions)").arg(shownInput(key));
}

// The first control character in a line (tabs and the carriage return of a
// CRLF line excepted), or -1. A NUL byte would otherwise end the value early
// for whatever reads it as C text, and an ESC would reach the terminal.
int controlByteIn(const QByteArray &line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto c = std::uint8_t(line.at(i));
        const bool lineEnd = c == '\r' && i + 1 == line.size();
        if ((c < 0x20 && c != '\t' && !lineEnd) || c == 0x7F)
            return c;
    }
    return -1;
}

// Each setting at its default: a commented key where the catalogue has a
// note for it, the code pages' table after the code page's note, and the
// choices of a switch beside it.
QString settingsTemplate()
{
    constexpr int kCommentColumn = 26;
    QString text;
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s) {
        const QString note = settingNote(*s);
        if (!note.isEmpty())
            text += QStringLiteral("# ") + QString(note).replace(QLatin1Char('\n'), QStringLiteral("\n# ")) +
                    QLatin1Char('\n');
        if (s->values == SettingValues::CodePage)
            text += codePageTable("#   ");
        QString line = QStringLiteral("%1 = %2").arg(QLatin1String(s->word), settingValueText(*s, s->defaultValue));
        if (s->values == SettingValues::Switch)
            line = line.leftJustified(kCommentColumn) +
                   QStringLiteral("; %1 | %2").arg(QLatin1String(s->firstWord), QLatin1String(s->secondWord));
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString parseProfile(const QByteArray &text, Profile &profile)
{
    // A byte order mark some editors write is not part of the first line.
    const QList<QByteArray> lines = (text.startsWith("\xEF\xBB\xBF") ? text.mid(3) : text).split('\n');
    QString section;
    QStringList seen;
    int baudLine = 0; // where [target] gives baud, 0 when it does not
    for (int i = 0; i < lines.size(); ++i) {
        const auto at = [i](const QString &why) { return Nemboport::tr("line %1: %2").arg(i + 1).arg(why); };
        const int control = controlByteIn(lines.at(i));
        if (control >= 0)
            return at(Nemboport::tr("holds the control character \\x%1; a profile is plain text")
                          .arg(control, 2, 16, QLatin1Char('0')));
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return at(Nemboport::tr("a section is written [name]"));
            section = line.mid(1, line.size() - 2).trimmed();
            if (section != QLatin1String("target") && section != QLatin1String("settings"))
                return at(Nemboport::tr("unknown section [%1] (target, settings)").arg(shownInput(section)));
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return at(Nemboport::tr("expected key = value"));
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1);
        // A ; or # after a blank starts a comment.
        static const QRegularExpression comment(QStringLiteral("\\s[;#].*$"));
        value = value.remove(comment).trimmed();
        if (section.isEmpty())
            return at(Nemboport::tr("%1 stands outside [target] and [settings]").arg(shownInput(key)));
        const QString qualified = section + QLatin1Char('.') + key;
        if (seen.contains(qualified))
            return at(Nemboport::tr("%1 is given twice").arg(shownInput(key)));
        seen << qualified;
        const QString error = section == QLatin1String("target") ? readTargetKey(key, value, profile.send)
                                                                 : chooseSetting(profile.settings, key, value);
        if (!error.isEmpty())
            return at(error);
        if (section == QLatin1String("target") && key == QLatin1String("baud"))
            baudLine = i + 1;
    }
    if (baudLine && profile.send.target.kind != Target::Kind::Serial)
        return Nemboport::tr("line %1: baud in [target] goes with serial").arg(baudLine);
    return {};
}

QString writeProfile(const Profile &profile, QByteArray &bytes)
{
    const Target &target = profile.send.target;
    static const QRegularExpression unwritable(QStringLiteral("[\\x00-\\x1f\\x7f]|\\s[;#]"));
    if (target.name().contains(unwritable) || target.name().trimmed() != target.name())
        return Nemboport::tr("the name %1 cannot stand in a profile").arg(shownInput(target.name()));
    QString text = QStringLiteral("# nemboport profile: `nemboport apply FILE` sends these settings in the\n"
                                  "# one-key update's order.\n\n[target]\n");
    switch (target.kind) {
    case Target::Kind::Queue:
        text += QStringLiteral("queue = %1\n").arg(target.name());
        break;
    case Target::Kind::Serial:
        text += QStringLiteral("serial = %1\nbaud = %2\n").arg(target.name()).arg(target.baud);
        break;
    case Target::Kind::Port:
        text += QStringLiteral("port = %1\n").arg(target.name());
        break;
    case Target::Kind::None:
        break;
    }
    text += QStringLiteral("instructions = %1\n\n[settings]\n")
                .arg(profile.send.set == InstructionSet::Old ? QStringLiteral("old") : QStringLiteral("new"));
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        if (const auto &value = profile.settings[s->key])
            text += QStringLiteral("%1 = %2\n").arg(QLatin1String(s->word), settingValueText(*s, *value));
    bytes = text.toUtf8();
    return {};
}

QString profileTemplate()
{
    return Nemboport::tr("# nemboport profile: `nemboport apply FILE` sends the settings below, in\n"
                         "# the one-key update's order. Remove or comment out what you do not set.\n"
                         "# Lines starting with # or ; are comments.\n"
                         "\n"
                         "[target]\n"
                         "# Exactly one of queue, serial and port (a target given on the command\n"
                         "# line takes the place of this one).\n"
                         "queue = Receipt\n"
                         "# serial = /dev/ttyUSB0\n"
                         "# baud = %1            ; the rate the serial port is opened with\n"
                         "# port = LPT1              ; or a device path such as /dev/usb/lp0\n"
                         "# Instruction set: new (the default) or old (the original one).\n"
                         "instructions = new\n"
                         "\n"
                         "[settings]\n")
               .arg(kSerialOpenRate) +
           settingsTemplate();
}
