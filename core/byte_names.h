// The control bytes and recurring sequences of the printer's command
// language, named once; every builder and the decoder spell commands with
// these names.
#pragma once

#include "command.h"

#include <cstdint>
#include <initializer_list>

namespace esc {

inline constexpr std::uint8_t EOT = 0x04;
inline constexpr std::uint8_t LF = 0x0A;
inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t ESC = 0x1B;
inline constexpr std::uint8_t FS = 0x1C;
inline constexpr std::uint8_t GS = 0x1D;
inline constexpr std::uint8_t US = 0x1F;

// ESC @: initialise the printer.
inline constexpr std::initializer_list<std::uint8_t> kInitialize = {ESC, '@'};
// ESC # F: print the function list.
inline constexpr std::initializer_list<std::uint8_t> kPrintFunctionList = {ESC, '#', 'F'};
// ESC # H: print the code page list.
inline constexpr std::initializer_list<std::uint8_t> kPrintCodePageList = {ESC, '#', 'H'};
// ESC i: full cut.
inline constexpr std::initializer_list<std::uint8_t> kFullCut = {ESC, 'i'};
// ESC m: half cut.
inline constexpr std::initializer_list<std::uint8_t> kHalfCut = {ESC, 'm'};

inline void append(Bytes &bytes, std::initializer_list<std::uint8_t> more)
{
    bytes.insert(bytes.end(), more);
}

// ESC # # followed by the four-letter tag: the prefix of the configuration
// commands. Made in one piece: GCC 12 at -O2 misreads an insert into the
// vector just filled as a write past its end.
inline Bytes tagged(const char (&tag)[5])
{
    return {ESC, '#', '#', std::uint8_t(tag[0]), std::uint8_t(tag[1]), std::uint8_t(tag[2]), std::uint8_t(tag[3])};
}

} // namespace esc
