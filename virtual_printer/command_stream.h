// One connection's byte stream as commands: bytes arrive in pieces of any
// size; a command cut off at the end of a piece waits for the rest.
#pragma once

#include "command_decoder.h"

#include <QByteArray>

#include <vector>

class CommandStream
{
public:
    // The waiting tail never grows past this: a stream that keeps announcing
    // more data than it sends is decoded as it stands (as unknown bytes).
    static constexpr qsizetype kMaxTail = 1024 * 1024;

    // The commands completed by these bytes, added to `into`.
    void feed(const QByteArray &bytes, std::vector<decoder::Decoded> &into);
    // The end of the stream: whatever is left, unknown if incomplete.
    void finish(std::vector<decoder::Decoded> &into);
    // The same, as a list of their own.
    std::vector<decoder::Decoded> feed(const QByteArray &bytes);
    std::vector<decoder::Decoded> finish();

    qsizetype waiting() const { return tail_.size(); }

private:
    void take(bool final, std::vector<decoder::Decoded> &into);
    void handOnSettledRuns(std::vector<decoder::Decoded> &into);

    // Unknown bytes at the end of a piece kept back, in case a command
    // starts among them; longer than any command's fixed head.
    static constexpr qsizetype kUnknownKept = 64;

    QByteArray tail_;
    bool frameWaits_ = false;
};
