// What the virtual printer answers to the status and identity requests: the
// bytes a receipt printer sends back, built from its conditions with the bit
// layout the tool's decoders read (core/status_answers.h).
#pragma once

#include "command_decoder.h"
#include "status_answers.h"

#include <QByteArray>

#include <cstdint>

// Who the printer says it is (GS I 65 to 69) and its one-byte ids (GS I 1 to 3).
struct PrinterIdentity
{
    QByteArray maker = "NemboPort";
    QByteArray model = "Virtual 80";
    QByteArray firmware = "1.00";
    QByteArray serialNumber = "VP0000001";
    QByteArray fonts = "ANK";
    std::uint8_t modelId = 0x20;
    std::uint8_t typeId = 0x02; // an autocutter fitted, no multi-byte fonts
    std::uint8_t romVersionId = 0x64;
};

// The most an identity text may hold: printable ASCII, as the decoders take it.
inline constexpr int kMaxIdentityText = 40;
// Empty when text is a usable identity text, else why not.
QString identityTextProblem(const QString &text);

// The DLE EOT n answer for these conditions (the ones that request does not
// report are left out).
std::uint8_t statusByte(StatusRequest which, printer_status::Conditions conditions);
// The GS r 1 answer.
std::uint8_t paperSensorByte(printer_status::Conditions conditions);
// A GS I 65 to 69 answer: "_", the text, NUL.
QByteArray idTextAnswer(const QByteArray &text);

// The answer to one decoded request; empty for a command that asks nothing.
QByteArray answerTo(const decoder::Decoded &request, printer_status::Conditions conditions,
                    const PrinterIdentity &identity);
