#include "printer_pages.h"

#include "code_page_list.h"

namespace {

QByteArray onOff(bool on)
{
    return on ? QByteArrayLiteral("on") : QByteArrayLiteral("off");
}

} // namespace

QByteArrayList functionListLines(const PrinterState &s)
{
    QByteArrayList lines{
        "*** Function list ***",
        "Code page:   " + QByteArray::number(s.codePage),
        "Baud rate:   " + QByteArray::number(qlonglong(s.baudRate)),
        "Darkness:    " + QByteArray::number(s.darkness),
        "Barcode:     " + onOff(s.barcode),
        "Cutter:      " + onOff(s.cutter),
        "Black mark:  " + onOff(s.blackMark),
        "Buzzer mask: " + QByteArray::number(s.buzzer),
        "Cut mode:    " + (s.cutFullAndHalf ? QByteArrayLiteral("full+half") : QByteArrayLiteral("half")),
        "Cut feed:    " + (s.cutFeedDrive ? QByteArrayLiteral("drive") : QByteArrayLiteral("command")),
        "NV logos:    " + QByteArray::number(qulonglong(s.logos.size())),
    };
    for (std::size_t i = 0; i < s.logos.size(); ++i)
        lines << "  " + QByteArray::number(qulonglong(i) + 1) + ": " + QByteArray::number(s.logos[i].widthDots) +
                     " x " + QByteArray::number(s.logos[i].heightDots) + " dots";
    return lines;
}

QByteArrayList codePageListLines(const PrinterState &s)
{
    QByteArrayList lines{"*** Code page list ***"};
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page) {
        const QByteArray mark = page->number == s.codePage ? "> " : "  ";
        lines << mark + QByteArray(page->text);
    }
    return lines;
}
