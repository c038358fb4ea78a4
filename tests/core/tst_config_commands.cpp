#include "command_table.h"
#include "config_commands.h"

#include <QtTest>

class TestConfigCommands : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void textFallbacks_data();
    void textFallbacks();
    void buzzerMask_data();
    void buzzerMask();
    void cutFeed_data();
    void cutFeed();
};

void TestConfigCommands::commands_data()
{
    addCommandColumns();
    const auto row = addCommandRow;
    const auto New = InstructionSet::New, Old = InstructionSet::Old;
    const char *lan = "Set New Lanage";
    row("code page 00 new", codePageCommand(New, 0x00), "1B 23 23 53 4C 41 4E 00 1B 23 46 1B 69", lan);
    row("code page 0F new", codePageCommand(New, 0x0F), "1B 23 23 53 4C 41 4E 0F 1B 23 46 1B 69", lan);
    row("code page 20 new", codePageCommand(New, 0x20), "1B 23 23 53 4C 41 4E 20 1B 23 46 1B 69", lan);
    row("code page 29 new", codePageCommand(New, 0x29), "1B 23 23 53 4C 41 4E 29 1B 23 46 1B 69", lan);
    row("code page 00 old", codePageCommand(Old, 0x00), "1B 74 00 1B 23 46 1B 69", lan);
    row("code page 0F old", codePageCommand(Old, 0x0F), "1B 74 0F 1B 23 46 1B 69", lan);
    row("code page 20 old", codePageCommand(Old, 0x20), "1B 74 20 1B 23 46 1B 69", lan);
    row("code page 29 old", codePageCommand(Old, 0x29), "1B 74 29 1B 23 46 1B 69", lan);
    const char *baud = "Set New BaudRate";
    row("baud 9600 new", baudRateCommand(New, 9600), "1B 23 23 53 42 44 52 80 25 00 00 1B 23 46 1B 40", baud);
    row("baud 115200 new", baudRateCommand(New, 115200), "1B 23 23 53 42 44 52 00 C2 01 00 1B 23 46 1B 40", baud);
    row("baud 230400 new", baudRateCommand(New, 230400), "1B 23 23 53 42 44 52 00 84 03 00 1B 23 46 1B 40", baud);
    row("baud text new", baudRateCommand(New, baudRateFromText("fast")),
        "1B 23 23 53 42 44 52 00 C2 01 00 1B 23 46 1B 40", baud);
    row("baud 9600 old", baudRateCommand(Old, 9600), "1B 7A 37 80 25 00 00 1B 23 46 1B 40", baud);
    row("baud 115200 old", baudRateCommand(Old, 115200), "1B 7A 37 00 C2 01 00 1B 23 46 1B 40", baud);
    row("baud 230400 old", baudRateCommand(Old, 230400), "1B 7A 37 00 84 03 00 1B 23 46 1B 40", baud);
    row("baud text old", baudRateCommand(Old, baudRateFromText("")), "1B 7A 37 00 C2 01 00 1B 23 46 1B 40", baud);
    row("darkness none new", darknessCommand(New, darknessFromText("")), "1B 23 23 53 54 44 50 02", "Set New Level");
    row("darkness 40 new", darknessCommand(New, darknessFromText("40")), "1B 23 23 53 54 44 50 28", "Set New Level");
    row("darkness none old", darknessCommand(Old, darknessFromText("")), "1D 69 02", "Set New Level");
    row("darkness 0 old", darknessCommand(Old, darknessFromText("0")), "1D 69 00", "Set New Level");
    row("barcode on", barcodeCommand(true), "1D 45 43 01", "Set Barcode");
    row("barcode off", barcodeCommand(false), "1D 45 43 00", "Set Barcode");
    row("black mark on", blackMarkCommand(true), "1F 1B 1F 80 04 05 06 44", "Set Black Mark ");
    row("black mark off", blackMarkCommand(false), "1F 1B 1F 80 04 05 06 66", "Set Black Mark ");
    row("buzzer 00 new", buzzerCommand(New, 0x00), "1B 23 23 53 54 42 50 00 00", "Set beep ");
    row("buzzer 06 new", buzzerCommand(New, 0x06), "1B 23 23 53 54 42 50 06 00", "Set beep ");
    row("buzzer 0F new", buzzerCommand(New, 0x0F), "1B 23 23 53 54 42 50 0F 00", "Set beep ");
    row("buzzer 00 old", buzzerCommand(Old, 0x00), "1B 23 23 45 4E 42 50 30", "Set beep ");
    row("buzzer 06 old", buzzerCommand(Old, 0x06), "1B 23 23 45 4E 42 50 31", "Set beep ");
    row("buzzer 0F old", buzzerCommand(Old, 0x0F), "1B 23 23 45 4E 42 50 31", "Set beep ");
    row("cutter on", cutterCommand(true), "1B 23 23 45 43 41 54 31", "Set Cut Auto ref");
    row("cutter off", cutterCommand(false), "1B 23 23 45 43 41 54 30", "Set Cut Auto ref");
    row("cut mode full+half", cutModeCommand(true), "1B 23 23 45 46 43 54 31", "Set Cut Mode");
    row("cut mode half", cutModeCommand(false), "1B 23 23 45 46 43 54 30", "Set Cut Mode");
}

void TestConfigCommands::commands()
{
    compareCommandRow();
}

void TestConfigCommands::textFallbacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("baud");
    QTest::addColumn<int>("darkness");
    QTest::newRow("empty") << "" << 115200u << 2;
    QTest::newRow("word") << "abc" << 115200u << 2;
    QTest::newRow("hex") << "0x10" << 115200u << 2;
    QTest::newRow("0") << "0" << 115200u << 0;
    QTest::newRow("23") << "23" << 23u << 23;
    QTest::newRow("40") << "40" << 40u << 40;
    QTest::newRow("41") << "41" << 41u << 2;
    QTest::newRow("negative") << "-1" << 115200u << 2;
    QTest::newRow("9600") << "9600" << 9600u << 2;
    QTest::newRow("230400") << "230400" << 230400u << 2;
    QTest::newRow("over three bytes") << "16777216" << 115200u << 2;
}

void TestConfigCommands::textFallbacks()
{
    QFETCH(QString, text);
    QFETCH(uint, baud);
    QFETCH(int, darkness);
    QCOMPARE(uint(baudRateFromText(text)), baud);
    QCOMPARE(int(darknessFromText(text)), darkness);
}

void TestConfigCommands::buzzerMask_data()
{
    QTest::addColumn<bool>("b1");
    QTest::addColumn<bool>("b2");
    QTest::addColumn<bool>("b3");
    QTest::addColumn<bool>("b4");
    QTest::addColumn<int>("mask");
    QTest::newRow("none") << false << false << false << false << 0x00;
    QTest::newRow("01 only") << true << false << false << false << 0x01;
    QTest::newRow("03 only") << false << false << true << false << 0x04;
    QTest::newRow("02 and 03") << false << true << true << false << 0x06;
    QTest::newRow("04 only") << false << false << false << true << 0x08;
    QTest::newRow("all") << true << true << true << true << 0x0F;
}

void TestConfigCommands::buzzerMask()
{
    QFETCH(bool, b1);
    QFETCH(bool, b2);
    QFETCH(bool, b3);
    QFETCH(bool, b4);
    QFETCH(int, mask);
    QCOMPARE(int(::buzzerMask(b1, b2, b3, b4)), mask);
}

void TestConfigCommands::cutFeed_data()
{
    QTest::addColumn<bool>("commandMode");
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArrayList both{"1B 23 23 43 54 46 44 00 00", "1B 23 23 41 43 46 44 28 00"};
    QTest::newRow("command mode") << true << both;
    QTest::newRow("drive mode") << false << (both + QByteArrayList{"1B 23 23 43 54 46 44 58 00"});
}

void TestConfigCommands::cutFeed()
{
    QFETCH(bool, commandMode);
    QFETCH(QByteArrayList, expected);
    const std::vector<Command> commands = cutFeedCommands(commandMode);
    QByteArrayList sent;
    for (const Command &c : commands) {
        sent << hexOf(c.bytes);
        QCOMPARE(QByteArray(c.docName), QByteArray("Paper Cutting before or after"));
    }
    QCOMPARE(sent, expected);
}

QTEST_APPLESS_MAIN(TestConfigCommands)
#include "tst_config_commands.moc"
