// nemboport through the fake printer I/O library: which library calls each
// command line makes, in which order, and that a refused argument makes none.
#include "fake_dravik.h"
#include "status_requests.h"
#include "tool_runner.h"

#include "config_commands.h"
#include "hex.h"
#include "maintenance_commands.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

#include <sys/stat.h>

namespace {

// A call as one line: "SendBufferToPrint DRIVE|Receipt|Set New Level".
QStringList callLines()
{
    QStringList lines;
    for (const fake::Call &c : fake::calls()) {
        QStringList texts;
        for (const std::string &t : c.texts)
            texts << QString::fromStdString(t);
        QString line = QString::fromStdString(c.function) + QLatin1Char(' ') + texts.join(QLatin1Char('|'));
        if (c.function == "OpenComm")
            line += QStringLiteral(" @%1").arg(c.number);
        lines << line;
    }
    return lines;
}

QString sendTo(const char *port, const char *name, const char *doc)
{
    return QStringLiteral("SendBufferToPrint %1|%2|%3")
        .arg(QLatin1String(port), QLatin1String(name), doc ? QLatin1String(doc) : QLatin1String("<null>"));
}

bool writePicture(const QString &path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height; ++y)
        image.setPixel(y % width, y, qRgb(0, 0, 0));
    return image.save(path, "BMP");
}

} // namespace

class TestNemboportFake : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void callsInOrder_data();
    void callsInOrder();
    void sendsTheBuildersBytes_data();
    void sendsTheBuildersBytes();
    void refusesBadInputAndSendsNothing_data();
    void refusesBadInputAndSendsNothing();
    void echoedInputIsEscapedAndShort_data();
    void echoedInputIsEscapedAndShort();
    void followsEachQueueJob_data();
    void followsEachQueueJob();
    void anUnusableQueueIsSentNothing_data();
    void anUnusableQueueIsSentNothing();
    void libraryThatCannotFollowJobs();
    void picturesCommandsAreHandedOver();
    void libraryReasonsInTheToolsWords_data();
    void libraryReasonsInTheToolsWords();
    void aWaitingJobPointsToItsReason();
    void aFailedSendStopsAndClosesThePort();
    void aPrinterOutOfPaperPrintedNothing();
    void dryRunListsInsteadOfSending();
    void codePagesByPlainName_data();
    void codePagesByPlainName();
    void decodeListsAStreamInHexOffsets_data();
    void decodeListsAStreamInHexOffsets();
    void listsWhatTheLibraryFinds();
    void helpForEveryCommand_data();
    void helpForEveryCommand();
    void speaksTheLocalesLanguage_data();
    void speaksTheLocalesLanguage();
    void helpNamesEveryOption_data();
    void helpNamesEveryOption();
    void theTemplateIsAValidProfile();
    void theTemplateLeavesPagePrintingSettingsOut_data();
    void theTemplateLeavesPagePrintingSettingsOut();

private:
    QTemporaryDir dir_;
    QString picture(const char *name) const { return dir_.filePath(QLatin1String(name)); }
    QString profile(const char *name, const QByteArray &text) const
    {
        QFile f(dir_.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    }
};

void TestNemboportFake::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY(writePicture(picture("logo.bmp"), 64, 32));
    QVERIFY(writePicture(picture("wide.bmp"), 400, 16));
    QVERIFY(writePicture(picture("tiny.bmp"), 4, 4));
    QFile broken(picture("broken.bmp"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("BM not really a bitmap");
}

void TestNemboportFake::init()
{
    fake::reset();
    fake::clearCalls();
}

void TestNemboportFake::callsInOrder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("one setting to a queue") << QStringList{"set", "darkness", "8", "--queue", "Receipt"}
                                            << QStringList{sendTo("DRIVE", "Receipt", kDocDarkness)};
    QTest::newRow("pairs run in the one-key update's order, cut mode last")
        << QStringList{"set", "cut-mode", "half",  "buzzer", "none", "darkness",
                       "8",   "codepage", "CP936", "--port", "LPT2"}
        << QStringList{sendTo("LPT", "LPT2", kDocCodePage), sendTo("LPT", "LPT2", kDocDarkness),
                       sendTo("LPT", "LPT2", kDocBuzzer), sendTo("LPT", "LPT2", kDocCutMode)};
    QTest::newRow("several queues, each with every command in order")
        << QStringList{"set", "darkness", "8", "cutter", "on", "--queue", "A", "--queue", "B"}
        << QStringList{sendTo("DRIVE", "A", kDocDarkness), sendTo("DRIVE", "A", kDocCutter),
                       sendTo("DRIVE", "B", kDocDarkness), sendTo("DRIVE", "B", kDocCutter)};
    QTest::newRow("options before the command")
        << QStringList{"--queue", "Receipt", "--old-commands", "set", "darkness", "8"}
        << QStringList{sendTo("DRIVE", "Receipt", kDocDarkness)};
    QTest::newRow("cut feed in drive mode: three sends")
        << QStringList{"set", "cut-feed", "drive", "--port", "/dev/usb/lp0"}
        << QStringList{sendTo("LPT", "/dev/usb/lp0", kDocCutFeed), sendTo("LPT", "/dev/usb/lp0", kDocCutFeed),
                       sendTo("LPT", "/dev/usb/lp0", kDocCutFeed)};
    QTest::newRow("serial: opened at --baud, the baud rate sent last, closed")
        << QStringList{"set", "baud", "9600", "barcode", "off", "--serial", "/dev/ttyUSB3", "--baud", "19200"}
        << QStringList{"OpenComm /dev/ttyUSB3 @19200", sendTo("COM", "/dev/ttyUSB3", kDocBarcode),
                       sendTo("COM", "/dev/ttyUSB3", kDocBaudRate), "CloseComm /dev/ttyUSB3"};
    QTest::newRow("serial opens at 115200 by default")
        << QStringList{"test", "drawer", "--serial", "/dev/ttyACM0"}
        << QStringList{"OpenComm /dev/ttyACM0 @115200", sendTo("COM", "/dev/ttyACM0", cashDrawerCommand().docName),
                       "CloseComm /dev/ttyACM0"};
    QTest::newRow("--no-wait only queues") << QStringList{"set", "darkness", "8", "--queue", "Receipt", "--no-wait"}
                                           << QStringList{sendTo("DRIVE", "Receipt", kDocDarkness)};
    QTest::newRow("QR: store, then print") << QStringList{"test", "qr", "hello", "--queue", "Q"}
                                           << QStringList{sendTo("DRIVE", "Q", qrStoreCommand("hello").docName),
                                                          sendTo("DRIVE", "Q", qrPrintCommand().docName)};
    QTest::newRow("logo download") << QStringList{"logo", "download", "LOGO", "--model", "58", "--queue", "Q"}
                                   << QStringList{sendTo("DRIVE", "Q", "download NV LOGO")};
    QTest::newRow("logo clear") << QStringList{"logo", "clear", "--queue", "Q"}
                                << QStringList{sendTo("DRIVE", "Q", "Clear NV LOGO")};
    QTest::newRow("logo print") << QStringList{"logo", "print", "--align", "right", "--queue", "Q"}
                                << QStringList{sendTo("DRIVE", "Q", "Print NV Logo")};
    QTest::newRow("profile with its own target")
        << QStringList{"apply", "PROFILE:[target]\nqueue = FromProfile\n[settings]\ncutter = off ; comment\n"}
        << QStringList{sendTo("DRIVE", "FromProfile", kDocCutter)};
    QTest::newRow("a profile's queue only queued with --no-wait")
        << QStringList{"apply", "PROFILE:[target]\nqueue = FromProfile\n[settings]\ncutter = off\n", "--no-wait"}
        << QStringList{sendTo("DRIVE", "FromProfile", kDocCutter)};
    QTest::newRow("a target given on the command line wins")
        << QStringList{"apply", "PROFILE:[target]\nqueue = FromProfile\n[settings]\nblack-mark = on\n", "--port",
                       "LPT1"}
        << QStringList{sendTo("LPT", "LPT1", kDocBlackMark)};
    QTest::newRow("another serial port on the command line keeps the profile's rate")
        << QStringList{"apply", "PROFILE:[target]\nserial = /dev/ttyUSB0\nbaud = 9600\n[settings]\ncutter = on\n",
                       "--serial", "/dev/ttyUSB1"}
        << QStringList{"OpenComm /dev/ttyUSB1 @9600", sendTo("COM", "/dev/ttyUSB1", kDocCutter),
                       "CloseComm /dev/ttyUSB1"};
}

void TestNemboportFake::callsInOrder()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, calls);
    for (QString &arg : args) {
        if (arg == QLatin1String("LOGO"))
            arg = picture("logo.bmp");
        else if (arg.startsWith(QLatin1String("PROFILE:")))
            arg = profile("wiring.ini", arg.mid(8).toUtf8());
    }
    // Every job sent to a print queue is followed right after its send; the
    // printer is asked how it is after the first command it took, and not
    // again once it gave no answer.
    QStringList expected;
    QSet<QString> asked;
    for (const QString &call : calls) {
        expected << call;
        if (!call.startsWith(QLatin1String("SendBufferToPrint ")))
            continue;
        if (call.startsWith(QLatin1String("SendBufferToPrint DRIVE|")) && !args.contains(QLatin1String("--no-wait")))
            expected << QStringLiteral("FollowLastJob ");
        const QString target = call.section(QLatin1Char('|'), 0, 1).mid(int(qstrlen("SendBufferToPrint ")));
        if (!asked.contains(target)) {
            asked.insert(target);
            expected << QStringLiteral("QueryPrinter ") + target;
        }
    }
    const ToolRun run = runTool(args);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.err, QString());
    // The queues' states are asked once, before anything is sent to a queue.
    QStringList seen = callLines();
    const qsizetype states = seen.indexOf(QStringLiteral("GetPrintDriveStates "));
    if (states >= 0) {
        QVERIFY(expected.value(0).startsWith(QLatin1String("SendBufferToPrint DRIVE|")));
        QCOMPARE(states, 0);
        seen.removeAt(states);
    }
    QCOMPARE(seen, expected);
}

void TestNemboportFake::sendsTheBuildersBytes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("set");
    QTest::newRow("new instruction set") << QStringList{} << int(InstructionSet::New);
    QTest::newRow("old instruction set") << QStringList{"--old-commands"} << int(InstructionSet::Old);
}

void TestNemboportFake::sendsTheBuildersBytes()
{
    QFETCH(QStringList, options);
    QFETCH(int, set);
    const InstructionSet is = InstructionSet(set);
    const ToolRun run =
        runTool(QStringList{"set",           "codepage", "15",      "baud",     "9600",       "darkness", "8",
                            "barcode",       "off",      "cutter",  "on",       "black-mark", "on",       "buzzer",
                            "cut,paper-out", "cut-feed", "command", "cut-mode", "full+half",  "--queue",  "Q"} +
                options);
    QVERIFY2(run.status == 0, qPrintable(run.err));

    std::vector<Command> expected = {codePageCommand(is, 15),
                                     baudRateCommand(is, 9600),
                                     darknessCommand(is, 8),
                                     barcodeCommand(false),
                                     cutterCommand(true),
                                     blackMarkCommand(true),
                                     buzzerCommand(is, buzzerMask(false, true, true, false))};
    for (const Command &c : cutFeedCommands(true))
        expected.push_back(c);
    expected.push_back(cutModeCommand(true));

    const std::vector<fake::Call> sent = fake::callsOf("SendBufferToPrint");
    QCOMPARE(sent.size(), expected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        QCOMPARE(hexOf(sent[i].bytes), hexOf(expected[i].bytes));
        QCOMPARE(sent[i].texts.at(2), std::string(expected[i].docName));
    }
}

void TestNemboportFake::refusesBadInputAndSendsNothing_data()
{
    QTest::addColumn<QStringList>("args");
    const QStringList q{"--queue", "Q"};
    const struct
    {
        const char *name;
        QStringList args;
    } rows[] = {
        {"darkness above 40", QStringList{"set", "darkness", "41"} + q},
        {"darkness not a number", QStringList{"set", "darkness", "dark"} + q},
        {"code page not in the list", QStringList{"set", "codepage", "26"} + q},
        {"unknown code page name", QStringList{"set", "codepage", "CP999"} + q},
        {"code page name of two entries", QStringList{"set", "codepage", "PC1252"} + q},
        {"baud rate the printer lacks", QStringList{"set", "baud", "9601"} + q},
        {"switch neither on nor off", QStringList{"set", "barcode", "yes"} + q},
        {"unknown buzzer event", QStringList{"set", "buzzer", "receive,beep"} + q},
        {"buzzer event twice", QStringList{"set", "buzzer", "cut,cut"} + q},
        {"cut mode", QStringList{"set", "cut-mode", "full"} + q},
        {"cut feed", QStringList{"set", "cut-feed", "before"} + q},
        {"a bad value after good ones", QStringList{"set", "codepage", "15", "darkness", "8", "cutter", "maybe"} + q},
        {"a group twice", QStringList{"set", "darkness", "8", "darkness", "9"} + q},
        {"unknown group", QStringList{"set", "speed", "9"} + q},
        {"a group without value", QStringList{"set", "darkness"} + q},
        {"no target", QStringList{"set", "darkness", "8"}},
        {"two targets", QStringList{"set", "darkness", "8", "--queue", "Q", "--port", "LPT1"}},
        {"a queue twice", QStringList{"set", "darkness", "8", "--queue", "Q", "--queue", "Q"}},
        {"two serial ports", QStringList{"set", "darkness", "8", "--serial", "/dev/ttyS1", "--serial", "/dev/ttyS2"}},
        {"--baud without --serial", QStringList{"set", "darkness", "8", "--baud", "9600"} + q},
        {"serial rate the printer lacks", QStringList{"test", "drawer", "--serial", "/dev/ttyS1", "--baud", "12345"}},
        {"unknown option", QStringList{"set", "darkness", "8", "--force"} + q},
        {"unknown test", QStringList{"test", "paper"} + q},
        {"QR text too long", QStringList{"test", "qr", QString(249, QLatin1Char('x'))} + q},
        {"QR text empty", QStringList{"test", "qr", ""} + q},
        {"logo file missing", QStringList{"logo", "download", "/nonexistent/logo.bmp"} + q},
        {"logo file broken", QStringList{"logo", "download", "BROKEN"} + q},
        {"logo too wide for the 58 model", QStringList{"logo", "download", "WIDE", "--model", "58"} + q},
        {"logo under 8 dots", QStringList{"logo", "download", "TINY"} + q},
        {"unknown model", QStringList{"logo", "download", "LOGO", "--model", "60"} + q},
        {"unknown alignment", QStringList{"logo", "print", "--align", "top"} + q},
        {"--model with clear", QStringList{"logo", "clear", "--model", "58"} + q},
        {"profile missing", QStringList{"apply", "/nonexistent/profile.ini"} + q},
        {"profile is a pipe (never waited on)", QStringList{"apply", "FIFO"} + q},
        {"profile with a bad value", QStringList{"apply", "PROFILE:[settings]\ndarkness = 8\nbuzzer = loud\n"} + q},
        {"profile with an unknown key", QStringList{"apply", "PROFILE:[target]\nprinter = X\n"} + q},
        {"profile setting nothing", QStringList{"apply", "PROFILE:[target]\nqueue = X\n"}},
        {"profile with two targets",
         QStringList{"apply", "PROFILE:[target]\nqueue = X\nport = LPT1\n[settings]\ncutter = on\n"}},
        {"unknown command", QStringList{"reset"}},
        {"no seconds to wait", QStringList{"set", "darkness", "8", "--wait", "0"} + q},
        {"seconds to wait not a number", QStringList{"set", "darkness", "8", "--wait", "soon"} + q},
        {"--no-wait with --keep-queued", QStringList{"set", "darkness", "8", "--no-wait", "--keep-queued"} + q},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.args;
}

void TestNemboportFake::refusesBadInputAndSendsNothing()
{
    QFETCH(QStringList, args);
    for (QString &arg : args) {
        if (arg == QLatin1String("LOGO") || arg == QLatin1String("WIDE") || arg == QLatin1String("TINY") ||
            arg == QLatin1String("BROKEN"))
            arg = picture(qPrintable(arg.toLower() + QStringLiteral(".bmp")));
        else if (arg.startsWith(QLatin1String("PROFILE:")))
            arg = profile("refused.ini", arg.mid(8).toUtf8());
        else if (arg == QLatin1String("FIFO")) {
            arg = dir_.filePath(QStringLiteral("pipe.ini"));
            QVERIFY(::mkfifo(QFile::encodeName(arg).constData(), 0600) == 0 || errno == EEXIST);
        }
    }
    const ToolRun run = runTool(args);
    QCOMPARE(run.status, 2);
    QVERIFY(fake::calls().empty());
    // One line with the reason.
    QVERIFY2(run.err.startsWith(QLatin1String("nemboport: ")) && run.err.count(QLatin1Char('\n')) == 1,
             qPrintable(run.err));
}

void TestNemboportFake::echoedInputIsEscapedAndShort_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString esc = QStringLiteral("\x1b]0;owned\x07");
    const QString huge(512 * 1024, QLatin1Char('k')); // a profile is read up to 1 MB
    const QString q = QStringLiteral("--queue");
    // A NUL byte in a value used to end it early: "12\0junk" was sent as 12.
    QTest::newRow("NUL byte in a profile value")
        << QStringList{"apply", "PROFILE:" + QString::fromLatin1(QByteArray("[settings]\ndarkness = 12\0junk\n", 31))}
        << "line 2: holds the control character \\x00; a profile is plain text";
    QTest::newRow("ESC in a profile line") << QStringList{"apply", "PROFILE:[settings]\ncutter = on\n" + esc + " = 1\n"}
                                           << "line 3: holds the control character \\x1b; a profile is plain text";
    QTest::newRow("ESC in a value") << QStringList{"set", "darkness", esc, q, "Q"}
                                    << "darkness \\x1b]0;owned\\x07: expected a level from 0 to 40";
    QTest::newRow("ESC in an unknown command") << QStringList{esc} << "unknown command \\x1b]0;owned\\x07 (";
    QTest::newRow("half-megabyte profile key")
        << QStringList{"apply", "PROFILE:[settings]\n" + huge + " = 1\n"}
        << "line 2: unknown setting " + QString(57, QLatin1Char('k')) + "... (one of codepage";
    // Called by its size to the tenth, not rounded up to the next megabyte.
    QTest::newRow("2.1 MB profile") << QStringList{"apply", "PROFILE:" + QString(2202010, QLatin1Char('#'))}
                                    << "The file is 2.1 MB, far larger than";
    QTest::newRow("half-megabyte option name")
        << QStringList{"set", "--" + huge} << "unknown option --" + QString(57, QLatin1Char('k')) + "...\n";
    const QString turned = QString::fromUtf8("\u202e") + QString::fromUtf8("\U0001F600").repeated(70);
    QTest::newRow("right-to-left override in a queue name, cut between characters")
        << QStringList{"set", "darkness", "8", q, turned, q, turned}
        << "--queue \\u202e" + turned.mid(1, 25 * 2) + "...";
}

void TestNemboportFake::echoedInputIsEscapedAndShort()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    for (QString &arg : args)
        if (arg.startsWith(QLatin1String("PROFILE:")))
            arg = profile("echoed.ini", arg.mid(8).toUtf8());
    const ToolRun run = runTool(args);
    QCOMPARE(run.status, 2);
    QVERIFY(fake::calls().empty());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.size() < 400, qPrintable(run.err.left(400)));
    QCOMPARE(QString::fromUtf8(run.err.toUtf8()), run.err); // no half of a surrogate pair
    for (const QChar c : run.err)
        QVERIFY2(c == QLatin1Char('\n') || c.category() != QChar::Other_Control, qPrintable(run.err));
}

// A failure the library reports is said in the tool's words, naming the
// target; the library's own text follows only with --verbose.
void TestNemboportFake::libraryReasonsInTheToolsWords_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("openResult");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("libraryText");
    QTest::addColumn<QString>("says");
    QTest::addColumn<bool>("showsLibraryText");
    const QStringList serial{"set", "darkness", "8", "--serial", "/dev/ttyUSB0"};
    const QStringList queue{"set", "darkness", "8", "--queue", "Gone"};
    const QString forbidden = QStringLiteral("permission denied opening /dev/ttyUSB0 (join the group dialout)");
    const QString noQueue = QStringLiteral("no print queue named \"Gone\" on the CUPS server localhost");
    QTest::newRow("serial port forbidden")
        << serial << 0 << int(DRAVIK_ERROR_NO_PERMISSION) << forbidden
        << "cannot open /dev/ttyUSB0: you may not open the serial port /dev/ttyUSB0 (the group dialout may)\n"
        << false;
    QTest::newRow("serial port forbidden, verbose")
        << (serial + QStringList{"--verbose"}) << 0 << int(DRAVIK_ERROR_NO_PERMISSION) << forbidden
        << "(the group dialout may) (the library: " + forbidden + ")\n"
        << true;
    QTest::newRow("no such queue") << queue << 1 << int(DRAVIK_ERROR_NOT_FOUND) << noQueue
                                   << "sending \"Set New Level\" to Gone failed: there is no print queue Gone\n"
                                   << false;
    QTest::newRow("no such queue, verbose before the command")
        << (QStringList{"--verbose"} + queue) << 1 << int(DRAVIK_ERROR_NOT_FOUND) << noQueue
        << "there is no print queue Gone (the library: " + noQueue + ")\n"
        << true;
    QTest::newRow("a reason only the library's text tells")
        << queue << 1 << int(DRAVIK_ERROR_OTHER) << QStringLiteral("ipp: client-error-bad-request")
        << "failed: the printer I/O library failed (--verbose shows why)\n"
        << false;
    QTest::newRow("the same, verbose")
        << (queue + QStringList{"--verbose"}) << 1 << int(DRAVIK_ERROR_OTHER)
        << QStringLiteral("ipp: client-error-bad-request")
        << "failed: the printer I/O library failed (the library: ipp: client-error-bad-request)\n"
        << true;
    QTest::newRow("--verbose after -- is a word, not the option")
        << QStringList{"set", "darkness", "8", "--queue", "Gone", "--", "--verbose"} << 1 << int(DRAVIK_ERROR_NOT_FOUND)
        << noQueue << "set takes GROUP VALUE pairs" << false;
}

void TestNemboportFake::libraryReasonsInTheToolsWords()
{
    QFETCH(QStringList, args);
    QFETCH(int, openResult);
    QFETCH(int, code);
    QFETCH(QString, libraryText);
    QFETCH(QString, says);
    QFETCH(bool, showsLibraryText);
    fake::config().openResults = {openResult};
    fake::config().sendResults = {0};
    fake::config().lastErrorCode = code;
    fake::config().lastError = libraryText.toStdString();
    const ToolRun run = runTool(args);
    QVERIFY2(run.status != 0, qPrintable(run.err));
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QCOMPARE(run.err.contains(libraryText), showsLibraryText);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    if (openResult == 0) // nothing sent through a port that did not open
        QCOMPARE(callLines(), QStringList{"OpenComm /dev/ttyUSB0 @115200"});
}

// Why a job still waits is the print server's to say: the tool's words point
// to --verbose, which gives it.
void TestNemboportFake::aWaitingJobPointsToItsReason()
{
    const QString why = QStringLiteral("job 7 is pending: the printer is not responding");
    for (const bool verbose : {false, true}) {
        fake::reset();
        fake::config().followResults = {0};
        fake::config().lastError = why.toStdString();
        QStringList args{"set", "darkness", "8", "--queue", "A"};
        if (verbose)
            args << QStringLiteral("--verbose");
        const ToolRun run = runTool(args);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QLatin1String("A: \"Set New Level\" was still waiting after 30 s and was withdrawn")),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(verbose ? why : QStringLiteral("(--verbose shows why)")), qPrintable(run.err));
    }
}

// The printer took the first command but reports paper out: nothing
// printed, the rest is not sent, and the exit status is status's "not ready".
void TestNemboportFake::aPrinterOutOfPaperPrintedNothing()
{
    fake::config().answers = {{statusRequest(StatusRequest::Printer), {0x12}},
                              {statusRequest(StatusRequest::OfflineCause), {0x12}},
                              {statusRequest(StatusRequest::ErrorCause), {0x12}},
                              {statusRequest(StatusRequest::RollPaper), {0x7E}}};
    const ToolRun run = runTool({"set", "darkness", "8", "cutter", "on", "--queue", "A", "--queue", "B"});
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QStringLiteral("A: not-ready\nB: not-ready\n"));
    QVERIFY2(run.err.contains(QLatin1String("A: the printer took \"Set New Level\" but reports paper out: nothing "
                                            "printed; the 1 command after it was not sent")),
             qPrintable(run.err));
    QCOMPARE(fake::callsOf("SendBufferToPrint").size(), size_t(2));
}

void TestNemboportFake::aFailedSendStopsAndClosesThePort()
{
    fake::config().sendResults = {1, 0};
    fake::config().lastError = "the device went away";
    const ToolRun run = runTool({"set", "darkness", "8", "barcode", "on", "cutter", "on", "--serial", "/dev/ttyUSB0"});
    QCOMPARE(run.status, 1);
    QCOMPARE(callLines(), (QStringList{"OpenComm /dev/ttyUSB0 @115200", sendTo("COM", "/dev/ttyUSB0", kDocDarkness),
                                       "QueryPrinter COM|/dev/ttyUSB0", sendTo("COM", "/dev/ttyUSB0", kDocBarcode),
                                       "CloseComm /dev/ttyUSB0"}));
    QVERIFY2(run.err.contains(QLatin1String("failed: the printer I/O library failed; the 1 command after it was not "
                                            "sent (--verbose shows why)")) &&
                 run.err.count(QLatin1Char('\n')) == 1,
             qPrintable(run.err));
}

void TestNemboportFake::dryRunListsInsteadOfSending()
{
    const ToolRun run = runTool({"set", "cut-feed", "drive", "darkness", "8", "--dry-run"});
    QCOMPARE(run.status, 0);
    QVERIFY(fake::calls().empty());
    QCOMPARE(run.out.count(QRegularExpression(QStringLiteral("^send \\d+: "), QRegularExpression::MultilineOption)), 4);
    QVERIFY2(run.out.contains(QLatin1String("1B 23 23 53 54 44 50 08")), qPrintable(run.out));
}

void TestNemboportFake::codePagesByPlainName_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    // The window's English text for 33 reads "the CP1250[central Latin-2]".
    QTest::newRow("code, any case") << "cp1250"
                                    << "33  CP1250 Central European";
    QTest::newRow("a code without digits") << "Iran"
                                           << "10  Iran (Persian)";
    QTest::newRow("number") << "37"
                            << "37  CP1254 Turkish";
}

void TestNemboportFake::codePagesByPlainName()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);
    const QString number = shown.left(2);
    const QString name = shown.mid(4);
    const ToolRun dry = runTool({"set", "codepage", value, "--dry-run"});
    QVERIFY2(dry.status == 0, qPrintable(dry.err));
    QVERIFY2(dry.out.contains(QStringLiteral("code page %1 (%2)\n").arg(number.toInt()).arg(name)),
             qPrintable(dry.out));
    // The help and the profile template list the same plain name.
    QVERIFY(runTool({"set", "--help"}).out.contains(QStringLiteral("\n  %1\n").arg(shown)));
    QVERIFY(runTool({"profile"}).out.contains(QStringLiteral("\n#   %1\n").arg(shown)));
}

void TestNemboportFake::decodeListsAStreamInHexOffsets_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QStringList>("lines"); // offset and meaning of each line, in order
    const QByteArray darkness("\x1d\x69\x08", 3);
    QTest::newRow("offsets in hex, eight digits")
        << QByteArray("\x1b@ABCDEFGHIJKLMN", 16) + darkness
        << QStringList{"00000000 ESC @", "00000002 text", "00000010 GS i: darkness 8"};
    // The lister reads 64 KB at a time: a command across that boundary is
    // still one command, at its own offset.
    QTest::newRow("a command across a read boundary")
        << QByteArray(65534, 'A') + darkness + "B"
        << QStringList{"00000000 text", "0000fffe GS i: darkness 8", "00010001 text \"B\""};
    // A run of unknown bytes longer than the decoder holds comes in parts
    // that add up, then the decoding goes on.
    QTest::newRow("an overlong run in parts")
        << QByteArray(300 * 1024, '\x01') + darkness
        << QStringList{"00000000 unknown: 131072 bytes", "00020000 unknown: 131072 bytes",
                       "00040000 unknown: 45056 bytes", "0004b000 GS i: darkness 8"};
}

void TestNemboportFake::decodeListsAStreamInHexOffsets()
{
    QFETCH(QByteArray, capture);
    QFETCH(QStringList, lines);
    QFile file(dir_.filePath(QStringLiteral("capture.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(capture) == capture.size());
    file.close();
    const ToolRun run = runTool({"decode", file.fileName()});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    // "  OFFSET  HEX...  MEANING": keep the offset and the meaning's start.
    static const QRegularExpression line(QStringLiteral("^  ([0-9a-f]{8})  [0-9A-F .()bytes]+?  (\\S.*)$"),
                                         QRegularExpression::MultilineOption);
    QStringList seen;
    for (auto it = line.globalMatch(run.out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString meaning = m.captured(2);
        const int kept = lines.value(int(seen.size())).size() - 9;
        seen << m.captured(1) + QLatin1Char(' ') + meaning.left(qMax(0, kept));
    }
    QCOMPARE(seen, lines);
    QCOMPARE(run.out.count(QLatin1Char('\n')), lines.size());
}

void TestNemboportFake::followsEachQueueJob_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<int>>("follow"); // successive FollowLastJob results
    QTest::addColumn<QList<int>>("cancel"); // successive CancelLastJob results
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("calls"); // after the first send
    QTest::addColumn<QString>("says");  // in the output and errors

    const QStringList one{"--queue", "Q"};
    // The printer is asked how it is after the first job it took (the fake
    // gives no answer, so once).
    QTest::newRow("printed") << one << QList<int>{1, 1} << QList<int>{} << 0 << "Follow QueryPrinter Send Follow"
                             << "";
    QTest::newRow("still waiting: withdrawn, the rest not sent")
        << one << QList<int>{0} << QList<int>{1} << 1 << "Follow Cancel"
        << "nemboport: Q: \"Set New Level\" was still waiting after 30 s and was withdrawn; the 1 command after it "
           "was not sent (the library: ";
    QTest::newRow("--wait bounds it") << one + QStringList{"--wait", "5"} << QList<int>{0} << QList<int>{1} << 1
                                      << "Follow Cancel"
                                      << "after 5 s and was withdrawn";
    QTest::newRow("--keep-queued leaves it and fails")
        << one + QStringList{"--keep-queued"} << QList<int>{0} << QList<int>{} << 1 << "Follow"
        << "is still waiting after 30 s and was left queued (--keep-queued)";
    QTest::newRow("aborted") << one << QList<int>{-1} << QList<int>{} << 1 << "Follow"
                             << "nemboport: Q: \"Set New Level\" did not print: the printer I/O library failed; the 1 "
                                "command";
    QTest::newRow("printed while being withdrawn: goes on")
        << one << QList<int>{0, 1, 1} << QList<int>{0} << 0 << "Follow Cancel Follow QueryPrinter Send Follow"
        << "";
    QTest::newRow("cannot be withdrawn") << one << QList<int>{0, 0} << QList<int>{0} << 1 << "Follow Cancel Follow"
                                         << "could not be withdrawn: it may print later";
    // (The fake's failed withdrawal reads code 12 in this row.)
    QTest::newRow("being handed to the printer: stopped while printing, never withdrawn")
        << one << QList<int>{0} << QList<int>{0} << 4 << "Follow Cancel"
        << "nemboport: Q: \"Set New Level\" was still being handed to the printer after 30 s and was stopped while "
           "printing: the printer may have received part or all of it; the 1 command after it was not sent";
    QTest::newRow("several queues: stopped while printing in the summary")
        << QStringList{"--queue", "A", "--queue", "B"} << QList<int>{1, 1, 0} << QList<int>{0} << 4
        << "Follow QueryPrinter Send Follow Send Follow Cancel"
        << "A: printed\nB: stopped-while-printing\n";
    QTest::newRow("several queues: each one's outcome")
        << QStringList{"--queue", "A", "--queue", "B"} << QList<int>{1, 1, 0} << QList<int>{1} << 1
        << "Follow QueryPrinter Send Follow Send Follow Cancel"
        << "A: printed\nB: withdrawn\n";
}

void TestNemboportFake::followsEachQueueJob()
{
    QFETCH(QStringList, options);
    QFETCH(QList<int>, follow);
    QFETCH(QList<int>, cancel);
    fake::config().followResults.assign(follow.begin(), follow.end());
    fake::config().cancelResults.assign(cancel.begin(), cancel.end());
    fake::config().lastError = "the queue is paused";
    if (QByteArray(QTest::currentDataTag()).contains("stopped while printing"))
        fake::config().lastErrorCode = DRAVIK_ERROR_STOPPED_WHILE_PRINTING;
    // With --verbose: the print server's reasons for a job that waits are the library's text.
    const ToolRun run = runTool(QStringList{"set", "darkness", "8", "cutter", "on", "--verbose"} + options);
    QTEST(run.status, "exit");
    QFETCH(QString, says);
    QVERIFY2((run.out + run.err).contains(says), qPrintable(run.out + run.err));
    if (run.status != 0)
        QVERIFY2(run.err.contains(QLatin1String("(the library: the queue is paused)")), qPrintable(run.err));

    QStringList seen;
    for (const fake::Call &c : fake::calls())
        if (c.function != "GetPrintDriveStates") // the queues' fitness, asked first
            seen << QString::fromStdString(c.function)
                        .remove(QStringLiteral("LastJob"))
                        .remove(QStringLiteral("BufferToPrint"));
    QTEST(seen.mid(1).join(QLatin1Char(' ')), "calls");
    // The first follow gets the whole wait (less what the sends took, more
    // than a share of it); none gets more.
    const std::vector<fake::Call> follows = fake::callsOf("FollowLastJob");
    const int waitMs = options.contains(QLatin1String("--wait")) ? 5000 : 30000;
    QVERIFY(follows.front().number > waitMs / 2);
    for (const fake::Call &c : follows)
        QVERIFY(c.number <= waitMs);
}

void TestNemboportFake::anUnusableQueueIsSentNothing_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exit");
    QTest::addColumn<int>("sends");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // a pattern
    const QStringList kitchen{"--queue", "Kitchen"};
    QTest::newRow("paused and rejecting: fails at once with the fix")
        << kitchen << 1 << 0 << ""
        << "^nemboport: Kitchen: not sent: the print server reports the queue paused, not accepting jobs.*; "
           "cupsenable Kitchen resumes it, cupsaccept Kitchen lets it take jobs\n$";
    QTest::newRow("--no-wait: warned, and queued")
        << kitchen + QStringList{"--no-wait"} << 0 << 2 << ""
        << "^nemboport: warning: Kitchen is not usable \\(paused.*cupsenable "
           "Kitchen resumes it.*\\): its jobs wait in the queue\n$";
    QTest::newRow("--keep-queued: warned, and sent") << kitchen + QStringList{"--keep-queued"} << 0 << 2 << ""
                                                     << "^nemboport: warning: Kitchen is not usable";
    QTest::newRow("several queues: the usable ones are served")
        << QStringList{"--queue", "Receipt", "--queue", "Kitchen"} << 1 << 2
        << "Receipt: printed\nKitchen: not-usable\n"
        << "^nemboport: Kitchen: not sent: .*\nnemboport: 1 of 2 queues failed\n$";
}

void TestNemboportFake::anUnusableQueueIsSentNothing()
{
    fake::config().queueStates = "Receipt\tidle\t1\t\t\nKitchen\tstopped\t0\tpaused\tout of paper\n";
    QFETCH(QStringList, options);
    const ToolRun run = runTool(QStringList{"set", "darkness", "8", "cutter", "on"} + options);
    QTEST(run.status, "exit");
    QTEST(int(fake::callsOf("SendBufferToPrint").size()), "sends");
    QTEST(run.out, "out");
    QFETCH(QString, err);
    QVERIFY2(QRegularExpression(err).match(run.err).hasMatch(), qPrintable(run.err));
    QCOMPARE(fake::callsOf("GetPrintDriveStates").size(), std::size_t(1)); // asked once for every queue
}

void TestNemboportFake::libraryThatCannotFollowJobs()
{
    // The tool loads the library beside itself: a copy of it beside the fake
    // made before FollowLastJob.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(QStringLiteral(NPS_TOOL), dir.filePath(QStringLiteral("nemboport"))));
    QVERIFY(QFile::copy(QStringLiteral(NPS_NOANSWERS_FAKE), dir.filePath(QStringLiteral("libDravik.so"))));
    QProcess p;
    p.start(dir.filePath(QStringLiteral("nemboport")), {"set", "darkness", "8", "--queue", "Q"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardError().count("not confirmed printed"), 1);
}

void TestNemboportFake::picturesCommandsAreHandedOver()
{
    // nemboport starts without Qt Gui; the program it hands logo and serve to has it.
    const auto loads = [](const QString &program) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_TRACE_LOADED_OBJECTS"), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(program, {});
        return p.waitForFinished(30000) ? QString::fromLocal8Bit(p.readAllStandardOutput()) : QString();
    };
    const QString tool = loads(QStringLiteral(NPS_TOOL));
    QVERIFY2(tool.contains(QLatin1String("libQt6Core")) && !tool.contains(QLatin1String("libQt6Gui")),
             qPrintable(tool));
    QVERIFY(loads(QStringLiteral(NPS_PICTURES_TOOL)).contains(QLatin1String("libQt6Gui")));

    // Handed over, the command line is the same and so is its exit status.
    QProcess p;
    p.start(QStringLiteral(NPS_TOOL), {"--dry-run", "logo", "download", "/nonexistent/logo.bmp", "--queue", "Q"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY2(p.readAllStandardError().contains("/nonexistent/logo.bmp"), "the picture's error is said");

    // Without it, the reason and the fix are said; help needs no pictures.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString alone = dir.filePath(QStringLiteral("nemboport"));
    QVERIFY(QFile::copy(QStringLiteral(NPS_TOOL), alone));
    for (const QStringList &args : {QStringList{"serve", "--help"}, QStringList{"logo", "clear", "--queue", "Q"}}) {
        p.start(alone, args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(said.contains(QLatin1String("nemboport-pictures is missing")) &&
                     said.contains(QLatin1String("reinstall the nemboportsettings package")),
                 qPrintable(said));
    }
    p.start(alone, {"logo", "--help"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
}

void TestNemboportFake::listsWhatTheLibraryFinds()
{
    fake::config().printers = "Receipt\nKitchen\n";
    fake::config().serialPorts = "/nonexistent/ttyUSB9\n";
    fake::config().portNames = "LPT1:\nCOM1:\n";
    fake::config().queueStates = "Receipt\tidle\t1\t\t\nKitchen\tstopped\t0\tpaused,media-empty-error\tout of paper\n";
    const ToolRun run = runTool({"list", "--json"});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QJsonArray entries = QJsonDocument::fromJson(run.out.toUtf8()).array();
    QStringList seen;
    for (const QJsonValue &v : entries)
        seen << v[QLatin1String("kind")].toString() + QLatin1Char(' ') + v[QLatin1String("name")].toString();
    QCOMPARE(seen, (QStringList{"queue Receipt", "queue Kitchen", "serial /nonexistent/ttyUSB9", "port LPT1"}));
    // A device that is not there says why it cannot be used.
    QCOMPARE(entries.at(2)[QLatin1String("usable")].toBool(), false);
    QVERIFY(!entries.at(2)[QLatin1String("reason")].toString().isEmpty());
    QCOMPARE(entries.at(0)[QLatin1String("usable")].toBool(), true);
    QCOMPARE(entries.at(0)[QLatin1String("state")].toString(), QStringLiteral("idle"));
    // A paused, rejecting queue is not usable, and the reason says how to fix it.
    QCOMPARE(entries.at(1)[QLatin1String("usable")].toBool(), false);
    QCOMPARE(entries.at(1)[QLatin1String("state")].toString(), QStringLiteral("paused"));
    const QString reason = entries.at(1)[QLatin1String("reason")].toString();
    QVERIFY2(reason.contains(QLatin1String("not accepting jobs")) && reason.contains(QLatin1String("out of paper")) &&
                 reason.contains(QLatin1String("cupsenable Kitchen")),
             qPrintable(reason));

    const ToolRun text = runTool({"list"});
    QVERIFY2(text.out.contains(QLatin1String("queue   Receipt  (idle)\n")) &&
                 text.out.contains(QLatin1String("queue   Kitchen  (not usable: paused")),
             qPrintable(text.out));
}

void TestNemboportFake::helpForEveryCommand_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("begins");
    QTest::newRow("tool") << QStringList{"--help"} << "usage: nemboport COMMAND";
    QTest::newRow("version") << QStringList{"--version"} << "nemboport 1.0.0\n";
    for (const char *command : {"list", "set", "test", "logo", "apply", "profile", "decode"})
        QTest::newRow(command) << QStringList{QLatin1String(command), "--help"}
                               << QStringLiteral("usage: nemboport %1").arg(QLatin1String(command));
    QTest::newRow("help wins over bad values")
        << QStringList{"set", "darkness", "99", "--help"} << "usage: nemboport set";
    QTest::newRow("profile template") << QStringList{"profile"} << "# nemboport profile";
}

void TestNemboportFake::helpForEveryCommand()
{
    QFETCH(QStringList, args);
    QFETCH(QString, begins);
    const ToolRun run = runTool(args);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith(begins), qPrintable(run.out));
    QVERIFY(fake::calls().empty());
}

void TestNemboportFake::speaksTheLocalesLanguage_data()
{
    QTest::addColumn<QString>("locale"); // the variables set, the others removed
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine"); // of the standard output, or of the error output on failure
    const QString chineseUsage = QStringLiteral("nemboport: 没有给出命令（见 nemboport --help）");
    const QString englishUsage = QStringLiteral("nemboport: no command given (see nemboport --help)");
    const QString chineseHelp = QStringLiteral("用法：nemboport COMMAND [ARGUMENTS] [TARGET]");
    const QString englishHelp = QStringLiteral("usage: nemboport COMMAND [ARGUMENTS] [TARGET]");
    QTest::newRow("Chinese usage error") << "LANG=zh_CN.UTF-8" << QStringList() << 2 << chineseUsage;
    QTest::newRow("Chinese help") << "LANG=zh_CN.UTF-8" << QStringList{"--help"} << 0 << chineseHelp;
    QTest::newRow("Chinese messages only")
        << "LANG=C LC_MESSAGES=zh_CN.UTF-8" << QStringList{"--help"} << 0 << chineseHelp;
    QTest::newRow("C usage error") << "LANG=C" << QStringList() << 2 << englishUsage;
    QTest::newRow("C help") << "LANG=C" << QStringList{"--help"} << 0 << englishHelp;
    QTest::newRow("LC_ALL wins") << "LANG=zh_CN.UTF-8 LC_ALL=C.UTF-8" << QStringList{"--help"} << 0 << englishHelp;
    QTest::newRow("German is English") << "LANG=de_DE.UTF-8" << QStringList() << 2 << englishUsage;
    QTest::newRow("Chinese serve help")
        << "LANG=zh_CN.UTF-8" << QStringList{"serve", "--help"} << 0
        << QStringLiteral(
               "用法：nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] [--out DIR] [--model 58|80]");
    QTest::newRow("C serve help") << "LANG=C" << QStringList{"serve", "--help"} << 0
                                  << QStringLiteral(
                                         "usage: nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] "
                                         "[--out DIR] [--model 58|80]");
}

void TestNemboportFake::speaksTheLocalesLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, firstLine);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QLatin1String(name));
    for (const QString &setting : locale.split(QLatin1Char(' ')))
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(NPS_TOOL), args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), status);
    const QString out = QString::fromUtf8(status == 0 ? p.readAllStandardOutput() : p.readAllStandardError());
    QCOMPARE(out.section(QLatin1Char('\n'), 0, 0), firstLine);
}

void TestNemboportFake::helpNamesEveryOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("option");
    QTest::newRow("logo --fit") << QStringList{"logo", "--help"} << "[--fit]";
    QTest::newRow("logo --fit explained") << QStringList{"logo", "--help"} << "unless --fit is given";
    QTest::newRow("tool --verbose") << QStringList{"--help"} << "\n  --verbose ";
}

void TestNemboportFake::helpNamesEveryOption()
{
    QFETCH(QStringList, args);
    QFETCH(QString, option);
    const ToolRun run = runTool(args);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(option), qPrintable(run.out));
}

// Applied as it is, the template sends every setting but the two that
// print a page.
void TestNemboportFake::theTemplateIsAValidProfile()
{
    const ToolRun printed = runTool({"profile"});
    const ToolRun applied = runTool({"apply", profile("template.ini", printed.out.toUtf8())});
    QVERIFY2(applied.status == 0, qPrintable(applied.err));
    QStringList docs;
    for (const fake::Call &c : fake::callsOf("SendBufferToPrint"))
        docs << QString::fromStdString(c.texts.at(2));
    QCOMPARE(docs.size(), 8);
    QVERIFY(!docs.contains(QLatin1String(kDocCodePage)) && !docs.contains(QLatin1String(kDocBaudRate)));
}

void TestNemboportFake::theTemplateLeavesPagePrintingSettingsOut_data()
{
    QTest::addColumn<QString>("line"); // the key's line, commented out
    QTest::addColumn<QString>("why");  // in the comment above it
    QTest::newRow("code page") << "# codepage = 15\n"
                               << "makes every printer print a page";
    QTest::newRow("baud rate") << "# baud = 9600\n"
                               << "a serial link at the old\n# rate is cut off";
}

void TestNemboportFake::theTemplateLeavesPagePrintingSettingsOut()
{
    QFETCH(QString, line);
    QFETCH(QString, why);
    const QString text = runTool({"profile"}).out;
    const qsizetype at = text.indexOf(QLatin1String("\n") + line);
    QVERIFY2(at > 0, qPrintable(text));
    // The reason stands in the comment right above the key.
    const qsizetype comment = text.lastIndexOf(QLatin1String("\n# Commented out: "), at);
    QVERIFY2(comment > 0 && text.indexOf(why, comment) > comment && text.indexOf(why, comment) < at, qPrintable(text));
    // No line sets the key.
    const QString key = line.mid(2, line.indexOf(QLatin1Char(' '), 2) - 2);
    for (const QString &l : text.split(QLatin1Char('\n')))
        QVERIFY2(!l.startsWith(key + QLatin1Char(' ')), qPrintable(l));
}

QTEST_GUILESS_MAIN(TestNemboportFake)
#include "tst_nemboport_fake.moc"
