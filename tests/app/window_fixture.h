// Shared set-up of the main window tests: the fake library configured before
// the window is made, and every message box recorded instead of shown.
#pragma once

#include "fake_dravik.h"
#include "main_window.h"
#include "notifier.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct MessageLog
{
    std::vector<Message> messages;

    MessageLog()
    {
        notifier::setHandler([this](QWidget *, const Message &m) { messages.push_back(m); });
    }
    ~MessageLog() { notifier::setHandler({}); }
    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out << m.text;
        return out;
    }
};

// A fake library holding two printers, two serial ports and parallel ports.
inline void configureFake(const std::string &language = "english")
{
    fake::reset();
    fake::config().printers = "Receipt80\nKitchen58\n";
    fake::config().serialPorts = "/dev/ttyUSB0\r\n/dev/ttyACM0\r\n";
    fake::config().portNames = "LPT1:\nLPT2:\n";
    fake::config().language = language;
}

// "1B 23 23" style text of a recorded send, for readable comparisons.
inline QString hexOf(const std::vector<std::uint8_t> &bytes)
{
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

// The sends recorded by the fake library as "DOC|HEX" texts.
inline QStringList sends()
{
    QStringList out;
    for (const fake::Call &c : fake::callsOf("SendBufferToPrint"))
        out << QString::fromStdString(c.texts[2]) + QLatin1Char('|') + hexOf(c.bytes);
    return out;
}
