// Shared set-up of the main window tests: the fake library configured before
// the window is made, and every message box recorded instead of shown.
#pragma once

#include "fake_dravik.h"
#include "hex.h"
#include "main_window.h"
#include "notifier.h"
#include "status_indicator.h"

#include <QString>
#include <QStringList>
#include <QTest>

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

// The sends recorded by the fake library as "DOC|HEX" texts.
inline QStringList sends()
{
    QStringList out;
    for (const fake::Call &c : fake::callsOf("SendBufferToPrint"))
        out << QString::fromStdString(c.texts[2]) + QLatin1Char('|') + QString::fromLatin1(hexOf(c.bytes));
    return out;
}

// Waits until the printer's answer to the window's question has come (the
// lists are there once the window is made; the question runs meanwhile).
inline bool settled(const TfrmMain &w)
{
    return QTest::qWaitFor([&w] { return !w.statusIndicator->asking(); }, 10000);
}
