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

QList<int> marked(const QList<bool> &state)
{
    QList<int> out;
    for (int i = 0; i < state.size(); ++i) {
        if (state[i])
            out << i;
    }
    return out;
}

QList<int> every7(int first, int count)
{
    QList<int> out;
    for (int k = first; k < count; k += 7)
        out << k;
    return out;
}

QStringList viewMenu(Form *form)
{
    QStringList out;
    for (QAction *action : form->findChild<QMenu *>("mnuHyouzi")->actions())
        out << action->objectName() + u'=' + action->text();
    return out;
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
    void weekNotStartingOnSunday_data();
    void weekNotStartingOnSunday();

    void commandTable_data();
    void commandTable();
    void switchReturnsToToday();

    void layout_data();
    void layout();

private:
    int m_ends = 0;
};

void TestCalendar::initTestCase()
{
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
}

void TestCalendar::init()
{
    m_ends = 0;
    Forms::setProgramEnd([this] { ++m_ends; });
    Screen::setSizeInTwipsForTesting({28800, 16200});
    Clock::setToday(Today);
}

void TestCalendar::cleanup()
{
    for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::FrmCalender3,
                          FormKind::FrmCalender6, FormKind::FrmCalender12})
        Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    qputenv("LANG", "ja_JP.UTF-8");
    DateTexts::reset();
}

void TestCalendar::sundays_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("one month as six weeks") << 42 << QList<int>{0, 7, 14, 21, 28, 35};
    QTest::newRow("five weeks") << 35 << QList<int>{0, 7, 14, 21, 28};
    QTest::newRow("one day") << 1 << QList<int>{};
    QTest::newRow("no days") << 0 << QList<int>{};
    QTest::newRow("one week and a day") << 8 << QList<int>{0};
    // Twelve months from the first cell of January to the last of December.
    QTest::newRow("twelve months") << 378 << every7(0, 378);
}

void TestCalendar::sundays()
{
    QFETCH(int, count);
    QFETCH(QList<int>, expected);
    MonthView view;
    view.setStartOfWeek(1);
    QList<bool> state(count, false);
    CalendarForm::markSundays(view, QDate(2026, 11, 29), count, state);
    QCOMPARE(marked(state), expected);
}

void TestCalendar::weekNotStartingOnSunday_data()
{
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stateSize");

    QTest::newRow("Monday first") << 2 << QDate(2026, 11, 30) << 42 << 42;
    QTest::newRow("Saturday first") << 7 << QDate(2026, 11, 28) << 42 << 42;
    QTest::newRow("Saturday first, one day") << 7 << QDate(2026, 11, 28) << 1 << 1;
    QTest::newRow("state shorter than the count") << 2 << QDate(2026, 11, 30) << 42 << 10;
}

void TestCalendar::weekNotStartingOnSunday()
{
    QFETCH(int, startOfWeek);
    QFETCH(QDate, start);
    QFETCH(int, count);
    QFETCH(int, stateSize);
    MonthView view;
    view.setStartOfWeek(startOfWeek);
    QList<bool> state(stateSize, false);
    CalendarForm::markSundays(view, start, count, state);
    // Whatever is marked is a real Sunday, inside the array.
    for (int k : marked(state))
        QCOMPARE(start.addDays(k).dayOfWeek(), int(Qt::Sunday));
    QVERIFY(marked(state).size() <= (count + 6) / 7);
    if (count >= 7 && stateSize >= 7)
        QVERIFY(!marked(state).isEmpty());
}

void TestCalendar::commandTable_data()
{
    QTest::addColumn<FormKind>("source");
    QTest::addColumn<QString>("command");
    QTest::addColumn<FormKind>("target");

    const FormKind main = FormKind::FrmMain, c1 = FormKind::FrmCalender, c3 = FormKind::FrmCalender3,
                   c6 = FormKind::FrmCalender6, c12 = FormKind::FrmCalender12;
    QTest::newRow("today: double-click") << main << "LblDate" << c1;
    QTest::newRow("today: 1 month") << main << "mnuHyouzi1" << c1;
    QTest::newRow("today: 3 months") << main << "mnuHyouzi3" << c3;
    QTest::newRow("today: 6 months") << main << "mnuHyouzi6" << c6;
    QTest::newRow("today: 12 months") << main << "mnuHyouzi12" << c12;
    for (FormKind source : {c1, c3, c6, c12}) {
        const char *name = formKindName(source);
        QTest::addRow("%s: day", name) << source << "mnuHyouziDay" << main;
        // Exit leaves no window: the target is the source, which must be gone.
        QTest::addRow("%s: exit", name) << source << "mnuFileExit" << source;
        const QList<std::pair<const char *, FormKind>> targets{
            {"mnuHyouzi1", c1}, {"mnuHyouzi3", c3}, {"mnuHyouzi6", c6}, {"mnuHyouzi12", c12}};
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
    if (command == u"LblDate") {
        QLabel *label = from->findChild<QLabel *>("LblDate");
        QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(4, 4));
    } else {
        QAction *action = from->findChild<QAction *>(command);
        QVERIFY(action);
        action->trigger();
    }
    QCoreApplication::processEvents();
    QCOMPARE(Forms::instance(source), nullptr);
    if (target == source) {
        QCOMPARE(Forms::loadedCount(), 0);
        QCOMPARE(m_ends, 1);
        return;
    }
    Form *to = Forms::instance(target);
    QVERIFY(to);
    QVERIFY(to->isVisible());
    QCOMPARE(Forms::mainWindowCount(), 1);
    QCOMPARE(m_ends, 0);
}

void TestCalendar::switchReturnsToToday()
{
    auto *twelve = static_cast<CalendarForm *>(Forms::Show(FormKind::FrmCalender12));
    QCOMPARE(twelve->monthView()->value(), Today);
    twelve->monthView()->setValue(QDate(1999, 3, 3)); // the user pages away
    twelve->move(10, 10);                            // and moves the window
    twelve->findChild<QAction *>("mnuHyouzi3")->trigger();
    Forms::instance(FormKind::FrmCalender3)->findChild<QAction *>("mnuHyouzi12")->trigger();
    auto *again = static_cast<CalendarForm *>(Forms::instance(FormKind::FrmCalender12));
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

    QTest::newRow("one month") << FormKind::FrmCalender << "MonthView1" << QSize(1, 1) << QSize(2385, 2220)
                               << QSize(2385, 2220) << QPoint(2475, 3315) << true
                               << QStringList{"mnuHyouziDay=1日(&D)", "mnuHyouzi3=3ヶ月(&T)", "mnuHyouzi6=6ヶ月(&S)",
                                              "mnuHyouzi12=12ヶ月(&Y)"};
    QTest::newRow("three months") << FormKind::FrmCalender3 << "MonthView3" << QSize(3, 1) << QSize(7215, 2220)
                                  << QSize(7260, 2235) << QPoint(7350, 3330) << false
                                  << QStringList{"mnuHyouziDay=1日(&D)", "mnuHyouzi1=1ヶ月(&M)",
                                                 "mnuHyouzi6=6ヶ月(&S)", "mnuHyouzi12=12ヶ月(&Y)"};
    QTest::newRow("six months") << FormKind::FrmCalender6 << "MonthView6" << QSize(3, 2) << QSize(7215, 4230)
                                << QSize(7260, 4245) << QPoint(7350, 5340) << true
                                << QStringList{"mnuHyouziDay=1日(&D)", "mnuHyouzi1=1ヶ月(&M)", "mnuHyouzi3=3ヶ月(&T)",
                                               "mnuHyouzi12=12ヶ月(&Y)"};
    QTest::newRow("twelve months") << FormKind::FrmCalender12 << "MonthView12" << QSize(3, 4) << QSize(7215, 8250)
                                   << QSize(7275, 8280) << QPoint(7365, 9375) << false
                                   << QStringList{"mnuHyouziDay=1日(&D)", "mnuHyouzi1=1ヶ月(&M)",
                                                  "mnuHyouzi3=3ヶ月(&T)", "mnuHyouzi6=6ヶ月(&6)"};
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
    for (QAction *action : form->menuBar()->actions() + form->findChild<QMenu *>("mnuFile")->actions())
        menus << action->objectName() + u'=' + action->text();
    QCOMPARE(menus, QStringList({"mnuFile=ﾌｧｲﾙ(&F)", "mnuHyouzi=表示(&V)", "mnuFileExit=終了(&X)"}));
    QCOMPARE(::viewMenu(form), viewMenu);
    QCOMPARE(form->windowTitle(), QStringLiteral("ミレボ"));
    QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
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

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
