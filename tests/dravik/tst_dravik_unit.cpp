// Table-driven tests of the real library's pure parts, through its exports:
// HexToStr/StrToHex, isLanguage's locale rule, the LPT and serial name
// mappings and listings (on a stand-in /dev and /sys below DRAVIK_TEST_ROOT),
// NULL/negative/huge arguments, paths that are no printer device, and the
// per-thread error text and code.
#include "dravik_lib.h"

#include <QTemporaryDir>

#include <climits>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *kUnset = "<unset>";

// Sets or unsets a variable for the lifetime of the guard.
class EnvGuard
{
public:
    EnvGuard(const char *name, const QByteArray &value)
        : name_(name)
    {
        had_ = qEnvironmentVariableIsSet(name);
        old_ = qgetenv(name);
        if (value == kUnset)
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvGuard()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

bool makeFile(const QString &path, const QByteArray &content = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.write(content);
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestDravikUnit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exportsAndVersion();
    void hexToStr_data();
    void hexToStr();
    void hexToStrEveryByteRoundTrip();
    void strToHex_data();
    void strToHex();
    void isLanguage_data();
    void isLanguage();
    void lptMapping_data();
    void lptMapping();
    void serialNameMapping_data();
    void serialNameMapping();
    void serialListing_data();
    void serialListing();
    void nullNegativeHugeArguments();
    void lptRefusesWhatIsNoDevice_data();
    void lptRefusesWhatIsNoDevice();
    void lptRefusesOtherDevices_data();
    void lptRefusesOtherDevices();
    void errorTextIsPerThread();
    void shippedLibraryHasNoTestHook();

private:
    DravikLib lib;
    // No virtual printer of this machine shows up in the serial listings.
    QTemporaryDir runtime_;
};

void TestDravikUnit::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));
    QVERIFY(runtime_.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
}

void TestDravikUnit::exportsAndVersion()
{
    QCOMPARE(QByteArray(lib.GetDravikDllVer()), QByteArray(DRAVIK_EXPECTED_VERSION));
    QCOMPARE(lib.lastError(), QString());
}

void TestDravikUnit::hexToStr_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("empty") << QByteArray() << 1 << 0 << QByteArray("");
    QTest::newRow("empty, no room for the NUL") << QByteArray() << 0 << -1 << QByteArray();
    QTest::newRow("one byte") << QByteArray("\x00", 1) << 3 << 2 << QByteArray("00");
    QTest::newRow("one byte, one short") << QByteArray("\x00", 1) << 2 << -1 << QByteArray();
    QTest::newRow("ESC @") << QByteArray("\x1b\x40") << 6 << 5 << QByteArray("1B 40");
    QTest::newRow("ESC @, one short") << QByteArray("\x1b\x40") << 5 << -1 << QByteArray();
    QTest::newRow("upper case") << QByteArray("\xab\xcd\xef") << 100 << 8 << QByteArray("AB CD EF");
    QTest::newRow("FF 00 7F 80") << QByteArray("\xff\x00\x7f\x80", 4) << 12 << 11 << QByteArray("FF 00 7F 80");
}

void TestDravikUnit::hexToStr()
{
    QFETCH(QByteArray, data);
    QFETCH(int, size);
    QFETCH(int, result);
    QFETCH(QByteArray, text);
    QByteArray out(size + 8, '#');
    QCOMPARE(lib.HexToStr(bytes(data), data.size(), out.data(), size), result);
    if (result >= 0) {
        QCOMPARE(QByteArray(out.constData()), text);
        QCOMPARE(lib.lastError(), QString());
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    } else {
        QVERIFY(!lib.lastError().isEmpty());
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    }
    // Nothing is written past size.
    QCOMPARE(out.mid(size), QByteArray(8, '#'));
}

void TestDravikUnit::hexToStrEveryByteRoundTrip()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    QByteArray text(3 * 256, '\0');
    QCOMPARE(lib.HexToStr(bytes(all), 256, text.data(), text.size()), 3 * 256 - 1);
    QByteArray back(256, '\0');
    QCOMPARE(lib.StrToHex(text.constData(), reinterpret_cast<unsigned char *>(back.data()), 256), 256);
    QCOMPARE(back, all);
}

void TestDravikUnit::strToHex_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("nullText");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("empty") << QByteArray("") << false << 4 << 0 << QByteArray();
    QTest::newRow("NULL text") << QByteArray() << true << 4 << 0 << QByteArray();
    QTest::newRow("pairs with blanks") << QByteArray("1B 40") << false << 4 << 2 << QByteArray("\x1b\x40");
    QTest::newRow("pairs without blanks") << QByteArray("1b40") << false << 4 << 2 << QByteArray("\x1b\x40");
    QTest::newRow("tabs and line ends") << QByteArray("  1B\t40\r\n") << false << 4 << 2 << QByteArray("\x1b\x40");
    QTest::newRow("exact size") << QByteArray("00 FF") << false << 2 << 2 << QByteArray("\x00\xff", 2);
    QTest::newRow("too small") << QByteArray("1B 40") << false << 1 << -1 << QByteArray();
    QTest::newRow("odd digit") << QByteArray("1B 4") << false << 4 << -1 << QByteArray();
    QTest::newRow("blank inside a pair") << QByteArray("1 B") << false << 4 << -1 << QByteArray();
    QTest::newRow("bad digit") << QByteArray("1G") << false << 4 << -1 << QByteArray();
    QTest::newRow("0x prefix") << QByteArray("0x1B") << false << 4 << -1 << QByteArray();
    QTest::newRow("negative size") << QByteArray("1B") << false << -1 << -1 << QByteArray();
    QTest::newRow("negative size, empty text") << QByteArray("") << false << -1 << -1 << QByteArray();
}

void TestDravikUnit::strToHex()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, nullText);
    QFETCH(int, size);
    QFETCH(int, result);
    QFETCH(QByteArray, data);
    QByteArray out(qMax(size, 0) + 4, '#');
    QCOMPARE(lib.StrToHex(nullText ? nullptr : text.constData(), reinterpret_cast<unsigned char *>(out.data()), size),
             result);
    if (result >= 0) {
        QCOMPARE(out.left(result), data);
        QCOMPARE(lib.lastError(), QString());
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    } else {
        QVERIFY(!lib.lastError().isEmpty());
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    }
    QCOMPARE(out.mid(qMax(size, 0)), QByteArray(4, '#'));
}

void TestDravikUnit::isLanguage_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray u = kUnset;
    QTest::newRow("nothing set") << u << u << u << QByteArray("english");
    QTest::newRow("LANG zh_CN.UTF-8") << u << u << QByteArray("zh_CN.UTF-8") << QByteArray("chinese");
    QTest::newRow("LANG zh_TW.UTF-8") << u << u << QByteArray("zh_TW.UTF-8") << QByteArray("chinese");
    QTest::newRow("LANG zh") << u << u << QByteArray("zh") << QByteArray("chinese");
    QTest::newRow("LANG en_US.UTF-8") << u << u << QByteArray("en_US.UTF-8") << QByteArray("english");
    QTest::newRow("LANG C") << u << u << QByteArray("C") << QByteArray("english");
    QTest::newRow("LANG ZH_CN (case counts)") << u << u << QByteArray("ZH_CN") << QByteArray("english");
    QTest::newRow("LC_MESSAGES over LANG")
        << u << QByteArray("zh_CN.UTF-8") << QByteArray("en_US.UTF-8") << QByteArray("chinese");
    QTest::newRow("LC_MESSAGES en over LANG zh")
        << u << QByteArray("en_GB.UTF-8") << QByteArray("zh_CN.UTF-8") << QByteArray("english");
    QTest::newRow("LC_ALL over both") << QByteArray("en_US.UTF-8") << QByteArray("zh_CN") << QByteArray("zh_CN")
                                      << QByteArray("english");
    QTest::newRow("LC_ALL zh") << QByteArray("zh_HK.UTF-8") << QByteArray("en_US") << QByteArray("en_US")
                               << QByteArray("chinese");
    QTest::newRow("empty LC_ALL is not set")
        << QByteArray("") << QByteArray("zh_CN") << QByteArray("en_US") << QByteArray("chinese");
    QTest::newRow("empty LC_ALL and LC_MESSAGES")
        << QByteArray("") << QByteArray("") << QByteArray("zh_SG") << QByteArray("chinese");
}

void TestDravikUnit::isLanguage()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(QByteArray, expected);
    EnvGuard a("LC_ALL", lcAll), m("LC_MESSAGES", lcMessages), l("LANG", lang);
    const char *got = lib.isLanguage();
    QVERIFY(got);
    QCOMPARE(QByteArray(got), expected);
}

void TestDravikUnit::lptMapping_data()
{
    QTest::addColumn<QStringList>("devices"); // stand-ins below the test root
    QTest::addColumn<QStringList>("names");   // GetPrintDrivePortNames("LPT")
    QTest::addColumn<QStringList>("mapping"); // "name=device" pairs checked by sending

    QTest::newRow("no port") << QStringList() << QStringList() << QStringList();
    QTest::newRow("one parallel port") << QStringList{"dev/lp0"} << QStringList{"LPT1:"}
                                       << QStringList{"LPT1=dev/lp0", "lpt1:=dev/lp0", "LPT1:=dev/lp0"};
    QTest::newRow("two parallel ports") << QStringList{"dev/lp1", "dev/lp0"} << QStringList{"LPT1:", "LPT2:"}
                                        << QStringList{"LPT1=dev/lp0", "LPT2=dev/lp1"};
    QTest::newRow("one USB printer") << QStringList{"dev/usb/lp0"} << QStringList{"LPT1:"}
                                     << QStringList{"LPT1=dev/usb/lp0"};
    QTest::newRow("USB after parallel") << QStringList{"dev/usb/lp1", "dev/lp0", "dev/usb/lp0"}
                                        << QStringList{"LPT1:", "LPT2:", "LPT3:"}
                                        << QStringList{"LPT1=dev/lp0", "LPT2=dev/usb/lp0", "LPT3=dev/usb/lp1"};
    QTest::newRow("numbers keep their gaps")
        << QStringList{"dev/lp1", "dev/usb/lp0", "dev/usb/lp2"} << QStringList{"LPT2:", "LPT3:", "LPT5:"}
        << QStringList{"LPT2=dev/lp1", "LPT3=dev/usb/lp0", "LPT5=dev/usb/lp2"};
    QTest::newRow("ten and more in number order")
        << QStringList{"dev/lp10", "dev/lp2", "dev/lp0"} << QStringList{"LPT1:", "LPT3:", "LPT11:"}
        << QStringList{"LPT11=dev/lp10", "LPT3=dev/lp2"};
    QTest::newRow("other names are not ports")
        << QStringList{"dev/lp", "dev/lpx", "dev/lp0a", "dev/usb/hiddev0", "dev/lp0"} << QStringList{"LPT1:"}
        << QStringList{"LPT1=dev/lp0"};
    QTest::newRow("device names and paths") << QStringList{"dev/lp0", "dev/usb/lp0"} << QStringList{"LPT1:", "LPT2:"}
                                            << QStringList{"lp0=dev/lp0", "usb/lp0=dev/usb/lp0"};
}

void TestDravikUnit::lptMapping()
{
    QFETCH(QStringList, devices);
    QFETCH(QStringList, names);
    QFETCH(QStringList, mapping);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(root.filePath("dev")));
    for (const QString &d : devices)
        QVERIFY(makeFile(root.filePath(d)));
    EnvGuard env("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));

    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames("LPT")), names);
    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames("lpt")), names);
    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames(nullptr)), names);

    int n = 0;
    for (const QString &pair : mapping) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        const QString device = root.filePath(pair.section(QLatin1Char('='), 1));
        QVERIFY(makeFile(device)); // empty it
        const QByteArray payload = QStringLiteral("payload %1 for %2").arg(++n).arg(name).toUtf8();
        QVERIFY2(lib.SendBufferToPrint("LPT", name.toUtf8().constData(), nullptr, bytes(payload), payload.size()),
                 qPrintable(name + QStringLiteral(": ") + lib.lastError()));
        QCOMPARE(readAll(device), payload);
    }
    // A full path is used as it is.
    if (!devices.isEmpty()) {
        const QString device = root.filePath(devices.first());
        QVERIFY(makeFile(device));
        QVERIFY(lib.SendBufferToPrint("LPT", QFile::encodeName(device).constData(), nullptr, bytes("x"), 1));
        QCOMPARE(readAll(device), QByteArray("x"));
    }
    // A number that is not listed fails with a reason that names it.
    QVERIFY(!lib.SendBufferToPrint("LPT", "LPT99", nullptr, bytes("x"), 1));
    QVERIFY2(lib.lastError().contains(QLatin1String("LPT99")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
}

void TestDravikUnit::serialNameMapping_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device"); // below the test root; "" = as given

    // Never COM1 (/dev/ttyS0, this machine's console), even below the root.
    QTest::newRow("COM9") << "COM9"
                          << "/dev/ttyS8";
    QTest::newRow("com12:") << "com12:"
                            << "/dev/ttyS11";
    QTest::newRow("bare ttyUSB7") << "ttyUSB7"
                                  << "/dev/ttyUSB7";
    QTest::newRow("blanks around") << "  ttyACM3 "
                                   << "/dev/ttyACM3";
    QTest::newRow("a full path") << "/nonexistent/dravik/ttyUSB0"
                                 << "";
}

void TestDravikUnit::serialNameMapping()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    EnvGuard env("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    QVERIFY(qEnvironmentVariableIsSet("DRAVIK_TEST_ROOT"));
    const QString expected = device.isEmpty() ? name : root.path() + device;
    QCOMPARE(lib.OpenComm(name.toUtf8().constData(), 9600), -1);
    QVERIFY2(lib.lastError().contains(expected), qPrintable(lib.lastError()));
    QVERIFY2(lib.lastError().contains(QLatin1String("does not exist")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
}

void TestDravikUnit::serialListing_data()
{
    // Entries of the stand-in /sys/class/tty: "NAME" has a device link,
    // "NAME:type=N" also a serial_core type, "NAME!" has no device link;
    // "console=NAME" makes it the kernel's console; "nodev:NAME" has no /dev node.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("expected"); // device names, in order

    QTest::newRow("nothing") << QStringList() << QStringList();
    QTest::newRow("on-board port with a UART") << QStringList{"ttyS0:type=4"} << QStringList{"ttyS0"};
    QTest::newRow("placeholder ports left out")
        << QStringList{"ttyS0:type=4", "ttyS1:type=0", "ttyS2:type=0"} << QStringList{"ttyS0"};
    QTest::newRow("the console left out")
        << QStringList{"ttyS0:type=4", "ttyS1:type=4", "console=ttyS0"} << QStringList{"ttyS1"};
    QTest::newRow("virtual terminals left out")
        << QStringList{"tty0!", "tty1!", "ptmx!", "ttyUSB0"} << QStringList{"ttyUSB0"};
    QTest::newRow("USB, then ACM, then the rest, by number")
        << QStringList{"ttyS0:type=4", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyAMA0", "ttyUSB0"}
        << QStringList{"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyAMA0", "ttyS0"};
    QTest::newRow("no device node") << QStringList{"nodev:ttyUSB0", "ttyUSB1"} << QStringList{"ttyUSB1"};
}

void TestDravikUnit::serialListing()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString cls = root.filePath(QStringLiteral("sys/class/tty"));
    QVERIFY(QDir().mkpath(cls));
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dev"))));
    for (QString e : entries) {
        if (e.startsWith(QLatin1String("console="))) {
            QVERIFY(makeFile(cls + QStringLiteral("/console/active"), e.mid(8).toUtf8() + "\n"));
            continue;
        }
        bool node = true;
        if (e.startsWith(QLatin1String("nodev:"))) {
            node = false;
            e = e.mid(6);
        }
        const bool device = !e.endsWith(QLatin1Char('!'));
        if (!device)
            e.chop(1);
        const QString name = e.section(QLatin1Char(':'), 0, 0);
        QVERIFY(QDir().mkpath(cls + QLatin1Char('/') + name));
        if (device)
            QVERIFY(QDir().mkpath(cls + QLatin1Char('/') + name + QStringLiteral("/device")));
        if (e.contains(QLatin1String(":type=")))
            QVERIFY(makeFile(cls + QLatin1Char('/') + name + QStringLiteral("/type"),
                             e.section(QLatin1Char('='), 1).toUtf8() + "\n"));
        if (node)
            QVERIFY(makeFile(root.filePath(QStringLiteral("dev/") + name)));
    }
    EnvGuard env("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    QStringList want;
    for (const QString &n : expected)
        want << root.path() + QStringLiteral("/dev/") + n;
    QCOMPARE(DravikLib::lines(lib.GetSystemSerial()), want);
}

void TestDravikUnit::nullNegativeHugeArguments()
{
    const unsigned char small[4] = {1, 2, 3, 4};
    char text[8];
    unsigned char data[8];
    // SendBufferToPrint
    QCOMPARE(lib.SendBufferToPrint(nullptr, nullptr, nullptr, nullptr, 0), 0);
    QVERIFY(lib.lastError().contains(QLatin1String("port kind")));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.SendBufferToPrint("XYZ", "a", "b", small, 4), 0);
    QCOMPARE(lib.SendBufferToPrint("LPT", nullptr, nullptr, nullptr, 5), 0);
    QVERIFY(!lib.lastError().isEmpty());
    QCOMPARE(lib.SendBufferToPrint("COM", nullptr, nullptr, small, -1), 0);
    QVERIFY(lib.lastError().contains(QLatin1String("negative")));
    QCOMPARE(lib.SendBufferToPrint("COM", "x", nullptr, small, INT_MIN), 0);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.SendBufferToPrint("LPT", "LPT1", nullptr, small, INT_MAX), 0);
    QVERIFY(lib.lastError().contains(QLatin1String("refused")));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.SendBufferToPrint("DRIVE", nullptr, nullptr, small, INT_MAX), 0);
    QCOMPARE(lib.SendBufferToPrint("COM", nullptr, nullptr, nullptr, 0), 1); // nothing to send
    QCOMPARE(lib.lastError(), QString());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QCOMPARE(lib.SendBufferToPrint("COM", nullptr, nullptr, small, 4), 0); // no port open
    QVERIFY(lib.lastError().contains(QLatin1String("open")));
    QCOMPARE(lib.SendBufferToPrint("LPT", nullptr, nullptr, small, 4), 0);
    QVERIFY(!lib.lastError().isEmpty());
    // OpenComm / CloseComm / GetCommRecvData
    QCOMPARE(lib.OpenComm(nullptr, 9600), -1);
    QVERIFY(!lib.lastError().isEmpty());
    QCOMPARE(lib.OpenComm("", 9600), -1);
    QCOMPARE(lib.OpenComm("/nonexistent/dravik", -9600), 0);
    QVERIFY(lib.lastError().contains(QLatin1String("baud")));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.OpenComm("/nonexistent/dravik", 0), 0);
    QCOMPARE(lib.OpenComm("/nonexistent/dravik", INT_MAX), 0);
    QCOMPARE(lib.OpenComm("/nonexistent/dravik", 9600), -1);
    QCOMPARE(lib.CloseComm(nullptr), 1); // nothing open: closed already
    QCOMPARE(lib.CloseComm("/nonexistent/dravik"), 1);
    QCOMPARE(lib.GetCommRecvData(nullptr, nullptr, 0), -1); // no port open
    QCOMPARE(lib.GetCommRecvData(nullptr, data, -1), -1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.GetCommRecvData("x", nullptr, 16), -1);
    QCOMPARE(lib.GetCommRecvData("x", data, INT_MAX), -1);
    // QueryPrinter
    unsigned char reply[8];
    QCOMPARE(lib.QueryPrinter("XYZ", "a", small, 4, reply, sizeof reply, 100), -1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.QueryPrinter("COM", "x", nullptr, 4, reply, sizeof reply, 100), -1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.QueryPrinter("COM", "x", small, -1, reply, sizeof reply, 100), -1);
    QCOMPARE(lib.QueryPrinter("COM", "x", small, 4, nullptr, 8, 100), -1);
    QCOMPARE(lib.QueryPrinter("COM", "x", small, 4, reply, 0, 100), -1);
    QCOMPARE(lib.QueryPrinter("COM", "x", small, 4, reply, sizeof reply, -1), -1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.QueryPrinter("LPT", "null", small, 4, reply, sizeof reply, 100), -1); // no printer port
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    // Hex helpers
    QCOMPARE(lib.HexToStr(nullptr, 0, text, sizeof text), 0);
    QCOMPARE(lib.HexToStr(nullptr, 4, text, sizeof text), -1);
    QCOMPARE(lib.HexToStr(small, -1, text, sizeof text), -1);
    QCOMPARE(lib.HexToStr(small, INT_MAX, text, sizeof text), -1); // size checked before reading
    QCOMPARE(lib.HexToStr(small, 4, nullptr, 100), -1);
    QCOMPARE(lib.HexToStr(small, 1, text, -5), -1);
    QCOMPARE(lib.HexToStr(small, 1, text, INT_MIN), -1);
    QCOMPARE(lib.StrToHex(nullptr, nullptr, 0), 0);
    QCOMPARE(lib.StrToHex("1B", nullptr, 0), -1);
    QCOMPARE(lib.StrToHex("1B", nullptr, INT_MAX), -1);
    QCOMPARE(lib.StrToHex("1B40", data, INT_MAX), 2); // a large size is fine when the bytes fit
    QCOMPARE(lib.StrToHex("1B40", data, INT_MIN), -1);
    // Lists and texts never NULL
    QVERIFY(lib.GetPrintDrivePortNames(nullptr));
    QVERIFY(lib.GetPrintDrivePortNames(""));
    QCOMPARE(QByteArray(lib.GetPrintDrivePortNames("COM")), QByteArray());
    QVERIFY(!lib.lastError().isEmpty());
    QVERIFY(lib.GetSystemSerial());
    QVERIFY(lib.isLanguage());
    QVERIFY(lib.GetDravikDllVer());
    QVERIFY(lib.GetLastErrorText());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
}

void TestDravikUnit::lptRefusesWhatIsNoDevice_data()
{
    // %1 is a scratch folder holding "target" (made as `make` says) and
    // "keep.txt" (a plain file that must stay as it is).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make"); // file, folder, fifo, link-to-file, nothing
    QTest::addColumn<bool>("underTestRoot");
    QTest::addColumn<int>("code");
    const int invalid = DRAVIK_ERROR_INVALID_ARGUMENT, notFound = DRAVIK_ERROR_NOT_FOUND;

    QTest::newRow("below /dev through ..") << "../%1/keep.txt"
                                           << "nothing" << false << invalid;
    QTest::newRow("full path through ..") << "/dev/../%1/keep.txt"
                                          << "nothing" << false << invalid;
    QTest::newRow("LPT-like name with ..") << "usb/../../%1/keep.txt"
                                           << "nothing" << false << invalid;
    QTest::newRow("out of the test root through ..") << "../keep.txt"
                                                     << "nothing" << true << invalid;
    QTest::newRow("a plain file") << "%1/target"
                                  << "file" << false << invalid;
    QTest::newRow("a link to a plain file") << "%1/target"
                                            << "link-to-file" << false << invalid;
    QTest::newRow("a folder") << "%1/target"
                              << "folder" << false << invalid;
    QTest::newRow("a FIFO with a reader") << "%1/target"
                                          << "fifo" << false << invalid;
    QTest::newRow("a missing file is not made") << "%1/target"
                                                << "nothing" << false << notFound;
}

void TestDravikUnit::lptRefusesWhatIsNoDevice()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(bool, underTestRoot);
    QFETCH(int, code);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString scratch = dir.path();
    const QString keep = dir.filePath(QStringLiteral("keep.txt"));
    const QString target = dir.filePath(QStringLiteral("target"));
    QVERIFY(makeFile(keep, "keep"));
    int reader = -1;
    if (make == QLatin1String("file")) {
        QVERIFY(makeFile(target, "keep"));
    } else if (make == QLatin1String("link-to-file")) {
        QVERIFY(QFile::link(keep, target));
    } else if (make == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(target));
    } else if (make == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        reader = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
    }
    // Relative names start below /dev (or below the test root's dev/).
    QString n = name;
    if (name.startsWith(QLatin1String("%1")))
        n = name.arg(scratch);
    else if (name.contains(QLatin1String("%1")))
        n = name.arg(scratch.mid(1));
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dev"))));
    if (underTestRoot)
        QVERIFY(makeFile(root.filePath(QStringLiteral("keep.txt")), "keep"));
    EnvGuard env("DRAVIK_TEST_ROOT", underTestRoot ? QFile::encodeName(root.path()) : QByteArray(kUnset));

    const QByteArray payload("\x1b\x40overwritten\n");
    QCOMPARE(lib.SendBufferToPrint("LPT", n.toUtf8().constData(), nullptr, bytes(payload), payload.size()), 0);
    const QString why = lib.lastError();
    QCOMPARE(lib.lastCode(), code);
    QVERIFY2(!why.isEmpty(), qPrintable(n));
    qInfo("%s: %s", qPrintable(n), qPrintable(why));
    QCOMPARE(readAll(keep), QByteArray("keep"));
    if (underTestRoot)
        QCOMPARE(readAll(root.filePath(QStringLiteral("keep.txt"))), QByteArray("keep"));
    if (make == QLatin1String("file"))
        QCOMPARE(readAll(target), QByteArray("keep"));
    if (make == QLatin1String("nothing"))
        QVERIFY(!QFileInfo::exists(target));
    if (reader >= 0) {
        char buf[64];
        QVERIFY(::read(reader, buf, sizeof buf) <= 0); // nothing came
        ::close(reader);
    }
}

void TestDravikUnit::lptRefusesOtherDevices_data()
{
    // Character devices of other drivers, named as the tool's --port passes
    // them; "pty" is a pseudo-terminal made here, whose master must get nothing.
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("null") << QByteArray("null") << "/dev/null is not a printer port: it is a memory device (major 1)";
    QTest::newRow("zero") << QByteArray("/dev/zero")
                          << "/dev/zero is not a printer port: it is a memory device (major 1)";
    QTest::newRow("kmsg") << QByteArray("/dev/kmsg") << "it is a memory device (major 1)";
    QTest::newRow("mem") << QByteArray("/dev/mem") << "it is a memory device (major 1)";
    QTest::newRow("tty") << QByteArray("/dev/tty") << "/dev/tty is not a printer port: it is a terminal (major 5)";
    QTest::newRow("pty") << QByteArray("pty") << "is not a printer port: it is a pseudo-terminal (major 13";
}

void TestDravikUnit::lptRefusesOtherDevices()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, reason);
    int master = -1;
    if (name == "pty") {
        int slave = -1;
        char path[256] = {0};
        QCOMPARE(::openpty(&master, &slave, path, nullptr, nullptr), 0);
        ::close(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        name = path;
    }
    struct stat st;
    if (::stat(name.startsWith('/') ? name.constData() : ("/dev/" + name).constData(), &st) != 0)
        QSKIP("no such device here");
    // The shipped build and the test build without stand-ins alike.
    DravikLib shipped;
    QString error;
    QVERIFY2(shipped.load(error, DRAVIK_SHIPPED_LIBRARY_PATH), qPrintable(error));
    EnvGuard env("DRAVIK_TEST_ROOT", kUnset);
    const QByteArray payload("\x1b\x40written\n");
    for (DravikLib *l : {&lib, &shipped}) {
        QCOMPARE(l->SendBufferToPrint("LPT", name.constData(), nullptr, bytes(payload), payload.size()), 0);
        QCOMPARE(l->lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
        QVERIFY2(l->lastError().contains(reason), qPrintable(l->lastError()));
    }
    if (master >= 0) {
        char buf[64];
        QVERIFY(::read(master, buf, sizeof buf) <= 0);
        ::close(master);
    }
}

void TestDravikUnit::errorTextIsPerThread()
{
    QCOMPARE(lib.OpenComm("/nonexistent/dravik-main", 9600), -1);
    const QString mainError = lib.lastError();
    QVERIFY(mainError.contains(QLatin1String("dravik-main")));

    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);

    QString otherBefore, otherAfterFailure, otherAfterSuccess;
    int codeBefore = -1, codeAfterFailure = -1, codeAfterSuccess = -1;
    std::thread other([&] {
        otherBefore = lib.lastError();
        codeBefore = lib.lastCode();
        lib.OpenComm("/nonexistent/dravik-other", 40);
        otherAfterFailure = lib.lastError();
        codeAfterFailure = lib.lastCode();
        char t[8];
        lib.HexToStr(reinterpret_cast<const unsigned char *>("A"), 1, t, sizeof t);
        otherAfterSuccess = lib.lastError();
        codeAfterSuccess = lib.lastCode();
    });
    other.join();
    QCOMPARE(otherBefore, QString());
    QCOMPARE(codeBefore, DRAVIK_ERROR_NONE);
    QVERIFY(otherAfterFailure.contains(QLatin1String("dravik-other")));
    QCOMPARE(codeAfterFailure, DRAVIK_ERROR_INVALID_ARGUMENT); // an unsupported rate
    QCOMPARE(otherAfterSuccess, QString());
    QCOMPARE(codeAfterSuccess, DRAVIK_ERROR_NONE);
    // The other thread did not touch this one's text and code.
    QCOMPARE(lib.lastError(), mainError);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
    // A success clears both.
    char t[8];
    QCOMPARE(lib.HexToStr(reinterpret_cast<const unsigned char *>("A"), 1, t, sizeof t), 2);
    QCOMPARE(lib.lastError(), QString());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
}

void TestDravikUnit::shippedLibraryHasNoTestHook()
{
    // The variable's name is in the test build only.
    QFile shipped(QStringLiteral(DRAVIK_SHIPPED_LIBRARY_PATH));
    QFile test(QStringLiteral(DRAVIK_LIBRARY_PATH));
    QVERIFY(shipped.open(QIODevice::ReadOnly) && test.open(QIODevice::ReadOnly));
    QVERIFY(!shipped.readAll().contains("DRAVIK_TEST_ROOT"));
    QVERIFY(test.readAll().contains("DRAVIK_TEST_ROOT"));

    // With the variable set, the shipped library neither lists nor writes the
    // stand-ins below it: a FIFO with a reader as dev/lp0, a plain file as
    // dev/usb/lp0.
    DravikLib real;
    QString error;
    QVERIFY2(real.load(error, DRAVIK_SHIPPED_LIBRARY_PATH), qPrintable(error));
    const QByteArray before = real.GetPrintDrivePortNames("LPT");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dev/usb"))));
    const QByteArray fifo = QFile::encodeName(root.filePath(QStringLiteral("dev/lp0")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    const QString plain = root.filePath(QStringLiteral("dev/usb/lp0"));
    QVERIFY(makeFile(plain, "keep"));
    EnvGuard env("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    QCOMPARE(QByteArray(real.GetPrintDrivePortNames("LPT")), before);
    const QByteArray payload("\x1b\x40overwritten\n");
    for (const QByteArray &name : {fifo, QFile::encodeName(plain)}) {
        QCOMPARE(real.SendBufferToPrint("LPT", name.constData(), nullptr, bytes(payload), payload.size()), 0);
        QCOMPARE(real.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    }
    char buf[64];
    QVERIFY(::read(reader, buf, sizeof buf) <= 0);
    ::close(reader);
    QCOMPARE(readAll(plain), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestDravikUnit)
#include "tst_dravik_unit.moc"
