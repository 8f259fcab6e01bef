// GetKeyValue and StartSysInfo over registry export files, with a fake file
// test, launcher and message box; and the desktop's program start.

#include "about/regfile.h"
#include "about/sysinfo.h"
#include "about/sysinfo_qt.h"
#include "datatable.h"

#include <QDir>
#include <QTemporaryDir>

#include <set>

using Registry::FileRegistry;
using Registry::HKEY_LOCAL_MACHINE;

namespace {

std::string local(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

FileRegistry registryFile(const QString &name)
{
    return FileRegistry::fromFile(local(dataPath("registry/" + name)));
}

// Windows refuses a standard user write rights under HKEY_LOCAL_MACHINE.
struct AccessRecorder : FileRegistry
{
    explicit AccessRecorder(FileRegistry registry)
        : FileRegistry(std::move(registry))
    {}
    Registry::LONG RegOpenKeyExA(Registry::HKEY key, const char *subKey, Registry::DWORD options,
                                 Registry::DWORD samDesired, Registry::HKEY *result) override
    {
        asked.insert(samDesired);
        return FileRegistry::RegOpenKeyExA(key, subKey, options, samDesired, result);
    }
    std::set<Registry::DWORD> asked;
};

} // namespace

class TestSysInfo : public QObject
{
    Q_OBJECT

private slots:
    void getKeyValue_data()
    {
        dataRows<QString, QByteArray, QByteArray, QByteArray, QByteArray>(
            "getkeyvalue.txt", {"file", "key", "valueName", "outcome", "expected"});
    }
    void getKeyValue()
    {
        const QByteArray outcome = field<QByteArray>("outcome");
        const std::string key = field<QByteArray>("key").toStdString(),
                          name = field<QByteArray>("valueName").toStdString();
        AccessRecorder registry(registryFile(field<QString>("file")));
        std::string value = "left over";
        const auto get = [&] { return SysInfo::GetKeyValue(registry, HKEY_LOCAL_MACHINE, key, name, value); };
        if (outcome == "raises")
            QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, get());
        else
            QCOMPARE(get(), outcome == "found");
        QCOMPARE(QByteArray::fromStdString(value), field<QByteArray>("expected"));
        QCOMPARE(registry.openKeyCount(), std::size_t(0)); // closed on every way out
        QCOMPARE(registry.asked, std::set<Registry::DWORD>{0x20019});
    }

    void startSysInfo_data()
    {
        dataRows<QString, QString, QString>("startsysinfo.txt", {"presses", "existing", "log"});
    }
    void startSysInfo()
    {
        const auto list = [](const char *column) { return field<QString>(column).split(u", "_s, Qt::SkipEmptyParts); };
        QStringList happened; // only an existing file starts
        SysInfo::Platform platform;
        const auto saw = [&](const char *what, const std::string &path) {
            happened << what + QString::fromStdString(path);
            return list("existing").contains(QString::fromStdString(path));
        };
        platform.fileTest = [&](const std::string &path) {
            return saw("test ", path) ? std::string("MSINFO32.EXE") : std::string();
        };
        platform.startProgram = [&](const std::string &path) {
            if (!saw("start ", path))
                throw SysInfo::RuntimeError("cannot start");
        };
        platform.messageBox = [&](const std::string &) { happened << "message"; };
        for (const QString &file : list("presses")) {
            FileRegistry registry = registryFile(file);
            platform.registry = &registry;
            SysInfo::StartSysInfo(platform);
            QCOMPARE(registry.openKeyCount(), std::size_t(0));
        }
        QCOMPARE(happened, list("log"));
    }

    void desktopStartAndFileTest()
    {
        // "run me" lives in a folder with a space, beside programs called "my"
        // and "run": a start through a shell, or split at a space, runs those.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my tools")));
        QFile result(dir.filePath(QStringLiteral("marker")));
        for (const auto &[name, word] :
             {std::pair{"my tools/run me", "right"}, {"my", "wrong"}, {"my tools/run", "wrong"}}) {
            QFile script(dir.filePath(QString::fromUtf8(name)));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\necho ") + word + " >> '" + QFile::encodeName(result.fileName())
                         + "'\n");
            QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        }
        const std::string tools = local(dir.filePath(QStringLiteral("my tools")));
        SysInfo::desktopStartProgram(tools + "/run me");
        // One start runs one program, right or wrong: its whole line says which.
        QTRY_VERIFY_WITH_TIMEOUT(result.size() == 6, 20000);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("right\n"));
        // No path, a folder, a missing file, and a bare name, which is never looked up.
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram(std::string()));
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram(tools));
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram(tools + "/absent"));
        QVERIFY_THROWS_EXCEPTION(SysInfo::RuntimeError, SysInfo::desktopStartProgram("sh"));

        // The file test takes a registry path (drive dropped, "\\" a separator), finds files, not folders.
        QCOMPARE(SysInfo::desktopFileTest("C:" + tools + "\\\\run me"), std::string("run me"));
        QCOMPARE(SysInfo::desktopFileTest(tools), std::string());
        QCOMPARE(SysInfo::desktopFileTest(tools + "\\absent"), std::string());
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
