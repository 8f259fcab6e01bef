// GetKeyValue and StartSysInfo over real registry export files, with a fake
// file test, launcher and message box; and the desktop's program start.

#include "about/regfile.h"
#include "about/sysinfo.h"
#include "about/sysinfo_qt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <vector>

using Registry::FileRegistry;
using Registry::HKEY_LOCAL_MACHINE;

namespace {

std::string dataFile(const char *name)
{
    return QFile::encodeName(qEnvironmentVariable("MIREBO_TEST_DATA") + QStringLiteral("/registry/")
                             + QString::fromLatin1(name))
        .toStdString();
}

const std::string TestKey = "SOFTWARE\\Mirebo Test";
const std::string Tool = "C:\\Program Files\\Tool\\tool.exe";

// The outside world of StartSysInfo, recorded.
struct Fakes
{
    std::set<std::string> existingFiles;
    std::set<std::string> unstartable;
    std::vector<std::string> fileTests;
    std::vector<std::string> starts;
    std::vector<std::string> messages;

    SysInfo::Platform platform(Registry::Api *registry)
    {
        SysInfo::Platform p;
        p.registry = registry;
        p.fileTest = [this](const std::string &path) {
            fileTests.push_back(path);
            return existingFiles.count(path) ? std::string("MSINFO32.EXE") : std::string();
        };
        p.startProgram = [this](const std::string &path) {
            starts.push_back(path);
            // Only a path names a program; "&h10" or nothing does not.
            if (path.find('\\') == std::string::npos || unstartable.count(path))
                throw SysInfo::RuntimeError("cannot start");
        };
        p.messageBox = [this](const std::string &text) { messages.push_back(text); };
        return p;
    }
};

using Strings = std::vector<std::string>;

} // namespace

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Strings)

class TestSysInfo : public QObject
{
    Q_OBJECT

private slots:
    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueKeepsOtherTypesOut();
    void zeroSizeRaisesAndClosesKey_data();
    void zeroSizeRaisesAndClosesKey();
    void missingKey_data();
    void missingKey();

    void startSysInfo_data();
    void startSysInfo();
    void secondPressStartsAfresh();
    void unstartableProgramEndsInMessage();

    void localPath_data();
    void localPath();
    void startsExactlyTheNamedFile();
    void fileTestFindsFilesNotFolders();
    void registryFileFromEnvironment();
};

void TestSysInfo::getKeyValue_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<bool>("found");
    QTest::addColumn<std::string>("expected");

    const std::string a1023(1023, 'a');
    const std::string a1024(1024, 'a');
    QTest::newRow("string with terminating zero") << "values_utf16.reg" << "WithZero" << true << Tool;
    QTest::newRow("string without terminating zero") << "values_utf16.reg" << "WithoutZero" << true << Tool;
    QTest::newRow("exactly 1024 bytes with its zero") << "values_utf16.reg" << "Exactly1024" << true << a1023;
    QTest::newRow("1025 bytes counts as missing") << "values_utf16.reg" << "Over1024" << false << std::string();
    QTest::newRow("only one of several zeros dropped") << "values_utf16.reg" << "TwoZeros" << true << std::string("A\0", 2);
    QTest::newRow("empty string is its zero alone") << "values_utf16.reg" << "EmptyString" << true << std::string();
    QTest::newRow("non-ASCII text in UTF-8") << "values_utf16.reg" << "Japanese" << true << std::string("ミレボ");
    QTest::newRow("default value by empty name") << "values_utf16.reg" << "" << true << std::string("default");
    QTest::newRow("value name in other case") << "values_utf16.reg" << "withzero" << true << Tool;
    QTest::newRow("dword as &h text") << "values_utf16.reg" << "Dword" << true << std::string("&h1E240");
    QTest::newRow("dword all ones") << "values_utf16.reg" << "DwordMax" << true << std::string("&hFFFFFFFF");
    QTest::newRow("missing value") << "values_utf16.reg" << "Nothing" << false << std::string();
    QTest::newRow("REGEDIT4 string with zero") << "values_regedit4.reg" << "WithZero" << true << Tool;
    QTest::newRow("REGEDIT4 hex(1) without zero") << "values_regedit4.reg" << "WithoutZero" << true << Tool;
    QTest::newRow("REGEDIT4 exactly 1024 bytes, no zero") << "values_regedit4.reg" << "Exactly1024" << true << a1024;
    QTest::newRow("REGEDIT4 1025 bytes missing") << "values_regedit4.reg" << "Over1024" << false << std::string();
    QTest::newRow("REGEDIT4 dword") << "values_regedit4.reg" << "Dword" << true << std::string("&h1E240");
}

void TestSysInfo::getKeyValue()
{
    QFETCH(QString, file);
    QFETCH(QString, valueName);
    QFETCH(bool, found);
    QFETCH(std::string, expected);

    FileRegistry registry = FileRegistry::fromFile(dataFile(file.toLatin1().constData()));
    std::string value = "left over";
    QCOMPARE(SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, TestKey, valueName.toStdString(), value), found);
    QCOMPARE(value, expected);
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestSysInfo::getKeyValueKeepsOtherTypesOut()
{
    // Types other than 1 and 4 read fine but give no text: KeyVal stays.
    FileRegistry registry = FileRegistry::fromFile(dataFile("values_utf16.reg"));
    for (const char *name : {"Expand", "Binary1024"}) {
        std::string value = "as it was";
        QVERIFY2(SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, TestKey, name, value), name);
        QCOMPARE(value, std::string("as it was"));
    }
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestSysInfo::zeroSizeRaisesAndClosesKey_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("UTF-16 file") << "values_utf16.reg";
    QTest::newRow("REGEDIT4 file") << "values_regedit4.reg";
}

void TestSysInfo::zeroSizeRaisesAndClosesKey()
{
    QFETCH(QString, file);
    FileRegistry registry = FileRegistry::fromFile(dataFile(file.toLatin1().constData()));
    std::string value = "x";
    QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError,
                             SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, TestKey, "Empty", value));
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestSysInfo::missingKey_data()
{
    QTest::addColumn<std::string>("key");
    QTest::newRow("absent key") << std::string("SOFTWARE\\Nobody");
    QTest::newRow("doubled separator") << std::string("SOFTWARE\\\\Mirebo Test");
    QTest::newRow("trailing separator") << std::string("SOFTWARE\\Mirebo Test\\");
    QTest::newRow("prefix of a key name") << std::string("SOFTWARE\\Mirebo");
}

void TestSysInfo::missingKey()
{
    QFETCH(std::string, key);
    FileRegistry registry = FileRegistry::fromFile(dataFile("values_utf16.reg"));
    std::string value = "x";
    QVERIFY(!SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, key, "WithZero", value));
    QCOMPARE(value, std::string());
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestSysInfo::startSysInfo_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Strings>("existing");
    QTest::addColumn<Strings>("fileTests");
    QTest::addColumn<Strings>("starts");
    QTest::addColumn<int>("messages");

    const std::string candidate = "C:\\Tools\\MSINFO32.EXE";
    QTest::newRow("PATH started unchanged, no file test")
        << "start_path.reg" << Strings{candidate} << Strings{} << Strings{Tool} << 0;
    QTest::newRow("PATH missing, folder with the tool")
        << "start_location.reg" << Strings{candidate} << Strings{candidate} << Strings{candidate} << 0;
    QTest::newRow("PATH value absent from its key")
        << "start_path_missing_value.reg" << Strings{candidate} << Strings{candidate} << Strings{candidate} << 0;
    QTest::newRow("folder without the tool")
        << "start_location.reg" << Strings{} << Strings{candidate} << Strings{} << 1;
    QTest::newRow("folder ending in a separator doubles it")
        << "start_location_backslash.reg" << Strings{"C:\\Tools\\\\MSINFO32.EXE"}
        << Strings{"C:\\Tools\\\\MSINFO32.EXE"} << Strings{"C:\\Tools\\\\MSINFO32.EXE"} << 0;
    QTest::newRow("folder of another type looks in the root")
        << "start_location_other_type.reg" << Strings{"\\MSINFO32.EXE"} << Strings{"\\MSINFO32.EXE"}
        << Strings{"\\MSINFO32.EXE"} << 0;
    QTest::newRow("type 2 at PATH: no second location")
        << "start_path_expand.reg" << Strings{candidate} << Strings{} << Strings{""} << 1;
    QTest::newRow("size 0 at PATH: no second location")
        << "start_path_size0.reg" << Strings{candidate} << Strings{} << Strings{} << 1;
    QTest::newRow("dword at PATH is not a program")
        << "start_path_dword.reg" << Strings{} << Strings{} << Strings{"&h10"} << 1;
    QTest::newRow("neither location") << "start_none.reg" << Strings{} << Strings{} << Strings{} << 1;
    QTest::newRow("no registry file") << "no_such_file.reg" << Strings{} << Strings{} << Strings{} << 1;
}

void TestSysInfo::startSysInfo()
{
    QFETCH(QString, file);
    QFETCH(Strings, existing);
    QFETCH(Strings, fileTests);
    QFETCH(Strings, starts);
    QFETCH(int, messages);

    FileRegistry registry = FileRegistry::fromFile(dataFile(file.toLatin1().constData()));
    Fakes fakes;
    fakes.existingFiles.insert(existing.begin(), existing.end());
    SysInfo::StartSysInfo(fakes.platform(&registry));

    QCOMPARE(fakes.fileTests, fileTests);
    QCOMPARE(fakes.starts, starts);
    QCOMPARE(int(fakes.messages.size()), messages);
    for (const std::string &text : fakes.messages)
        QCOMPARE(QString::fromStdString(text), QString::fromUtf8(SysInfo::UnavailableMessage));
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestSysInfo::secondPressStartsAfresh()
{
    // The first press ends in the message; the second, with the tool now
    // there, searches again from an empty path and finds it.
    FileRegistry registry = FileRegistry::fromFile(dataFile("start_location.reg"));
    Fakes fakes;
    SysInfo::StartSysInfo(fakes.platform(&registry));
    QCOMPARE(fakes.messages.size(), std::size_t(1));
    QVERIFY(fakes.starts.empty());

    fakes.existingFiles.insert("C:\\Tools\\MSINFO32.EXE");
    SysInfo::StartSysInfo(fakes.platform(&registry));
    QCOMPARE(fakes.messages.size(), std::size_t(1));
    QCOMPARE(fakes.starts, Strings{"C:\\Tools\\MSINFO32.EXE"});
    QCOMPARE(fakes.fileTests, (Strings{"C:\\Tools\\MSINFO32.EXE", "C:\\Tools\\MSINFO32.EXE"}));
}

void TestSysInfo::unstartableProgramEndsInMessage()
{
    FileRegistry registry = FileRegistry::fromFile(dataFile("start_path.reg"));
    Fakes fakes;
    fakes.unstartable.insert(Tool);
    SysInfo::StartSysInfo(fakes.platform(&registry));
    QCOMPARE(fakes.starts, Strings{Tool});
    QCOMPARE(fakes.messages.size(), std::size_t(1));
    QVERIFY(fakes.fileTests.empty()); // a failed start does not fall back to the second location
}

void TestSysInfo::localPath_data()
{
    QTest::addColumn<std::string>("registry");
    QTest::addColumn<std::string>("local");
    QTest::newRow("drive and backslashes") << std::string("C:\\usr\\bin\\hardinfo") << std::string("/usr/bin/hardinfo");
    QTest::newRow("lower-case drive") << std::string("d:\\opt\\x") << std::string("/opt/x");
    QTest::newRow("root of the current drive") << std::string("\\MSINFO32.EXE") << std::string("/MSINFO32.EXE");
    QTest::newRow("doubled separator stays") << std::string("C:\\Tools\\\\MSINFO32.EXE") << std::string("/Tools//MSINFO32.EXE");
    QTest::newRow("already a local path") << std::string("/usr/bin/hardinfo") << std::string("/usr/bin/hardinfo");
    QTest::newRow("spaces kept") << std::string("C:\\Program Files\\a b.exe") << std::string("/Program Files/a b.exe");
    QTest::newRow("colon not a drive") << std::string("ab:\\x") << std::string("ab:/x");
    QTest::newRow("empty") << std::string() << std::string();
}

void TestSysInfo::localPath()
{
    QFETCH(std::string, registry);
    QFETCH(std::string, local);
    QCOMPARE(SysInfo::localPath(registry), local);
}

void TestSysInfo::startsExactlyTheNamedFile()
{
    // "run me" lives in a folder with a space, next to a program called
    // "run": a start that split the path at the space would run that one.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my tools")));
    const QString marker = dir.filePath(QStringLiteral("marker"));
    auto writeScript = [&](const QString &path, const QByteArray &word) {
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho " + word + " >> '" + QFile::encodeName(marker) + "'\n");
        script.close();
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    };
    writeScript(dir.filePath(QStringLiteral("my tools/run me")), "right");
    writeScript(dir.filePath(QStringLiteral("my")), "wrong");
    writeScript(dir.filePath(QStringLiteral("my tools/run")), "wrong");

    SysInfo::desktopStartProgram(QFile::encodeName(dir.filePath(QStringLiteral("my tools/run me"))).toStdString());
    QTRY_VERIFY(QFile::exists(marker));
    QTest::qWait(200);
    QFile result(marker);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray("right\n"));

    QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram(""));
    QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError,
                             SysInfo::desktopStartProgram(QFile::encodeName(dir.filePath("absent")).toStdString()));
    // A folder is no program.
    QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError,
                             SysInfo::desktopStartProgram(QFile::encodeName(dir.filePath("my tools")).toStdString()));
}

void TestSysInfo::fileTestFindsFilesNotFolders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Tools")));
    QFile file(dir.filePath(QStringLiteral("Tools/MSINFO32.EXE")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    const std::string tools = QFile::encodeName(dir.filePath(QStringLiteral("Tools"))).toStdString();
    QCOMPARE(SysInfo::desktopFileTest(tools + "\\MSINFO32.EXE"), std::string("MSINFO32.EXE"));
    QCOMPARE(SysInfo::desktopFileTest(tools + "\\\\MSINFO32.EXE"), std::string("MSINFO32.EXE"));
    QCOMPARE(SysInfo::desktopFileTest(tools), std::string());
    QCOMPARE(SysInfo::desktopFileTest(tools + "\\NOTHERE.EXE"), std::string());
}

void TestSysInfo::registryFileFromEnvironment()
{
    const QByteArray saved = qgetenv("MIREBO_REGISTRY");
    qputenv("MIREBO_REGISTRY", "/somewhere/test.reg");
    QCOMPARE(SysInfo::registryFilePath(), QStringLiteral("/somewhere/test.reg"));
    qunsetenv("MIREBO_REGISTRY");
    // Uninstalled, the source tree's default file, which names hardinfo.
    const QString fallback = SysInfo::registryFilePath();
    QVERIFY2(QFile::exists(fallback), qPrintable(fallback));
    FileRegistry registry = FileRegistry::fromFile(QFile::encodeName(fallback).toStdString());
    std::string path;
    QVERIFY(SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, SysInfo::MsInfoKey, SysInfo::MsInfoValue, path));
    QCOMPARE(path, std::string("/usr/bin/hardinfo"));
    if (!saved.isNull())
        qputenv("MIREBO_REGISTRY", saved);
}

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
