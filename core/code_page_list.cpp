// The printer's code pages. The display texts start with the code page
// number as two decimal digits and a comma; the plain names are this
// table's own. The display texts are the English ones, the source of their
// translations.
#include "code_page_list.h"

#include <iterator>

namespace {

constexpr CodePage kEntries[] = {
    {0, "PC437", "USA, standard Europe", QT_TRANSLATE_NOOP("CodePage", "00, PC437 [American, European standard]")},
    {2, "PC850", "Multilingual, Western European",
     QT_TRANSLATE_NOOP("CodePage", "02, PC850 [language], European languages")},
    {3, "PC860", "Portuguese", QT_TRANSLATE_NOOP("CodePage", "03, PC860 [Portuguese]")},
    {4, "PC863", "Canadian French", QT_TRANSLATE_NOOP("CodePage", "04, PC863 [Canada] - French")},
    {5, "PC865", "Nordic", QT_TRANSLATE_NOOP("CodePage", "05, PC865 Nordic German, Germanic]")},
    {6, "PC1252", "Western European", QT_TRANSLATE_NOOP("CodePage", "06, PC1252 [West Europe]")},
    {7, "PC737", "Greek", QT_TRANSLATE_NOOP("CodePage", "07, PC737 [Greek]")},
    {8, "PC862", "Hebrew", QT_TRANSLATE_NOOP("CodePage", "08, PC862 [Hebrew]")},
    {9, "PC755", "Eastern European", QT_TRANSLATE_NOOP("CodePage", "09, PC755 [East Europe]")},
    {10, "Iran", "(Persian)", QT_TRANSLATE_NOOP("CodePage", "10, Iran Iran[]")},
    {11, "CP775", "Baltic", QT_TRANSLATE_NOOP("CodePage", "11, CP775 [Baltic]")},
    {12, "CP932", "Japanese", QT_TRANSLATE_NOOP("CodePage", "12, CP932 [Japanese]")},
    {13, "CP949", "Korean", QT_TRANSLATE_NOOP("CodePage", "13, CP949 [Korean]")},
    {14, "CP950", "Traditional Chinese", QT_TRANSLATE_NOOP("CodePage", "14, CP950 Chinese [traditional]")},
    {15, "CP936", "Simplified Chinese", QT_TRANSLATE_NOOP("CodePage", "15, CP936 [simplified Chinese]")},
    {16, "PC1252", "", QT_TRANSLATE_NOOP("CodePage", "16, PC1252")},
    {17, "PC866", "Cyrillic #2", QT_TRANSLATE_NOOP("CodePage", "17, PC866 [Cyrillice*2]")},
    {18, "PC852", "Latin 2", QT_TRANSLATE_NOOP("CodePage", "18, PC852 [Latin2]")},
    {19, "PC858", "Multilingual with euro", QT_TRANSLATE_NOOP("CodePage", "19, PC858 [western language]")},
    {20, "CP861", "Icelandic", QT_TRANSLATE_NOOP("CodePage", "20, CP861 [Iceland]")},
    {21, "CP866", "Cyrillic, Russian", QT_TRANSLATE_NOOP("CodePage", "21, CP866 [Slavic / Russian]")},
    {22, "CP855", "Cyrillic, Bulgarian", QT_TRANSLATE_NOOP("CodePage", "22, CP855 [Slavic Bulgaria]")},
    {23, "CP857", "Turkish", QT_TRANSLATE_NOOP("CodePage", "23, CP857 [language]")},
    {24, "CP864", "Arabic", QT_TRANSLATE_NOOP("CodePage", "24, CP864 [in Arabic]")},
    {25, "CP869", "Greek 2", QT_TRANSLATE_NOOP("CodePage", "25, CP869 [Greek (2)]")},
    {32, "CP874", "Thai", QT_TRANSLATE_NOOP("CodePage", "32, CP874 [Thai]")},
    {33, "CP1250", "Central European", QT_TRANSLATE_NOOP("CodePage", "33, the CP1250[central Latin-2]")},
    {34, "CP1251", "Cyrillic", QT_TRANSLATE_NOOP("CodePage", "34, CP1251[Cyril, the Slavic Russian]")},
    {35, "CP1252", "Western European, Latin 1",
     QT_TRANSLATE_NOOP("CodePage", "35, CP1252[in Western Europe (Latin I)]")},
    {36, "CP1253", "Greek", QT_TRANSLATE_NOOP("CodePage", "36, CP1253[Greek]")},
    {37, "CP1254", "Turkish", QT_TRANSLATE_NOOP("CodePage", "37, CP1254[Turkey paper]")},
    {38, "CP1255", "Hebrew", QT_TRANSLATE_NOOP("CodePage", "38, CP1255[in Hebrew]")},
    {39, "CP1256", "Arabic", QT_TRANSLATE_NOOP("CodePage", "39, CP1256[in Arabic]")},
    {40, "CP1257", "Baltic", QT_TRANSLATE_NOOP("CodePage", "40, CP1257[Baltic]")},
    {41, "CP1258", "Vietnamese", QT_TRANSLATE_NOOP("CodePage", "41, CP1258[Vietnam]")},
};

} // namespace

QString CodePage::plainName() const
{
    return *description ? QStringLiteral("%1 %2").arg(QLatin1String(code), QLatin1String(description))
                        : QString::fromLatin1(code);
}

const CodePage *codePagesBegin()
{
    return std::begin(kEntries);
}

const CodePage *codePagesEnd()
{
    return std::end(kEntries);
}

const CodePage *codePageByNumber(int number)
{
    for (const CodePage &entry : kEntries)
        if (entry.number == number)
            return &entry;
    return nullptr;
}
