// GetKeyValue and StartSysInfo over registry export files, with a fake file
// test, launcher and message box; and the desktop's program start.

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
using Strings = std::vector<std::string>;

namespace {

std::string local(const QString &path) { return QFile::encodeName(path).toStdString(); }

FileRegistry registryFile(const QString &name)
{
    return FileRegistry::fromFile(local(qEnvironmentVariable("MIREBO_TEST_DATA") + QStringLiteral("/registry/") + name));
}

const std::string TestKey = "SOFTWARE\\Mirebo Test";
const std::string Tool = "C:\\Program Files\\Tool\\tool.exe";
const std::string Candidate = "C:\\Tools\\MSINFO32.EXE";

// The outside world of StartSysInfo as one log; only an existing file starts.
struct Fakes
{
    std::set<std::string> existing;
    Strings log;

    SysInfo::Platform platform(Registry::Api *registry)
    {
        SysInfo::Platform p;
        p.registry = registry;
        p.fileTest = [this](const std::string &path) {
            log.push_back("test " + path);
            return existing.count(path) ? std::string("MSINFO32.EXE") : std::string();
        };
        p.startProgram = [this](const std::string &path) {
            log.push_back("start " + path);
            if (!existing.count(path)) throw SysInfo::RuntimeError("cannot start");
        };
        p.messageBox = [this](const std::string &) { log.push_back("message"); };
        return p;
    }
};

// Windows refuses a standard user write rights under HKEY_LOCAL_MACHINE.
struct AccessRecorder : FileRegistry
{
    explicit AccessRecorder(FileRegistry registry) : FileRegistry(std::move(registry)) {}
    Registry::LONG RegOpenKeyExA(Registry::HKEY key, const char *subKey, Registry::DWORD options,
                                 Registry::DWORD samDesired, Registry::HKEY *result) override
    {
        asked.insert(samDesired);
        return FileRegistry::RegOpenKeyExA(key, subKey, options, samDesired, result);
    }
    std::set<Registry::DWORD> asked;
};

enum Outcome { Found, Missing, Raises };

} // namespace

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Strings)

class TestSysInfo : public QObject
{
    Q_OBJECT

private slots:
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void desktopStartAndFileTest();
    void registryFileFromEnvironment();
};

void TestSysInfo::getKeyValue_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<std::string>("key");
    QTest::addColumn<std::string>("valueName");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<std::string>("expected"); // KeyVal afterwards; it starts as "left over"

    const QString u = QStringLiteral("values_utf16.reg"), r4 = QStringLiteral("values_regedit4.reg");
    const auto row = [&](const char *name, const QString &file, const char *value, Outcome outcome,
                         const std::string &expected = {}, const std::string &key = TestKey) {
        QTest::newRow(name) << file << key << std::string(value) << int(outcome) << expected;
    };
    row("string with terminating zero", u, "WithZero", Found, Tool);
    row("string without terminating zero", u, "WithoutZero", Found, Tool);
    row("exactly 1024 bytes with its zero", u, "Exactly1024", Found, std::string(1023, 'a'));
    row("1025 bytes counts as missing", u, "Over1024", Missing);
    row("only one of several zeros dropped", u, "TwoZeros", Found, std::string("A\0", 2));
    row("dword as &h text", u, "Dword", Found, "&h1E240");
    row("type 2 reads but leaves the text", u, "Expand", Found, "left over");
    row("size 0 raises", u, "Empty", Raises);
    row("missing value", u, "Nothing", Missing);
    row("missing key", u, "WithZero", Missing, {}, "SOFTWARE\\Nobody");
    row("REGEDIT4 exactly 1024 bytes, no zero", r4, "Exactly1024", Found, std::string(1024, 'a'));
}

void TestSysInfo::getKeyValue()
{
    QFETCH(QString, file);
    QFETCH(std::string, key);
    QFETCH(std::string, valueName);
    QFETCH(int, outcome);
    QFETCH(std::string, expected);

    AccessRecorder registry(registryFile(file));
    std::string value = "left over";
    if (outcome == Raises) {
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, key, valueName, value));
    } else {
        QCOMPARE(SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, key, valueName, value), outcome == Found);
        QCOMPARE(value, expected);
    }
    QCOMPARE(registry.openKeyCount(), std::size_t(0)); // closed on every way out
    QCOMPARE(registry.asked, std::set<Registry::DWORD>{0x20019});
}

void TestSysInfo::startSysInfo_data()
{
    QTest::addColumn<QStringList>("presses"); // the registry file of each press
    QTest::addColumn<Strings>("existing");
    QTest::addColumn<Strings>("log");

    const auto row = [](const char *name, const QStringList &presses, const Strings &existing, const Strings &log) {
        QTest::newRow(name) << presses << existing << log;
    };
    const std::string test = "test " + Candidate, start = "start " + Candidate;
    const std::string twice = "C:\\Tools\\\\MSINFO32.EXE", root = "\\MSINFO32.EXE";
    row("PATH started unchanged, no file test", {"start_path.reg"}, {Tool, Candidate}, {"start " + Tool});
    row("PATH that cannot start: no second location", {"start_path.reg"}, {Candidate}, {"start " + Tool, "message"});
    row("PATH missing, folder with the tool", {"start_location.reg"}, {Candidate}, {test, start});
    row("folder without the tool", {"start_location.reg"}, {}, {test, "message"});
    row("folder ending in a separator doubles it", {"start_location_backslash.reg"}, {twice}, {"test " + twice, "start " + twice});
    row("folder of another type looks in the root", {"start_location_other_type.reg"}, {root}, {"test " + root, "start " + root});
    row("size 0 at PATH: no second location", {"start_path_size0.reg"}, {Candidate}, {"message"});
    row("neither location", {"start_none.reg"}, {}, {"message"});
    // Type 2 keeps the path empty, not what the press before started; no second location.
    row("type 2 at PATH on a second press starts an empty path", {"start_path.reg", "start_path_expand.reg"}, {Tool},
        {"start " + Tool, "start ", "message"});
}

void TestSysInfo::startSysInfo()
{
    QFETCH(QStringList, presses);
    QFETCH(Strings, existing);
    QFETCH(Strings, log);
    Fakes fakes;
    fakes.existing.insert(existing.begin(), existing.end());
    for (const QString &file : presses) {
        FileRegistry registry = registryFile(file);
        SysInfo::StartSysInfo(fakes.platform(&registry));
        QCOMPARE(registry.openKeyCount(), std::size_t(0));
    }
    QCOMPARE(fakes.log, log);
}

void TestSysInfo::desktopStartAndFileTest()
{
    // "run me" lives in a folder with a space, beside programs called "my"
    // and "run": a start through a shell, or split at a space, runs those.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my tools")));
    QFile result(dir.filePath(QStringLiteral("marker")));
    for (const auto &[name, word] : {std::pair{"my tools/run me", "right"}, {"my", "wrong"}, {"my tools/run", "wrong"}}) {
        QFile script(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QByteArray("#!/bin/sh\necho ") + word + " >> '" + QFile::encodeName(result.fileName()) + "'\n");
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }
    const std::string tools = local(dir.filePath(QStringLiteral("my tools")));
    SysInfo::desktopStartProgram(tools + "/run me");
    QTRY_VERIFY(result.exists());
    QTest::qWait(200);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray("right\n"));
    for (const std::string &notProgram : {std::string(), tools, tools + "/absent", std::string("sh")})
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram(notProgram));

    // The file test takes a registry path (drive dropped, "\\" a separator), finds files, not folders.
    QCOMPARE(SysInfo::desktopFileTest("C:" + tools + "\\\\run me"), std::string("run me"));
    QCOMPARE(SysInfo::desktopFileTest(tools) + SysInfo::desktopFileTest(tools + "\\absent"), std::string());
}

void TestSysInfo::registryFileFromEnvironment()
{
    // Uninstalled, the source tree's default file, which names hardinfo.
    qunsetenv("MIREBO_REGISTRY");
    FileRegistry registry = FileRegistry::fromFile(local(SysInfo::registryFilePath()));
    std::string path;
    QVERIFY(SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, SysInfo::MsInfoKey, SysInfo::MsInfoValue, path));
    QCOMPARE(path, std::string("/usr/bin/hardinfo"));
    qputenv("MIREBO_REGISTRY", "/somewhere/test.reg");
    QCOMPARE(SysInfo::registryFilePath(), QStringLiteral("/somewhere/test.reg"));
}

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
