#include "calendar/monthview_layout.h"

#include <QSet>
#include <QTest>

using namespace MonthLayout;

class TestMonthLayout : public QObject
{
    Q_OBJECT

private slots:
    void cellsAndDatesAreInverse_data();
    void cellsAndDatesAreInverse();
    void firstCell_data();
    void firstCell();
    void displayedRun_data();
    void displayedRun();
    void everyDayOfTheRunShownOnce_data();
    void everyDayOfTheRunShownOnce();
    void boldInEveryMonth();
    void limitsAreGreyed();
    void moveDate_data();
    void moveDate();
    void scrollToShow_data();
    void scrollToShow();
};

void TestMonthLayout::cellsAndDatesAreInverse_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("startOfWeek");

    const QList<std::pair<const char *, QDate>> months{
        {"month starting on Sunday", QDate(2026, 2, 1)},
        {"month starting on Saturday", QDate(2026, 8, 1)},
        {"leap February", QDate(2024, 2, 1)},
        {"December", QDate(2026, 12, 1)},
        {"first month", QDate(1753, 1, 1)},
        {"last month", QDate(9999, 12, 1)},
    };
    for (const auto &[name, month] : months) {
        for (int startOfWeek : {1, 2, 7})
            QTest::addRow("%s, week from %d", name, startOfWeek) << month << startOfWeek;
    }
}

void TestMonthLayout::cellsAndDatesAreInverse()
{
    QFETCH(QDate, month);
    QFETCH(int, startOfWeek);

    for (int row = 0; row < RowCount; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            const QDate date = dateForCell(month, startOfWeek, row, column);
            QVERIFY(date.isValid());
            QCOMPARE(cellForDate(month, startOfWeek, date), (Cell{row, column}));
            QCOMPARE(date.dayOfWeek(), qtDayOfWeek((startOfWeek - 1 + column) % 7 + 1));
        }
    }
    // The whole month fits, its 1st in the top row, and nothing past the grid maps to a cell.
    QCOMPARE(cellForDate(month, startOfWeek, month).row, 0);
    QVERIFY(cellForDate(month, startOfWeek, month.addMonths(1).addDays(-1)).isValid());
    QVERIFY(!cellForDate(month, startOfWeek, gridStart(month, startOfWeek).addDays(-1)).isValid());
    QVERIFY(!cellForDate(month, startOfWeek, gridStart(month, startOfWeek).addDays(CellCount)).isValid());
}

void TestMonthLayout::firstCell_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");

    QTest::newRow("January 1753 starts in 1752") << QDate(1753, 1, 1) << 1 << QDate(1752, 12, 31) << QDate(1753, 2, 10);
    QTest::newRow("December 9999 ends in 10000") << QDate(9999, 12, 1) << 1 << QDate(9999, 11, 28) << QDate(10000, 1, 8);
    QTest::newRow("1st on the first weekday") << QDate(2026, 2, 1) << 1 << QDate(2026, 2, 1) << QDate(2026, 3, 14);
    QTest::newRow("week from Monday") << QDate(2026, 2, 1) << 2 << QDate(2026, 1, 26) << QDate(2026, 3, 8);
    QTest::newRow("week from Saturday") << QDate(2026, 12, 1) << 7 << QDate(2026, 11, 28) << QDate(2027, 1, 8);
    QTest::newRow("any day of the month") << QDate(2026, 12, 31) << 1 << QDate(2026, 11, 29) << QDate(2027, 1, 9);
}

void TestMonthLayout::firstCell()
{
    QFETCH(QDate, month);
    QFETCH(int, startOfWeek);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QCOMPARE(dateForCell(month, startOfWeek, 0, 0), first);
    QCOMPARE(dateForCell(month, startOfWeek, RowCount - 1, ColumnCount - 1), last);
}

void TestMonthLayout::displayedRun_data()
{
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("firstMonth");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("count");

    // Expected values worked out by walking back from each 1st to a Sunday.
    QTest::newRow("1 from January") << 1 << QDate(2026, 1, 1) << QDate(2025, 12, 28) << 42;
    QTest::newRow("1 from December") << 1 << QDate(2026, 12, 1) << QDate(2026, 11, 29) << 42;
    QTest::newRow("1 from minimum") << 1 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 42;
    QTest::newRow("1 from maximum") << 1 << QDate(9999, 12, 1) << QDate(9999, 11, 28) << 42;
    QTest::newRow("3 from January") << 3 << QDate(2026, 1, 1) << QDate(2025, 12, 28) << 105;
    QTest::newRow("3 from December") << 3 << QDate(2026, 12, 1) << QDate(2026, 11, 29) << 105;
    QTest::newRow("3 from minimum") << 3 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 98;
    QTest::newRow("3 to maximum") << 3 << QDate(9999, 10, 1) << QDate(9999, 9, 26) << 105;
    QTest::newRow("6 from January") << 6 << QDate(2026, 1, 1) << QDate(2025, 12, 28) << 196;
    QTest::newRow("6 from December") << 6 << QDate(2026, 12, 1) << QDate(2026, 11, 29) << 189;
    QTest::newRow("6 from minimum") << 6 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 189;
    QTest::newRow("6 to maximum") << 6 << QDate(9999, 7, 1) << QDate(9999, 6, 27) << 196;
    QTest::newRow("12 from January") << 12 << QDate(2026, 1, 1) << QDate(2025, 12, 28) << 378;
    QTest::newRow("12 from December") << 12 << QDate(2026, 12, 1) << QDate(2026, 11, 29) << 378;
    QTest::newRow("12 from minimum") << 12 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 371;
    QTest::newRow("12 to maximum") << 12 << QDate(9999, 1, 1) << QDate(9998, 12, 27) << 378;
}

void TestMonthLayout::displayedRun()
{
    QFETCH(int, months);
    QFETCH(QDate, firstMonth);
    QFETCH(QDate, start);
    QFETCH(int, count);
    const Run run = MonthLayout::displayedRun(firstMonth, months, 1);
    QCOMPARE(run.start, start);
    QCOMPARE(run.count, count);
    QCOMPARE(run.count % 7, 0);
}

void TestMonthLayout::everyDayOfTheRunShownOnce_data()
{
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("firstMonth");
    QTest::newRow("1 month") << 1 << QDate(2026, 12, 1);
    QTest::newRow("3 months over the year end") << 3 << QDate(2026, 11, 1);
    QTest::newRow("12 months, February from Sunday") << 12 << QDate(2026, 1, 1);
    QTest::newRow("12 months to the maximum") << 12 << QDate(9999, 1, 1);
}

// Between months no day appears twice, and the days drawn are exactly the
// run the owner is asked about.
void TestMonthLayout::everyDayOfTheRunShownOnce()
{
    QFETCH(int, months);
    QFETCH(QDate, firstMonth);
    ViewState display;
    display.firstMonth = firstMonth;
    display.months = months;
    display.min = QDate(1753, 1, 1);
    display.max = QDate(9999, 12, 31);

    QSet<qint64> shown;
    for (int m = 0; m < months; ++m) {
        for (int row = 0; row < RowCount; ++row) {
            for (int column = 0; column < ColumnCount; ++column) {
                const DayLook look = dayLook(display, m, row, column);
                if (look.isBlank())
                    continue;
                QVERIFY2(!shown.contains(look.date.toJulianDay()), qPrintable(look.date.toString(Qt::ISODate)));
                shown.insert(look.date.toJulianDay());
                const bool ownMonth = monthOf(look.date) == firstMonth.addMonths(m);
                QCOMPARE(look.trailing, !ownMonth);
            }
        }
    }
    const Run run = MonthLayout::displayedRun(firstMonth, months, 1);
    QCOMPARE(shown.size(), run.count);
    for (int i = 0; i < run.count; ++i)
        QVERIFY(shown.contains(run.start.toJulianDay() + i));
}

// The old control left the first Sunday of the first month and every day of
// the last month unbold in a 3 x 4 layout.
void TestMonthLayout::boldInEveryMonth()
{
    const int months = 12;
    const Run run = MonthLayout::displayedRun(QDate(2026, 1, 1), months, 1);
    QList<bool> bold(run.count, false);
    for (int i = 0; i < run.count; i += 7)
        bold[i] = true;

    ViewState display;
    display.firstMonth = QDate(2026, 1, 1);
    display.months = months;
    display.min = QDate(1753, 1, 1);
    display.max = QDate(9999, 12, 31);
    display.boldStart = run.start;
    display.bold = &bold;

    for (int m = 0; m < months; ++m) {
        int boldDays = 0;
        for (int row = 0; row < RowCount; ++row) {
            for (int column = 0; column < ColumnCount; ++column) {
                const DayLook look = dayLook(display, m, row, column);
                if (look.isBlank())
                    continue;
                QCOMPARE(look.bold, look.date.dayOfWeek() == Qt::Sunday);
                boldDays += look.bold && !look.trailing;
            }
        }
        QVERIFY2(boldDays >= 4, qPrintable(QString::number(m)));
    }
    QVERIFY(dayLook(display, 0, 0, 0).bold);                 // 2025-12-28, first cell of all
    QVERIFY(dayLook(display, months - 1, 5, 0).bold);        // 2027-01-03, in the last grid
}

void TestMonthLayout::limitsAreGreyed()
{
    ViewState display;
    display.firstMonth = QDate(1753, 1, 1);
    display.min = QDate(1753, 1, 1);
    display.max = QDate(9999, 12, 31);
    display.value = QDate(1752, 12, 31); // even if asked for, never selected
    const DayLook before = dayLook(display, 0, 0, 0);
    QCOMPARE(before.date, QDate(1752, 12, 31));
    QVERIFY(!before.enabled);
    QVERIFY(!before.selected);
    QVERIFY(dayLook(display, 0, 0, 1).enabled);

    display.firstMonth = QDate(9999, 12, 1);
    const DayLook after = dayLook(display, 0, RowCount - 1, ColumnCount - 1);
    QCOMPARE(after.date, QDate(10000, 1, 8));
    QVERIFY(!after.enabled);
    QVERIFY(after.trailing);
}

void TestMonthLayout::moveDate_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("monthsShown");
    QTest::addColumn<QDate>("to");

    QTest::newRow("left over the year start") << QDate(2026, 1, 1) << int(Qt::Key_Left) << false << 1 << QDate(2025, 12, 31);
    QTest::newRow("right over a month end") << QDate(2026, 4, 30) << int(Qt::Key_Right) << false << 1 << QDate(2026, 5, 1);
    QTest::newRow("up one week") << QDate(2026, 3, 3) << int(Qt::Key_Up) << false << 1 << QDate(2026, 2, 24);
    QTest::newRow("down over the year end") << QDate(2026, 12, 28) << int(Qt::Key_Down) << false << 1 << QDate(2027, 1, 4);
    QTest::newRow("page up from 31 March, leap year") << QDate(2024, 3, 31) << int(Qt::Key_PageUp) << false << 1 << QDate(2024, 2, 29);
    QTest::newRow("page up from 31 March") << QDate(2026, 3, 31) << int(Qt::Key_PageUp) << false << 12 << QDate(2026, 2, 28);
    QTest::newRow("page down from 31 January") << QDate(2026, 1, 31) << int(Qt::Key_PageDown) << false << 3 << QDate(2026, 2, 28);
    QTest::newRow("home") << QDate(2026, 12, 6) << int(Qt::Key_Home) << false << 1 << QDate(2026, 12, 1);
    QTest::newRow("end of leap February") << QDate(2024, 2, 6) << int(Qt::Key_End) << false << 1 << QDate(2024, 2, 29);
    QTest::newRow("ctrl page down by 12") << QDate(2026, 12, 6) << int(Qt::Key_PageDown) << true << 12 << QDate(2027, 12, 6);
    QTest::newRow("ctrl page up by 3, clamped") << QDate(2026, 5, 31) << int(Qt::Key_PageUp) << true << 3 << QDate(2026, 2, 28);
    QTest::newRow("left at the minimum") << QDate(1753, 1, 1) << int(Qt::Key_Left) << false << 1 << QDate(1753, 1, 1);
    QTest::newRow("up near the minimum") << QDate(1753, 1, 3) << int(Qt::Key_Up) << false << 1 << QDate(1753, 1, 1);
    QTest::newRow("down near the maximum") << QDate(9999, 12, 28) << int(Qt::Key_Down) << false << 1 << QDate(9999, 12, 31);
    QTest::newRow("ctrl page down past the maximum") << QDate(9999, 6, 15) << int(Qt::Key_PageDown) << true << 12 << QDate(9999, 12, 31);
    QTest::newRow("other key") << QDate(2026, 12, 6) << int(Qt::Key_A) << false << 1 << QDate(2026, 12, 6);
}

void TestMonthLayout::moveDate()
{
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(int, monthsShown);
    QFETCH(QDate, to);
    QCOMPARE(MonthLayout::moveDate(from, key, ctrl ? Qt::ControlModifier : Qt::NoModifier, monthsShown,
                                   QDate(1753, 1, 1), QDate(9999, 12, 31)),
             to);
}

void TestMonthLayout::scrollToShow_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("already visible") << QDate(2026, 1, 1) << 12 << QDate(2026, 12, 31) << QDate(2026, 1, 1);
    QTest::newRow("one month later") << QDate(2026, 1, 1) << 3 << QDate(2026, 4, 1) << QDate(2026, 2, 1);
    QTest::newRow("one month earlier") << QDate(2026, 1, 1) << 3 << QDate(2025, 12, 31) << QDate(2025, 12, 1);
    QTest::newRow("far later, last position") << QDate(2026, 1, 1) << 6 << QDate(2040, 8, 8) << QDate(2040, 3, 1);
    QTest::newRow("near the maximum") << QDate(2026, 1, 1) << 12 << QDate(9999, 12, 31) << QDate(9999, 1, 1);
    QTest::newRow("near the minimum") << QDate(2026, 1, 1) << 12 << QDate(1753, 1, 1) << QDate(1753, 1, 1);
}

void TestMonthLayout::scrollToShow()
{
    QFETCH(QDate, first);
    QFETCH(int, months);
    QFETCH(QDate, date);
    QFETCH(QDate, expected);
    QCOMPARE(MonthLayout::scrollToShow(first, months, date, QDate(1753, 1, 1), QDate(9999, 12, 31)), expected);
}

QTEST_MAIN(TestMonthLayout)
#include "tst_monthlayout.moc"
