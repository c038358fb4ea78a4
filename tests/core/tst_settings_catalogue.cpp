// The settings catalogue: every entry complete, its values read and written
// alike, and the tool's help and profile template made from it.
#include "help_texts.h"
#include "profile_file.h"
#include "settings_catalogue.h"

#include <QtTest>

Q_DECLARE_METATYPE(ValueRead)

class TestSettingsCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void updateOrder();
    void values_data();
    void values();
    void toolHelpLines();
    void profileTemplateSetsEveryDefault();
};

void TestSettingsCatalogue::entries_data()
{
    QTest::addColumn<int>("index");
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        QTest::newRow(s->word) << int(s - settingsBegin());
}

void TestSettingsCatalogue::entries()
{
    QFETCH(int, index);
    const Setting &s = settingsBegin()[index];
    QCOMPARE(settingsEnd() - settingsBegin(), std::ptrdiff_t(kSettingCount));
    QCOMPARE(&setting(s.key), &s);
    QCOMPARE(settingByWord(QLatin1String(s.word)), &s);
    QVERIFY(s.help && s.note);
    QCOMPARE(s.firstWord != nullptr, s.values == SettingValues::Switch);
    QCOMPARE(s.secondWord != nullptr, s.values == SettingValues::Switch);
    QVERIFY(!settingSyntax(s).isEmpty());
    QVERIFY(!expectedSettingValues(s).isEmpty());
    // The default is one of the values, and it can be sent.
    std::uint32_t read = ~0u;
    QCOMPARE(readSettingValue(s, settingValueText(s, s.defaultValue), read), ValueRead::Taken);
    QCOMPARE(read, s.defaultValue);
    for (InstructionSet set : {InstructionSet::New, InstructionSet::Old}) {
        const std::vector<Command> commands = s.commands(set, s.defaultValue);
        QVERIFY(!commands.empty());
        for (const Command &c : commands)
            QVERIFY(!c.bytes.empty() && c.docName);
    }
}

void TestSettingsCatalogue::updateOrder()
{
    QStringList words;
    for (const Setting *s : ::updateOrder())
        words << QLatin1String(s->word);
    QCOMPARE(words,
             (QStringList{"codepage", "baud", "darkness", "barcode", "cutter", "black-mark", "buzzer", "cut-feed"}));
}

void TestSettingsCatalogue::values_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ValueRead>("read");
    QTest::addColumn<uint>("value");
    QTest::addColumn<QString>("written"); // how the value is written back; empty: as given
    const auto row = [](const char *word, const char *text, ValueRead read, uint value, const char *written = "") {
        QTest::addRow("%s %s", word, text) << word << text << read << value << written;
    };
    const auto T = ValueRead::Taken, R = ValueRead::Refused;
    row("codepage", "15", T, 15);
    row("codepage", "cp936", T, 15, "15");
    row("codepage", "99", R, 0);
    row("codepage", "", R, 0);
    row("baud", "1200", T, 1200);
    row("baud", "230400", T, 230400);
    row("baud", "9601", R, 0);
    row("baud", "0", R, 0);
    row("baud", "fast", R, 0);
    row("darkness", "0", T, 0);
    row("darkness", "40", T, 40);
    row("darkness", "41", R, 0);
    row("darkness", "-1", R, 0);
    row("barcode", "on", T, 1);
    row("barcode", "off", T, 0);
    row("barcode", "ON", R, 0);
    row("black-mark", "yes", R, 0);
    row("cut-feed", "drive", T, 0);
    row("cut-mode", "full+half", T, 1);
    row("cut-mode", "full", R, 0);
    row("buzzer", "none", T, 0);
    row("buzzer", "receive", T, 0x01);
    row("buzzer", "cut,paper-out", T, 0x06, "paper-out,cut");
    row("buzzer", "receive,paper-out,cut,error", T, 0x0F);
    row("buzzer", "cut,cut", R, 0);
    row("buzzer", "none,cut", R, 0);
    row("buzzer", "", R, 0);
}

void TestSettingsCatalogue::values()
{
    QFETCH(QString, word);
    QFETCH(QString, text);
    QFETCH(ValueRead, read);
    QFETCH(uint, value);
    QFETCH(QString, written);
    const Setting *s = settingByWord(word);
    QVERIFY(s);
    std::uint32_t got = 0;
    QCOMPARE(readSettingValue(*s, text, got), read);
    if (read != ValueRead::Taken)
        return;
    QCOMPARE(got, value);
    QCOMPARE(settingValueText(*s, got), written.isEmpty() ? text : written);
}

void TestSettingsCatalogue::toolHelpLines()
{
    const QString help = commandHelp(QStringLiteral("set"));
    const QString lines = QStringLiteral("  codepage N|NAME                    e.g. 15 or CP936 (list below)\n"
                                         "  baud RATE                          1200 2400 4800 9600 19200 38400 57600\n"
                                         "                                     115200 128000 230400\n"
                                         "  darkness 0..40\n"
                                         "  barcode on|off\n"
                                         "  cutter on|off\n"
                                         "  black-mark on|off\n"
                                         "  buzzer none|receive,paper-out,cut,error   (any subset)\n"
                                         "  cut-feed command|drive\n"
                                         "  cut-mode full+half|half\n");
    QVERIFY2(help.contains(lines), qPrintable(help));
}

void TestSettingsCatalogue::profileTemplateSetsEveryDefault()
{
    const QString text = profileTemplate();
    for (const char *note :
         {"# Baud rate: 1200 2400 4800 9600 19200 38400 57600 115200 128000 230400.\n", "# Darkness: 0 to 40.\n",
          "# Buzzer events: none, or any of receive,paper-out,cut,error.\n", "\nbarcode = on              ; on | off\n",
          "\ncut-mode = half           ; full+half | half\n"})
        QVERIFY2(text.contains(QLatin1String(note)), note);
    Profile profile;
    QCOMPARE(parseProfile(text.toUtf8(), profile), QString());
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s)
        QCOMPARE(profile.settings[s->key], std::optional<std::uint32_t>(s->defaultValue));
}

QTEST_GUILESS_MAIN(TestSettingsCatalogue)
#include "tst_settings_catalogue.moc"
