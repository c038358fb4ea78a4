#include "code_page_list.h"

#include <QtTest>

class TestCodePageList : public QObject
{
    Q_OBJECT

private slots:
    void positions_data();
    void positions();
    void everyRowAgreesWithItsDisplayText();
};

void TestCodePageList::positions_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 0 << 0x00 << "00, PC437 [American, European standard]";
    QTest::newRow("gap after 00") << 1 << 0x02 << "02, PC850 [language], European languages";
    QTest::newRow("Chinese default") << kChineseDefaultCodePage << 0x0F << "15, CP936 [simplified Chinese]";
    QTest::newRow("gap after 25") << 25 << 0x20 << "32, CP874 [Thai]";
    QTest::newRow("logo window default") << kLogoWindowDefaultCodePage << 0x24 << "36, CP1253[Greek]";
    QTest::newRow("last") << 34 << 0x29 << "41, CP1258[Vietnam]";
}

void TestCodePageList::positions()
{
    QFETCH(int, position);
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(codePageCount(), std::size_t(35));
    const CodePage &page = codePagesBegin()[position];
    QCOMPARE(page.number, number);
    QCOMPARE(QString::fromUtf8(page.text), text);
}

// Each row's number and code belong to its display text, the numbers rise,
// so a row edited out of step with its neighbours' columns is caught.
void TestCodePageList::everyRowAgreesWithItsDisplayText()
{
    int previous = -1;
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page) {
        const QString text = QString::fromUtf8(page->text);
        QVERIFY2(page->number > previous && page->number <= 41, page->text);
        QVERIFY2(text.startsWith(QStringLiteral("%1,").arg(page->number, 2, 10, QLatin1Char('0'))), page->text);
        QVERIFY2(text.contains(QLatin1String(page->code)), page->text);
        QCOMPARE(codePageByNumber(page->number), page);
        previous = page->number;
    }
    QCOMPARE(codePageByNumber(26), nullptr);
}

QTEST_APPLESS_MAIN(TestCodePageList)
#include "tst_code_page_list.moc"
