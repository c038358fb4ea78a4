// Fuzz target: arbitrary bytes, in pieces of arbitrary sizes, through the
// virtual printer's stream decoding, state, receipts and state.json. Nothing
// may crash, hang or grow without bound.
#include "command_stream.h"
#include "printer_state.h"
#include "virtual_printer.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the paper and the piece size a listener reads.
    const int piece = 1 + (data[0] & 0x7F);
    VirtualPrinter printer((data[0] & 0x80) ? 384 : 576);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    CommandStream stream;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        for (const decoder::Decoded &c : stream.feed(bytes.mid(at, piece)))
            printer.apply(c);
    for (const decoder::Decoded &c : stream.finish())
        printer.apply(c);
    printer.endJob();
    (void)printer.takeReceipts();
    (void)stateJson(printer.state());
    return 0;
}
