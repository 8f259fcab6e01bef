// The Windows files against the real Windows API (under Wine): a Japanese user's long date
// "yyyy'年'M'月'd'日'", advapi32's registry, and the today window's date and topmost state.
#include "../testkit.h"
#include "about/sysinfo.h"
#include "about/sysinfo_qt.h"
#include "app.h"
#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
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
// The values the launcher's reader must cope with, as written to the real
// registry, and what it reads from them ("before" is KeyVal's own text).
const struct
{
    const char *row, *name;
    DWORD type;
    std::string data;
    bool read;
    std::string text;
} Values[] = {
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
        for (const auto &v : Values) {
            if (v.type)
                RegSetValueExA(key, v.name, 0, v.type, reinterpret_cast<const BYTE *>(v.data.data()),
                               DWORD(v.data.size()));
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
        QTest::addColumn<QString>("expected");
        QTest::newRow("Wednesday") << QDate(2003, 4, 30) << u"2003年4月30日"_qs;
        QTest::newRow("earliest") << QDate(1753, 1, 1) << u"1753年1月1日"_qs;
        QTest::newRow("leap day") << QDate(2024, 2, 29) << u"2024年2月29日"_qs;
        QTest::newRow("latest") << QDate(9999, 12, 31) << u"9999年12月31日"_qs;
    }

    void dateTexts()
    {
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        const DateTexts &texts = DateTexts::user();
        QCOMPARE(texts.longDate(date), expected);
        QCOMPARE(texts.monthTitle(date.year(), date.month()), expected.left(expected.indexOf(u'月') + 1));
        QCOMPARE(texts.weekdayHeader(7) + texts.weekdayHeader(1, DateTexts::HeaderWidth::Narrow), u"日月"_qs);
    }

    // The real load step on the clock of the process: the runner fakes the day.
    void todayWindow()
    {
        Form *today = Forms::Show(FormKind::FrmMain);
        QVERIFY(QTest::qWaitForWindowExposed(today));
        const QString expected = qEnvironmentVariable("MIREBO_EXPECT_LABEL");
        if (!expected.isEmpty()) {
            QCOMPARE(today->findChild<QLabel *>("LblDate")->text(), expected);
            QVERIFY(TestKit::dateWhole(today));
        }

        QVERIFY(GetWindowLongW(reinterpret_cast<HWND>(today->winId()), GWL_EXSTYLE) & WS_EX_TOPMOST);
        // Menus in the program's gothic, not in the theme's menu font.
        QList<QWidget *> menus{today->findChild<QMenuBar *>()};
        for (QMenu *menu : today->findChildren<QMenu *>())
            menus << menu;
        for (const QWidget *menu : menus)
            QCOMPARE(menu->font().family(), Captions::MsPGothic);
        Forms::Unload(FormKind::FrmMain);
    }

    // The month view the calendars share names Japan's holidays here too.
    void holidayNamed()
    {
        auto *view = Forms::Show(FormKind::FrmCalender)->findChild<MonthView *>();
        const QDate day(2026, 9, 22);
        view->setValue(day);
        const MonthLayout::Cell cell = MonthLayout::cellForDate(day, view->StartOfWeek(), day);
        QCOMPARE(view->dayLook(0, cell.row, cell.column).holiday.toString(), u"国民の休日"_qs);
        Forms::Unload(FormKind::FrmCalender);
    }

    // Every main window's rectangle, as Windows gives it in physical pixels,
    // at the screen size less its offsets at the DPI in force.
    void corners_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QPointF>("offsets");
        QTest::newRow("today") << int(FormKind::FrmMain) << QPointF(2370, 1500);
        QTest::newRow("1 month") << int(FormKind::FrmCalender) << QPointF(2475, 3315);
        QTest::newRow("3 months") << int(FormKind::FrmCalender3) << QPointF(7350, 3330);
        QTest::newRow("6 months") << int(FormKind::FrmCalender6) << QPointF(7350, 5340);
        QTest::newRow("12 months") << int(FormKind::FrmCalender12) << QPointF(7365, 9375);
    }

    void corners()
    {
        QFETCH(int, kind);
        QFETCH(QPointF, offsets);
        RECT rect{};
        GetWindowRect(reinterpret_cast<HWND>(Forms::Show(FormKind(kind))->winId()), &rect);
        Forms::Unload(FormKind(kind));
        const HDC screen = GetDC(nullptr);
        const double pixelsPerTwip = GetDeviceCaps(screen, LOGPIXELSX) / 1440.0;
        ReleaseDC(nullptr, screen);
        const QPointF expected(GetSystemMetrics(SM_CXSCREEN) - offsets.x() * pixelsPerTwip,
                               GetSystemMetrics(SM_CYSCREEN) - offsets.y() * pixelsPerTwip);
        QVERIFY2(qAbs(rect.left - expected.x()) <= 1 && qAbs(rect.top - expected.y()) <= 1,
                 qPrintable(QStringLiteral("(%1, %2), expected (%3, %4)")
                                .arg(rect.left)
                                .arg(rect.top)
                                .arg(expected.x())
                                .arg(expected.y())));
    }

    void registryValues_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(Values)); ++i)
            QTest::newRow(Values[i].row) << i;
    }

    void registryValues()
    {
        QFETCH(int, index);
        const auto &v = Values[index];
        const std::string name = v.name; // a missing key's value is named below TestKey
        const std::size_t slash = name.rfind('\\');
        std::string key = TestKey;
        if (slash != std::string::npos)
            key.append("\\").append(name, 0, slash);
        const auto registry = SysInfo::desktopServices().openRegistry();
        std::string keyVal = "before";
        QCOMPARE(SysInfo::GetKeyValue(*registry, LocalMachine, key, name.substr(slash + 1), keyVal), v.read);
        QCOMPARE(keyVal, v.text);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
