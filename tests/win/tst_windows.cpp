// The Windows files against the real Windows API (under Wine): a Japanese user's long date
// "yyyy'年'M'月'd'日'", advapi32's registry, and the today window's date and menu fonts.
#include "../testkit.h"
#include "about/sysinfo.h"
#include "about/sysinfo_qt.h"
#include "app.h"
#include "shell/captions.h"
#include "shell/datetext.h"
#include "shell/forms.h"

#include <QLabel>
#include <QMenuBar>
#include <QTest>

// Taken before windows.h turns the name into its own macro.
constexpr Registry::HKEY LocalMachine = Registry::HKEY_LOCAL_MACHINE;

#include <windows.h>

namespace {
const char *const TestKey = "SOFTWARE\\MireboTest";
const std::string Path = "C:\\Tools\\run me.exe";
// The values the launcher's reader must cope with: row, name, type and data as
// written to the real registry, whether it reads them and what ("before" is KeyVal's own text).
const std::tuple<const char *, const char *, DWORD, std::string, bool, std::string> Values[] = {
    {"string with its zero", "zero", REG_SZ, Path + '\0', true, Path},
    {"string without a zero", "no zero", REG_SZ, Path, true, Path},
    {"1024 bytes fit", "1024", REG_SZ, std::string(1023, 'a') + '\0', true, std::string(1023, 'a')},
    {"1025 bytes do not", "1025", REG_SZ, std::string(1024, 'a') + '\0', false, ""},
    {"number", "dword", REG_DWORD, std::string("\x2b\x1a\0\0", 4), true, "&h1A2B"},
    {"other type keeps the text", "expand", REG_EXPAND_SZ, std::string("%SystemRoot%", 12) + '\0', true, "before"},
    {"missing value", "absent", 0, "", false, ""},
    {"missing key", "absent\\zero", 0, "", false, ""},
};
} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        mirebo::configureApplication();
        mirebo::registerForms();
        Forms::setProgramEnd([] {});
        HKEY key = nullptr;
        QCOMPARE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        for (const auto &[row, name, type, data, read, text] : Values) {
            if (type)
                RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()), DWORD(data.size()));
        }
        RegCloseKey(key);
    }

    void cleanupTestCase()
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TestKey);
    }

    void dateTexts_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("a Wednesday") << QDate(2003, 4, 30);
        QTest::newRow("the first day") << QDate(1753, 1, 1);
        QTest::newRow("the last day") << QDate(9999, 12, 31);
        QTest::newRow("a leap day") << QDate(2024, 2, 29);
    }
    void dateTexts()
    {
        QFETCH(QDate, date);
        const QString month = u"%1年%2月"_s.arg(date.year()).arg(date.month());
        QCOMPARE(DateTexts::user().longDate(date), month + u"%1日"_s.arg(date.day()));
        QCOMPARE(DateTexts::user().monthTitle(date.year(), date.month()), month);
    }

    void weekdayHeaders()
    {
        QCOMPARE(DateTexts::user().weekdayHeader(7), u"日"_s);
        QCOMPARE(DateTexts::user().weekdayHeader(1, DateTexts::HeaderWidth::Narrow), u"月"_s);
    }

    // The real load step on the clock of the process: the runner fakes the day.
    void todayWindow()
    {
        Form *today = Forms::Show(FormKind::FrmMain);
        QVERIFY(QTest::qWaitForWindowExposed(today));
        // Set by the runner, which fakes the day: without it there is nothing to compare with.
        QVERIFY2(qEnvironmentVariableIsSet("MIREBO_EXPECT_LABEL"), "MIREBO_EXPECT_LABEL is not set");
        QCOMPARE(today->findChild<QLabel *>("LblDate")->text(), qEnvironmentVariable("MIREBO_EXPECT_LABEL"));
        QVERIFY(TestKit::dateWhole(today));

        // Menus in the program's gothic, not in the theme's menu font.
        QCOMPARE(today->findChild<QMenuBar *>()->font().family(), Captions::MsPGothic);
        for (const QMenu *menu : today->findChildren<QMenu *>())
            QCOMPARE(menu->font().family(), Captions::MsPGothic);
        Forms::Unload(FormKind::FrmMain);
    }

    void registryValues_data()
    {
        QTest::addColumn<int>("value");
        for (int i = 0; i < int(std::size(Values)); ++i)
            QTest::newRow(std::get<0>(Values[i])) << i;
    }
    // Each value as the launcher reads it; a missing key's value is named below TestKey.
    void registryValues()
    {
        QFETCH(int, value);
        const auto &[row, name, type, data, read, text] = Values[value];
        const std::string path = std::string(TestKey) + '\\' + name;
        const std::size_t slash = path.rfind('\\');
        std::string keyVal = "before";
        const bool got = SysInfo::GetKeyValue(*SysInfo::desktopServices().openRegistry(), LocalMachine,
                                              path.substr(0, slash), path.substr(slash + 1), keyVal);
        QCOMPARE(got, read);
        QCOMPARE(QString::fromStdString(keyVal), QString::fromStdString(text));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
