// The printer's code pages. The display texts start with the code page
// number as two decimal digits and a comma; the plain names are this
// table's own.
#include "code_page_list.h"

#include <iterator>

namespace {

constexpr CodePage kEntries[] = {
    {0, "PC437", "USA, standard Europe", "00,PC437 [美国，欧洲标准]", "00, PC437 [American, European standard]"},
    {2, "PC850", "Multilingual, Western European", "02,PC850 [多语言, 西欧语]",
     "02, PC850 [language], European languages"},
    {3, "PC860", "Portuguese", "03,PC860 [葡萄牙语]", "03, PC860 [Portuguese]"},
    {4, "PC863", "Canadian French", "04,PC863 [加拿大-法语]", "04, PC863 [Canada] - French"},
    {5, "PC865", "Nordic", "05,PC865 [北欧- 德语，日耳曼语]", "05, PC865 Nordic German, Germanic]"},
    {6, "PC1252", "Western European", "06,PC1252 [West Europe]", "06, PC1252 [West Europe]"},
    {7, "PC737", "Greek", "07,PC737 [Greek]", "07, PC737 [Greek]"},
    {8, "PC862", "Hebrew", "08,PC862 [Hebrew]", "08, PC862 [Hebrew]"},
    {9, "PC755", "Eastern European", "09,PC755 [East Europe]", "09, PC755 [East Europe]"},
    {10, "Iran", "(Persian)", "10,Iran[伊朗]", "10, Iran Iran[]"},
    {11, "CP775", "Baltic", "11,CP775 [波罗的海语]", "11, CP775 [Baltic]"},
    {12, "CP932", "Japanese", "12,CP932 [日文]", "12, CP932 [Japanese]"},
    {13, "CP949", "Korean", "13,CP949 [韩文]", "13, CP949 [Korean]"},
    {14, "CP950", "Traditional Chinese", "14,CP950 [繁体中文]", "14, CP950 Chinese [traditional]"},
    {15, "CP936", "Simplified Chinese", "15,CP936 [简体中文]", "15, CP936 [simplified Chinese]"},
    {16, "PC1252", "", "16,PC1252", "16, PC1252"},
    {17, "PC866", "Cyrillic #2", "17,PC866 [Cyrillice*2]", "17, PC866 [Cyrillice*2]"},
    {18, "PC852", "Latin 2", "18,PC852 [Latin2]", "18, PC852 [Latin2]"},
    {19, "PC858", "Multilingual with euro", "19,PC858 [西欧语]", "19, PC858 [western language]"},
    {20, "CP861", "Icelandic", "20,CP861 [冰岛语]", "20, CP861 [Iceland]"},
    {21, "CP866", "Cyrillic, Russian", "21,CP866 [斯拉夫语/俄语]", "21, CP866 [Slavic / Russian]"},
    {22, "CP855", "Cyrillic, Bulgarian", "22,CP855 [斯拉夫语 保加利亚]", "22, CP855 [Slavic Bulgaria]"},
    {23, "CP857", "Turkish", "23,CP857 [土耳其语]", "23, CP857 [language]"},
    {24, "CP864", "Arabic", "24,CP864 [阿拉伯语]", "24, CP864 [in Arabic]"},
    {25, "CP869", "Greek 2", "25,CP869 [希腊语(2)]", "25, CP869 [Greek (2)]"},
    {32, "CP874", "Thai", "32,CP874 [泰文]", "32, CP874 [Thai]"},
    {33, "CP1250", "Central European", "33,CP1250[中欧 Latin-2 ]", "33, the CP1250[central Latin-2]"},
    {34, "CP1251", "Cyrillic", "34,CP1251[西里尔文 斯拉夫语 俄语]", "34, CP1251[Cyril, the Slavic Russian]"},
    {35, "CP1252", "Western European, Latin 1", "35,CP1252[西欧(拉丁文I)]", "35, CP1252[in Western Europe (Latin I)]"},
    {36, "CP1253", "Greek", "36,CP1253[希腊文]", "36, CP1253[Greek]"},
    {37, "CP1254", "Turkish", "37,CP1254[土耳其文]", "37, CP1254[Turkey paper]"},
    {38, "CP1255", "Hebrew", "38,CP1255[希伯来文]", "38, CP1255[in Hebrew]"},
    {39, "CP1256", "Arabic", "39,CP1256[阿拉伯文]", "39, CP1256[in Arabic]"},
    {40, "CP1257", "Baltic", "40,CP1257[波罗的海文]", "40, CP1257[Baltic]"},
    {41, "CP1258", "Vietnamese", "41,CP1258[越南]", "41, CP1258[Vietnam]"},
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

QStringList GetLanguageList(const QString &language)
{
    const bool chinese = language == QLatin1String("chinese");
    QStringList list;
    list.reserve(int(std::size(kEntries)));
    for (const CodePage &entry : kEntries)
        list << QString::fromUtf8(chinese ? entry.chinese : entry.english);
    return list;
}

int codePageNumber(const QString &entry)
{
    bool ok = false;
    const int n = entry.left(2).toInt(&ok, 10);
    return ok && n >= 0 ? n : -1;
}
