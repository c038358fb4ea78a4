#include "command_table.h"
#include "maintenance_commands.h"

#include <QtTest>

class TestMaintenanceCommands : public QObject
{
    Q_OBJECT

private slots:
    void fixedCommands_data();
    void fixedCommands();
    void qrStore_data();
    void qrStore();
    void qrTextFits();
};

void TestMaintenanceCommands::fixedCommands_data()
{
    addCommandColumns();
    const auto row = addCommandRow;
    row("function list", functionListCommand(), "1B 23 46 1B 69 0A 0A 0A 0A", "Set config list");
    row("code page list", codePageListCommand(), "1B 23 48 1B 69 0A 0A 0A 0A", "Set Lanage list");
    row("cash drawer", cashDrawerCommand(), "1B 70 00 0A 32", "Open cash box");
    row("full cut", fullCutCommand(), "1B 69", "<none>");
    row("half cut", halfCutCommand(), "1B 6D", "<none>");
    row("factory restore", factoryRestoreCommand(), "1B 23 23 52 45 43 46", "<none>");
    row("qr print", qrPrintCommand(), "1D 28 6B 03 00 31 51 30", "QR download");
}

void TestMaintenanceCommands::fixedCommands()
{
    compareCommandRow();
}

void TestMaintenanceCommands::qrStore_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("taken");
    QTest::newRow("empty") << QByteArray() << QByteArray("1D 28 6B 03 00 31 50 30") << 0;
    QTest::newRow("20 bytes") << QByteArray(20, 'a') << QByteArray("1D 28 6B 17 00 31 50 30") << 20;
    QTest::newRow("248 bytes") << QByteArray(248, 'b') << QByteArray("1D 28 6B FB 00 31 50 30") << 248;
    QTest::newRow("300 bytes capped") << QByteArray(300, 'c') << QByteArray("1D 28 6B FB 00 31 50 30") << 248;
}

void TestMaintenanceCommands::qrStore()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, head);
    QFETCH(int, taken);
    const Command c = qrStoreCommand(text);
    QCOMPARE(int(c.bytes.size()), taken + 8);
    QCOMPARE(hexOf(Bytes(c.bytes.begin(), c.bytes.begin() + 8)), head);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(c.bytes.data()) + 8, taken), text.left(taken));
    QCOMPARE(docOf(c), QByteArray("QR download"));
}

void TestMaintenanceCommands::qrTextFits()
{
    const int length = int(qstrlen(kQrText));
    QVERIFY(length > 0 && length <= kQrTextMax);
    QCOMPARE(int(qrStoreCommand(kQrText).bytes.size()), length + 8);
}

QTEST_APPLESS_MAIN(TestMaintenanceCommands)
#include "tst_maintenance_commands.moc"
