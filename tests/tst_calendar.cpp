#include "app.h"
#include "calendar/frmcalender.h"
#include "calendar/monthview.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/datetext.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

Q_DECLARE_METATYPE(FormKind)

namespace {

const QDate Today(2026, 12, 6); // a Sunday
const FormKind Main = FormKind::FrmMain, C1 = FormKind::FrmCalender, C3 = FormKind::FrmCalender3,
               C6 = FormKind::FrmCalender6, C12 = FormKind::FrmCalender12;

void unloadAll()
{
    for (FormKind kind : {Main, C1, C3, C6, C12})
        Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sundays_data();
    void sundays();
    void commandTable_data();
    void commandTable();
    void switchReturnsToToday();
    void layout_data();
    void layout();
    void opensOnTodayInAnyLocale_data();
    void opensOnTodayInAnyLocale();

private:
    int m_ends = 0;
};

void TestCalendar::initTestCase()
{
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
    Screen::setSizeInTwipsForTesting({28800, 16200});
}

void TestCalendar::init()
{
    m_ends = 0;
    Forms::setProgramEnd([this] { ++m_ends; });
    Clock::setToday(Today);
}

void TestCalendar::cleanup()
{
    unloadAll();
    QCoreApplication::processEvents();
    for (const char *name : {"LC_TIME", "LC_ALL"})
        qunsetenv(name);
    qputenv("LANG", "ja_JP.UTF-8");
    DateTexts::reset();
}

void TestCalendar::sundays_data()
{
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stateSize");
    QTest::addColumn<QList<int>>("expected");

    QList<int> year;
    for (int k = 0; k < 378; k += 7)
        year << k;
    const QDate sunday(2026, 11, 29), monday(2026, 11, 30), saturday(2026, 11, 28);
    QTest::newRow("one month as six weeks") << 1 << sunday << 42 << 42 << QList<int>{0, 7, 14, 21, 28, 35};
    QTest::newRow("five weeks") << 1 << sunday << 35 << 35 << QList<int>{0, 7, 14, 21, 28};
    QTest::newRow("one day") << 1 << sunday << 1 << 1 << QList<int>{};
    QTest::newRow("no days") << 1 << sunday << 0 << 0 << QList<int>{};
    QTest::newRow("one week and a day: the last Sunday stays plain") << 1 << sunday << 8 << 8 << QList<int>{0};
    QTest::newRow("twelve months") << 1 << QDate(2025, 12, 28) << 378 << 378 << year;
    // Any other first day: the run's real Sundays, never past the array.
    QTest::newRow("Monday first") << 2 << monday << 42 << 42 << QList<int>{6, 13, 20, 27, 34, 41};
    QTest::newRow("Saturday first") << 7 << saturday << 42 << 42 << QList<int>{1, 8, 15, 22, 29, 36};
    QTest::newRow("Saturday first, one day") << 7 << saturday << 1 << 1 << QList<int>{};
    QTest::newRow("state shorter than the count") << 2 << monday << 42 << 10 << QList<int>{6};
}

void TestCalendar::sundays()
{
    QFETCH(int, startOfWeek);
    QFETCH(QDate, start);
    QFETCH(int, count);
    QFETCH(int, stateSize);
    QFETCH(QList<int>, expected);
    MonthView view;
    view.setStartOfWeek(startOfWeek);
    QList<bool> state(stateSize, false);
    CalendarForm::markSundays(view, start, count, state);
    QList<int> marked;
    for (int i = 0; i < state.size(); ++i) {
        if (state[i])
            marked << i;
    }
    QCOMPARE(marked, expected);
}

void TestCalendar::commandTable_data()
{
    QTest::addColumn<FormKind>("source");
    QTest::addColumn<QString>("command");
    QTest::addColumn<FormKind>("target");

    QTest::newRow("today: double-click") << Main << "LblDate" << C1;
    QTest::newRow("today: 1 month") << Main << "mnuHyouzi1" << C1;
    QTest::newRow("today: 3 months") << Main << "mnuHyouzi3" << C3;
    QTest::newRow("today: 6 months") << Main << "mnuHyouzi6" << C6;
    QTest::newRow("today: 12 months") << Main << "mnuHyouzi12" << C12;
    for (FormKind source : {C1, C3, C6, C12}) {
        const char *name = formKindName(source);
        QTest::addRow("%s: day", name) << source << "mnuHyouziDay" << Main;
        // Exit leaves no window: the target is the source, which must be gone.
        QTest::addRow("%s: exit", name) << source << "mnuFileExit" << source;
        const std::pair<const char *, FormKind> targets[] = {
            {"mnuHyouzi1", C1}, {"mnuHyouzi3", C3}, {"mnuHyouzi6", C6}, {"mnuHyouzi12", C12}};
        for (const auto &[command, target] : targets) {
            if (target != source)
                QTest::addRow("%s: %s", name, command) << source << command << target;
        }
    }
}

void TestCalendar::commandTable()
{
    QFETCH(FormKind, source);
    QFETCH(QString, command);
    QFETCH(FormKind, target);

    Form *from = Forms::Show(source);
    if (command == u"LblDate")
        QTest::mouseDClick(from->findChild<QLabel *>("LblDate"), Qt::LeftButton, {}, QPoint(4, 4));
    else
        from->findChild<QAction *>(command)->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(Forms::instance(source), nullptr);
    const bool exits = target == source;
    QCOMPARE(Forms::loadedCount(), exits ? 0 : 1);
    QCOMPARE(m_ends, exits ? 1 : 0);
    if (!exits)
        QVERIFY(Forms::instance(target) && Forms::instance(target)->isVisible());
}

void TestCalendar::switchReturnsToToday()
{
    auto *twelve = static_cast<CalendarForm *>(Forms::Show(C12));
    twelve->monthView()->setValue(QDate(1999, 3, 3)); // the user pages away
    twelve->move(10, 10);                            // and moves the window
    twelve->findChild<QAction *>("mnuHyouzi3")->trigger();
    Forms::instance(C3)->findChild<QAction *>("mnuHyouzi12")->trigger();
    auto *again = static_cast<CalendarForm *>(Forms::instance(C12));
    QCOMPARE(again->monthView()->value(), Today);
    QCOMPARE(again->pos(), QPoint((28800 - 7365) / 15, (16200 - 9375) / 15));
}

void TestCalendar::layout_data()
{
    QTest::addColumn<FormKind>("kind");
    QTest::addColumn<QString>("viewName");
    QTest::addColumn<QSize>("grid");
    QTest::addColumn<QSize>("viewTwips");
    QTest::addColumn<QSize>("clientTwips");
    QTest::addColumn<QPoint>("cornerTwips");
    QTest::addColumn<bool>("ownFont");
    QTest::addColumn<QStringList>("viewMenu");

    const QString day = "mnuHyouziDay=1日(&D)", one = "mnuHyouzi1=1ヶ月(&M)", three = "mnuHyouzi3=3ヶ月(&T)",
                  six = "mnuHyouzi6=6ヶ月(&S)", twelve = "mnuHyouzi12=12ヶ月(&Y)";
    QTest::newRow("one month") << C1 << "MonthView1" << QSize(1, 1) << QSize(2385, 2220) << QSize(2385, 2220)
                               << QPoint(2475, 3315) << true << QStringList{day, three, six, twelve};
    QTest::newRow("three months") << C3 << "MonthView3" << QSize(3, 1) << QSize(7215, 2220) << QSize(7260, 2235)
                                  << QPoint(7350, 3330) << false << QStringList{day, one, six, twelve};
    QTest::newRow("six months") << C6 << "MonthView6" << QSize(3, 2) << QSize(7215, 4230) << QSize(7260, 4245)
                                << QPoint(7350, 5340) << true << QStringList{day, one, three, twelve};
    QTest::newRow("twelve months: six with the key 6") << C12 << "MonthView12" << QSize(3, 4) << QSize(7215, 8250)
                                   << QSize(7275, 8280) << QPoint(7365, 9375) << false
                                   << QStringList{day, one, three, "mnuHyouzi6=6ヶ月(&6)"};
}

void TestCalendar::layout()
{
    QFETCH(FormKind, kind);
    QFETCH(QString, viewName);
    QFETCH(QSize, grid);
    QFETCH(QSize, viewTwips);
    QFETCH(QSize, clientTwips);
    QFETCH(QPoint, cornerTwips);
    QFETCH(bool, ownFont);
    QFETCH(QStringList, viewMenu);

    Form *form = Forms::Show(kind);
    QStringList menus;
    for (QAction *action : form->menuBar()->actions() + form->findChild<QMenu *>("mnuFile")->actions()
             + form->findChild<QMenu *>("mnuHyouzi")->actions())
        menus << action->objectName() + u'=' + action->text();
    QCOMPARE(menus, QStringList({"mnuFile=ﾌｧｲﾙ(&F)", "mnuHyouzi=表示(&V)", "mnuFileExit=終了(&X)"}) + viewMenu);
    QCOMPARE(form->windowTitle(), QStringLiteral("ミレボ"));
    QCOMPARE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint
                                    | Qt::WindowStaysOnTopHint),
             Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->client()->size(), Twips::sizeToPixels(clientTwips.width(), clientTwips.height()));
    QCOMPARE(form->pos(), QPoint((28800 - cornerTwips.x()) / 15, (16200 - cornerTwips.y()) / 15));

    auto *view = form->findChild<MonthView *>(viewName);
    QVERIFY(view);
    QCOMPARE(view->geometry(), Twips::rectToPixels(0, 0, viewTwips.width(), viewTwips.height()));
    QCOMPARE(QSize(view->monthColumns(), view->monthRows()), grid);
    QCOMPARE(view->minDate(), QDate(1753, 1, 1));
    QCOMPARE(view->maxDate(), QDate(9999, 12, 31));
    QCOMPARE(view->StartOfWeek(), 1);
    QCOMPARE(view->value(), Today);
    QCOMPARE(view->testAttribute(Qt::WA_SetFont), ownFont);
    QCOMPARE(view->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(view->font().pointSize(), 9);
    QCOMPARE(view->foregroundRole(), QPalette::ButtonText);
    QCOMPARE(view->backgroundRole(), QPalette::Button);
}

void TestCalendar::opensOnTodayInAnyLocale_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");

    const char *const values[] = {
        "ja_JP.UTF-8@calendar=japanese", "ja_JP.eucJP", "ja_JP@calendar=chinese", "zh_TW.UTF-8", "ko_KR.UTF-8",
        "th_TH.UTF-8@calendar=buddhist", "ar_SA.UTF-8", "he_IL@calendar=hebrew", "fa_IR.UTF-8", "ur_PK.UTF-8",
        "de_DE@euro", "en_US.UTF-8", "ru_RU.UTF-8", "am_ET.UTF-8@calendar=ethiopic", "en_US@calendar=islamic-civil",
        "sr_RS@latin", "C", "POSIX", "", "xx_YY", "!!garbage!!", "ja_JP.UTF-8@calendar=nonsense"};
    const char *const variables[] = {"LANG", "LC_TIME", "LC_ALL"};
    int n = 0;
    for (const char *value : values) {
        const char *variable = variables[n++ % 3];
        QTest::addRow("%s=%s", variable, value) << QByteArray(variable) << QByteArray(value);
    }
}

// Every window under odd locales, on the first, an ordinary and the last
// day: nothing crashes, the date is readable, and the calendars open on
// today also where the long date does not read back.
void TestCalendar::opensOnTodayInAnyLocale()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    qunsetenv("LANG");
    qputenv(variable.constData(), value);
    DateTexts::reset();
    for (const QDate today : {Today, QDate(1753, 1, 1), QDate(9999, 12, 31)}) {
        Clock::setToday(today);
        const QString text = Forms::Show(Main)->findChild<QLabel *>("LblDate")->text();
        QVERIFY2(text.size() > 4 && !text.startsWith(u'('), qPrintable(text));
        unloadAll();
        for (FormKind kind : {C1, C3, C6, C12}) {
            auto *form = static_cast<CalendarForm *>(Forms::Show(kind));
            QCOMPARE(form->monthView()->value(), today);
            form->repaint();
            unloadAll();
        }
    }
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
