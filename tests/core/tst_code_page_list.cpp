#include "code_page_list.h"

#include <QtTest>

class TestCodePageList : public QObject
{
    Q_OBJECT

private slots:
    void wording_data();
    void wording();
    void numbers_data();
    void numbers();
    void everyEntryHasItsNumber();
    void plainNamesMatchTheDisplayTexts();
};

void TestCodePageList::wording_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    const QString english = "00, PC437 [American, European standard]";
    QTest::newRow("chinese") << "chinese" << QString::fromUtf8("00,PC437 [美国，欧洲标准]")
                             << QString::fromUtf8("41,CP1258[越南]");
    QTest::newRow("english") << "english" << english << "41, CP1258[Vietnam]";
    QTest::newRow("capital Chinese") << "Chinese" << english << "41, CP1258[Vietnam]";
    QTest::newRow("empty") << "" << english << "41, CP1258[Vietnam]";
}

void TestCodePageList::wording()
{
    QFETCH(QString, language);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const QStringList list = GetLanguageList(language);
    QCOMPARE(list.size(), 35);
    QCOMPARE(list.first(), first);
    QCOMPARE(list.last(), last);
}

void TestCodePageList::numbers_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("number");
    QTest::newRow("first") << 0 << 0x00;
    QTest::newRow("gap after 00") << 1 << 0x02;
    QTest::newRow("Chinese default") << kChineseDefaultCodePage << 0x0F;
    QTest::newRow("gap after 25") << 25 << 0x20;
    QTest::newRow("logo window default") << kLogoWindowDefaultCodePage << 0x24;
    QTest::newRow("last") << 34 << 0x29;
}

void TestCodePageList::numbers()
{
    QFETCH(int, position);
    QFETCH(int, number);
    QCOMPARE(codePageNumber(GetLanguageList("chinese").at(position)), number);
    QCOMPARE(codePageNumber(GetLanguageList("english").at(position)), number);
}

void TestCodePageList::everyEntryHasItsNumber()
{
    const QStringList chinese = GetLanguageList("chinese");
    const QStringList english = GetLanguageList("english");
    int previous = -1;
    for (int i = 0; i < chinese.size(); ++i) {
        const int n = codePageNumber(chinese.at(i));
        QVERIFY2(n > previous && n <= 41, qPrintable(chinese.at(i)));
        QCOMPARE(codePageNumber(english.at(i)), n);
        previous = n;
    }
    QCOMPARE(codePageNumber("ab, none"), -1);
}

// Each row's number and code belong to its display texts, so a row edited
// out of step with its neighbours' columns is caught.
void TestCodePageList::plainNamesMatchTheDisplayTexts()
{
    QCOMPARE(codePageCount(), std::size_t(GetLanguageList("english").size()));
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page) {
        const QString english = QString::fromUtf8(page->english);
        QCOMPARE(codePageNumber(english), page->number);
        QVERIFY2(english.contains(QLatin1String(page->code)), page->english);
        QVERIFY2(QString::fromUtf8(page->chinese).contains(QLatin1String(page->code)), page->chinese);
        QCOMPARE(codePageByNumber(page->number), page);
    }
    QCOMPARE(codePageByNumber(26), nullptr);
}

QTEST_APPLESS_MAIN(TestCodePageList)
#include "tst_code_page_list.moc"
