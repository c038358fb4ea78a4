#include "command_listing.h"

#include "command_decoder.h"

namespace {

// Long pieces (a logo's raster) show their first bytes only.
constexpr std::size_t kHexShown = 16;

QString hexOf(const Bytes &bytes, std::size_t offset, std::size_t length)
{
    const std::size_t shown = qMin(length, kHexShown);
    QByteArray raw(reinterpret_cast<const char *>(bytes.data() + offset), qsizetype(shown));
    QString text = QString::fromLatin1(raw.toHex(' ').toUpper());
    if (shown < length)
        text += QStringLiteral(" ... (%1 bytes)").arg(length);
    return text;
}

void listPieces(QTextStream &out, const Bytes &bytes, bool withOffsets)
{
    const decoder::Result result = decoder::decode(bytes, true);
    for (const decoder::Decoded &piece : result.commands) {
        out << "  ";
        if (withOffsets)
            out << QStringLiteral("%1  ").arg(qulonglong(piece.offset), 6, 10, QLatin1Char('0'));
        out << hexOf(bytes, piece.offset, piece.length).leftJustified(47) << "  " << piece.describe() << '\n';
    }
}

} // namespace

void listCommands(QTextStream &out, const std::vector<Command> &commands)
{
    int number = 0;
    for (const Command &command : commands) {
        out << "send " << ++number << ": "
            << (command.docName ? QStringLiteral("\"%1\"").arg(QLatin1String(command.docName))
                                : QStringLiteral("no document name"))
            << ", " << command.bytes.size() << " bytes\n";
        listPieces(out, command.bytes, false);
    }
}

void listStream(QTextStream &out, const Bytes &bytes)
{
    listPieces(out, bytes, true);
}
