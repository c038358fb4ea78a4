// A serial line between two ends set to different rates: what the receiving
// end reads of what the other sent (8N1 both). The rate a port is set to is
// line_speed.h's, shared with the printer I/O library.
#pragma once

#include <QByteArray>

// The bytes a receiver at readAt baud reads off the wire when the sender
// sent these at sentAt baud, back to back: it starts a byte at each falling
// edge after an idle line, samples each bit in the middle of its own bit
// time, and keeps bytes with a broken stop bit as they came. Equal rates
// give the bytes unchanged.
QByteArray readAtOtherRate(const QByteArray &bytes, long sentAt, long readAt);
