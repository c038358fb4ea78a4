// The receipts' PNG writer: every dot comes back as it was drawn, whatever
// the width (rows ending inside a byte) and height.
#include "receipt_png.h"

#include <QRandomGenerator>
#include <QtTest>

class TestReceiptPng : public QObject
{
    Q_OBJECT
private slots:
    void dotsComeBack_data();
    void dotsComeBack();
    void otherPicturesGoThroughQt();
};

void TestReceiptPng::dotsComeBack_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("one dot") << 1 << 1;
    QTest::newRow("row ends inside a byte") << 13 << 5;
    QTest::newRow("80 mm paper, one line") << 576 << 24;
    QTest::newRow("58 mm paper, long") << 384 << 3000;
}

void TestReceiptPng::dotsComeBack()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QImage receipt(width, height, QImage::Format_Mono);
    receipt.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    QRandomGenerator random(quint32(width * 7919 + height));
    // Random dots, with the padding past the width inked too: it must not show.
    for (int y = 0; y < height; ++y)
        for (qsizetype i = 0; i < receipt.bytesPerLine(); ++i)
            receipt.scanLine(y)[i] = uchar(random.generate());
    ReceiptPng writer;
    for (int round = 0; round < 2; ++round) { // the stream is used again
        QByteArray png;
        QVERIFY(writer.encode(receipt, png));
        QImage back;
        QVERIFY(back.loadFromData(png, "PNG"));
        QCOMPARE(back.size(), receipt.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                QCOMPARE(qGray(back.pixel(x, y)) < 128, receipt.pixelIndex(x, y) == 1);
    }
}

void TestReceiptPng::otherPicturesGoThroughQt()
{
    QImage grey(20, 10, QImage::Format_Grayscale8);
    grey.fill(0);
    grey.setPixel(3, 4, qRgb(255, 255, 255));
    QByteArray png;
    QVERIFY(ReceiptPng().encode(grey, png));
    QImage back;
    QVERIFY(back.loadFromData(png, "PNG"));
    QCOMPARE(qGray(back.pixel(3, 4)), 255);
    QCOMPARE(qGray(back.pixel(0, 0)), 0);
}

QTEST_GUILESS_MAIN(TestReceiptPng)
#include "tst_receipt_png.moc"
