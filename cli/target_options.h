// The options every sending command takes: where the bytes go, which
// instruction set, and whether to send at all.
#pragma once

#include "config_commands.h"
#include "option_parser.h"
#include "send_path.h"
#include "settings_catalogue.h"

#include <QString>

#include <cstdint>
#include <vector>

struct Target
{
    // A print queue, a serial port or a printer port, as the session knows them.
    using Kind = PathKind;
    Kind kind = Kind::None;
    // The queue, serial device, or port name / device path; only queues may
    // be several (a print server's fleet), all set alike.
    QStringList names;
    std::uint32_t baud = kSerialOpenRate; // serial only

    QString name() const { return names.value(0); }
};

struct SendOptions
{
    Target target;
    InstructionSet set = InstructionSet::New;
    bool dryRun = false;
    // A job sent to a print queue is followed until the printer took it, for
    // at most waitSeconds per queue; one still waiting then is withdrawn,
    // unless keepQueued.
    bool follow = true;
    int waitSeconds = 30;
    bool keepQueued = false;
};

// The option names above, to add to a command's own.
std::vector<OptionSpec> sendOptionSpecs();

// Reads the send options out of parsed arguments. Returns an error text, or
// empty. A missing target is not an error here (a profile may name one).
QString readSendOptions(const ParsedOptions &parsed, SendOptions &options);
