// What the virtual printer remembers: its settings, its flash (NV logos, the
// QR text) and its counters, and how they are written out as state.json.
#pragma once

#include "command_decoder.h"

#include <QByteArray>

#include <vector>

struct PrinterState
{
    // Settings; a factory reset brings back these values.
    int codePage = 0;          // PC437
    long baudRate = 9600;
    int darkness = 23;
    bool barcode = true;
    bool cutter = true;
    bool blackMark = false;
    int buzzer = 0;            // event mask, bits 0..3
    bool cutFullAndHalf = true;
    bool cutFeedDrive = false; // false: command mode
    long cutFeedDistance = 0;
    long autoCutFeedDistance = 40;

    // Flash: kept by a factory reset.
    std::vector<decoder::Logo> logos;
    QByteArray qrText;

    // Counters since the server started.
    long cuts = 0;
    long drawerPulses = 0;
    long long unknownBytes = 0;
};

// The settings of a factory-fresh printer, flash and counters of `from` kept.
PrinterState factoryReset(const PrinterState &from);

// state.json: codePage, baudRate, darkness, barcode, cutter, blackMark,
// buzzer, cutMode, cutFeed, logos, qrText, cuts, drawerPulses, unknownBytes.
QByteArray stateJson(const PrinterState &state);
