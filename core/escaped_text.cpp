#include "escaped_text.h"

#include <algorithm>
#include <limits>

namespace {

// Characters that move the cursor, change the terminal's state or the
// direction of the text, or end a line; and half a surrogate pair, which no
// terminal can show.
bool needsEscape(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escapeOf(QChar c)
{
    const uint u = c.unicode();
    return u < 0x100 ? QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'))
                     : QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
}

// Appends text's characters, escaped, until out would exceed limit
// characters; returns false when something was left out.
bool appendEscaped(QString &out, const QString &text, qsizetype limit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A surrogate pair is one character: never cut between its halves.
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString piece = pair ? text.mid(i, 2) : needsEscape(c) ? escapeOf(c) : QString(c);
        if (out.size() + piece.size() > limit)
            return false;
        out += piece;
        if (pair)
            ++i;
    }
    return true;
}

} // namespace

QString escapedControls(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    QString out;
    appendEscaped(out, text, std::numeric_limits<qsizetype>::max());
    return out;
}

QString shownInput(const QString &text, int maxChars)
{
    static const QString ellipsis = QStringLiteral("...");
    const qsizetype limit = qMax<qsizetype>(maxChars, ellipsis.size() + 1);
    QString out;
    out.reserve(qMin(text.size(), limit) + 8);
    if (appendEscaped(out, text, limit))
        return out;
    // Too long: keep what fits before the ellipsis.
    out.clear();
    appendEscaped(out, text, limit - ellipsis.size());
    return out + ellipsis;
}
