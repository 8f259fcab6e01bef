// The Windows files against the real Windows API (under Wine): the user's
// long date "yyyy'年'M'月'd'日'" of a Japanese locale, advapi32's registry,
// and the today window's corner and topmost state.
#include "about/sysinfo.h"
#include "about/sysinfo_qt.h"
#include "app.h"
#include "shell/datetext.h"
#include "shell/forms.h"

#include <QLabel>
#include <QTest>

// Taken before windows.h turns the name into its own macro.
constexpr Registry::HKEY LocalMachine = Registry::HKEY_LOCAL_MACHINE;

#include <windows.h>

namespace {
const char *const TestKey = "SOFTWARE\\MireboTest";
}

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void dateTexts_data();
    void dateTexts();
    void todayWindow();
    void registryValues_data();
    void registryValues();
};

void TestWindows::initTestCase()
{
    mirebo::registerForms();
    Forms::setProgramEnd([] {});
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
             ERROR_SUCCESS);
    auto set = [key](const char *name, DWORD type, const std::string &data) {
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()), DWORD(data.size()));
    };
    set("zero", REG_SZ, std::string("C:\\Tools\\run me.exe", 19) + '\0');
    set("no zero", REG_SZ, "C:\\Tools\\run me.exe");
    set("1024", REG_SZ, std::string(1023, 'a') + '\0');
    set("1025", REG_SZ, std::string(1024, 'a') + '\0');
    set("dword", REG_DWORD, std::string("\x2b\x1a\0\0", 4));
    set("expand", REG_EXPAND_SZ, std::string("%SystemRoot%", 12) + '\0');
    RegCloseKey(key);
}

void TestWindows::cleanupTestCase()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TestKey);
}

void TestWindows::dateTexts_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Wednesday") << QDate(2003, 4, 30) << u"2003年4月30日"_qs;
    QTest::newRow("earliest") << QDate(1753, 1, 1) << u"1753年1月1日"_qs;
    QTest::newRow("leap day") << QDate(2024, 2, 29) << u"2024年2月29日"_qs;
    QTest::newRow("latest") << QDate(9999, 12, 31) << u"9999年12月31日"_qs;
}

void TestWindows::dateTexts()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    const DateTexts &texts = DateTexts::user();
    QCOMPARE(texts.longDate(date), expected);
    // The locale's rules read its short date back exactly. Wine's
    // VarDateFromStr reads no Japanese long date at all, and the calendar
    // then opens on the clock's day; but it must never read another day.
    QCOMPARE(texts.parseLongDate(texts.shortDate(date)), std::optional<QDate>(date));
    const std::optional<QDate> back = texts.parseLongDate(expected);
    QVERIFY(!back || *back == date);
    QCOMPARE(texts.monthTitle(date.year(), date.month()), expected.left(expected.indexOf(u'月') + 1));
    QCOMPARE(texts.weekdayHeader(7) + texts.weekdayHeader(1, DateTexts::HeaderWidth::Narrow), u"日月"_qs);
}

// The real load step on the clock of the process: the runner fakes the day.
void TestWindows::todayWindow()
{
    Form *today = Forms::Show(FormKind::FrmMain);
    QVERIFY(QTest::qWaitForWindowExposed(today));
    const QString expected = qEnvironmentVariable("MIREBO_EXPECT_LABEL");
    if (!expected.isEmpty())
        QCOMPARE(today->findChild<QLabel *>("LblDate")->text(), expected);

    const HWND hwnd = reinterpret_cast<HWND>(today->winId());
    QVERIFY(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Qt takes Wine's dialog frame for 4 pixels narrower than it is (Wine
    // has no per-monitor DPI frames), so the frame lands that much left.
    QCOMPARE(frame.top, height - 1500 / 15);
    QVERIFY2(qAbs(frame.left - (width - 2370 / 15)) <= 4, qPrintable(QString::number(frame.left)));
    Forms::Unload(FormKind::FrmMain);
}

void TestWindows::registryValues_data()
{
    QTest::addColumn<QString>("value"); // under TestKey, or a path below it
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("text");
    QTest::newRow("string with its zero") << "zero" << true << "C:\\Tools\\run me.exe";
    QTest::newRow("string without a zero") << "no zero" << true << "C:\\Tools\\run me.exe";
    QTest::newRow("1024 bytes fit") << "1024" << true << QString(1023, u'a');
    QTest::newRow("1025 bytes do not") << "1025" << false << "";
    QTest::newRow("number") << "dword" << true << "&h1A2B";
    QTest::newRow("other type keeps the text") << "expand" << true << "before";
    QTest::newRow("missing value") << "absent" << false << "";
    QTest::newRow("missing key") << "absent\\zero" << false << "";
}

void TestWindows::registryValues()
{
    QFETCH(QString, value);
    QFETCH(bool, read);
    QFETCH(QString, text);
    const qsizetype slash = value.lastIndexOf(u'\\');
    const std::string key = TestKey + (slash < 0 ? std::string() : "\\" + value.left(slash).toStdString());
    const auto registry = SysInfo::desktopServices().openRegistry();
    std::string keyVal = "before";
    QCOMPARE(SysInfo::GetKeyValue(*registry, LocalMachine, key, value.mid(slash + 1).toStdString(), keyVal), read);
    QCOMPARE(QString::fromStdString(keyVal), text);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
