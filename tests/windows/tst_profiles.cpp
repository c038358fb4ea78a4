// The window's settings kept as the tool's profile: a profile the window
// saves gives, through `nemboport apply --dry-run`, the bytes of the window's
// one-key update in the same order; a profile opened shows its settings and
// sends nothing; a file that is no profile is refused with the reason.
#include "window_fixture.h"

#include "nemboport_cli.h"
#include "status_line.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// The sends a dry run lists, as "DOC|HEX" like sends() gives them.
QStringList dryRunSends(const QString &profile)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    CliContext ctx{o, e};
    if (runNemboport(ctx, {QStringLiteral("apply"), profile, QStringLiteral("--dry-run")}) != 0)
        return {QStringLiteral("failed: ") + err};
    o.flush();
    QStringList listed;
    static const QRegularExpression heading(QStringLiteral("^send \\d+: \"(.*)\", \\d+ bytes$"));
    static const QRegularExpression hexByte(QStringLiteral("^[0-9A-F]{2}$"));
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = heading.match(line);
        if (m.hasMatch()) {
            listed << m.captured(1) + QLatin1Char('|');
            continue;
        }
        if (!line.startsWith(QLatin1String("  ")) || listed.isEmpty())
            continue;
        for (const QString &token : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!hexByte.match(token).hasMatch())
                break;
            QString &send = listed.last();
            send += (send.endsWith(QLatin1Char('|')) ? QString() : QStringLiteral(" ")) + token;
        }
    }
    return listed;
}

} // namespace

class TestProfiles : public QObject
{
    Q_OBJECT

private slots:
    void savedProfileSendsWhatTheUpdateSends();
    void openedProfileShowsItsSettings();
    void aFileThatIsNoProfileIsRefused();

private:
    QTemporaryDir dir_;
};

void TestProfiles::savedProfileSendsWhatTheUpdateSends()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.bottomRow->Button12->click();
    w.settings->cboLevel->setCurrentIndex(w.settings->cboLevel->findText(QStringLiteral("10")));
    w.settings->chkBeepSet02->setChecked(false);
    w.settings->rdbCutAfter->setChecked(true);
    w.settings->chkCom->setChecked(true); // the baud rate left out
    w.connection->rdbCommandOLD->setChecked(true);

    const QString path = dir_.filePath(QStringLiteral("saved.ini"));
    w.profiles->chooseSaveFile = [path] { return path; };
    w.profiles->save();
    QVERIFY2(QFile::exists(path), qPrintable(log.texts().join(QLatin1Char('\n'))));
    QCOMPARE(w.statusLine->status(), QStringLiteral("Saved 7 settings and the connection as the profile %1").arg(path));

    fake::clearCalls();
    w.bottomRow->Button13->click();
    const QStringList sent = sends();
    QCOMPARE(sent.size(), 9); // seven settings, the cut feed in three sends
    QCOMPARE(dryRunSends(path), sent);
    QVERIFY(log.messages.empty());
}

void TestProfiles::openedProfileShowsItsSettings()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    const QString path = dir_.filePath(QStringLiteral("opened.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[target]\nqueue = Elsewhere\ninstructions = old\n[settings]\ndarkness = 12\nbuzzer = cut,error\n"
               "codepage = 36\nblack-mark = on\ncut-mode = full+half\n");
    file.close();
    fake::clearCalls();
    w.profiles->chooseOpenFile = [path] { return path; };
    w.profiles->open();

    QVERIFY(fake::callsOf("SendBufferToPrint").empty());
    QVERIFY(w.connection->rdbCommandOLD->isChecked());
    QCOMPARE(w.settings->cboLevel->currentText(), QStringLiteral("12"));
    QVERIFY(!w.settings->chkBeepSet01->isChecked() && w.settings->chkBeepSet02->isChecked() &&
            !w.settings->chkBeepSet03->isChecked() && w.settings->chkBeepSet04->isChecked());
    QCOMPARE(w.settings->cboLanage->currentText(), QStringLiteral("36, CP1253[Greek]"));
    QVERIFY(w.settings->rdbBlackOPen->isChecked() && w.settings->rbCutModeFullHelf->isChecked());
    for (SettingKey key :
         {SettingKey::Darkness, SettingKey::Buzzer, SettingKey::CodePage, SettingKey::BlackMark, SettingKey::CutMode})
        QVERIFY(!w.settings->skipBoxOf(key)->isChecked() && w.settings->groupOf(key)->isEnabled());
    for (SettingKey key : {SettingKey::BaudRate, SettingKey::Barcode, SettingKey::Cutter, SettingKey::CutFeed})
        QVERIFY(w.settings->skipBoxOf(key)->isChecked());
    // The connection stays as it was.
    QCOMPARE(w.printerTarget().printerName, QStringLiteral("Receipt80"));
    QVERIFY(log.messages.empty());
}

void TestProfiles::aFileThatIsNoProfileIsRefused()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    const QString path = dir_.filePath(QStringLiteral("bad.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\ndarkness = 99\n");
    file.close();
    w.bottomRow->Button12->click();
    w.profiles->chooseOpenFile = [path] { return path; };
    w.profiles->open();
    QCOMPARE(log.texts(), QStringList{QStringLiteral("The profile %1 could not be opened.").arg(path)});
    QVERIFY(log.messages[0].detail.contains(QLatin1String("darkness 99")));
    QVERIFY(!w.settings->chkLevel->isChecked()); // nothing changed
}

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
