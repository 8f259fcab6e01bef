#include "calendar/monthview_layout.h"

#include <QSet>
#include <QTest>

using namespace MonthLayout;

namespace {
const QDate Min(1753, 1, 1), Max(9999, 12, 31);
}

class TestMonthLayout : public QObject
{
    Q_OBJECT

private slots:
    void cellsAndDates_data();
    void cellsAndDates();
    void displayedRun_data();
    void displayedRun();
    void moveDate_data();
    void moveDate();
    void scrollToShow_data();
    void scrollToShow();
};

void TestMonthLayout::cellsAndDates_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("first"); // of the grid

    QTest::newRow("January 1753 starts in 1752") << QDate(1753, 1, 1) << 1 << QDate(1752, 12, 31);
    QTest::newRow("December 9999 ends in 10000") << QDate(9999, 12, 1) << 1 << QDate(9999, 11, 28);
    QTest::newRow("week from Monday") << QDate(2026, 2, 1) << 2 << QDate(2026, 1, 26);
    QTest::newRow("1st on the last column, six rows") << QDate(2026, 8, 1) << 1 << QDate(2026, 7, 26);
    QTest::newRow("any day of the month, week from Saturday") << QDate(2026, 12, 31) << 7 << QDate(2026, 11, 28);
}

void TestMonthLayout::cellsAndDates()
{
    QFETCH(QDate, month);
    QFETCH(int, startOfWeek);
    QFETCH(QDate, first);

    for (int row = 0; row < RowCount; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            const QDate date = first.addDays(row * ColumnCount + column);
            QCOMPARE(dateForCell(month, startOfWeek, row, column), date);
            QCOMPARE(cellForDate(month, startOfWeek, date), (Cell{row, column}));
        }
    }
    // The whole month fits, its 1st in the top row, and nothing past the grid maps to a cell.
    QCOMPARE(cellForDate(month, startOfWeek, monthOf(month)).row, 0);
    QVERIFY(cellForDate(month, startOfWeek, monthOf(month).addMonths(1).addDays(-1)).isValid());
    QVERIFY(!cellForDate(month, startOfWeek, first.addDays(-1)).isValid());
    QVERIFY(!cellForDate(month, startOfWeek, first.addDays(CellCount)).isValid());
}

void TestMonthLayout::displayedRun_data()
{
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("firstMonth");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("count");

    // Expected values worked out by walking back from each 1st to the first weekday.
    QTest::newRow("1 month, week from Monday") << 1 << 2 << QDate(2026, 12, 1) << QDate(2026, 11, 30) << 42;
    QTest::newRow("3 to the maximum") << 3 << 1 << QDate(9999, 10, 1) << QDate(9999, 9, 26) << 105;
    QTest::newRow("6 from December") << 6 << 1 << QDate(2026, 12, 1) << QDate(2026, 11, 29) << 189;
    QTest::newRow("12 from January") << 12 << 1 << QDate(2026, 1, 1) << QDate(2025, 12, 28) << 378;
    QTest::newRow("12 to the maximum") << 12 << 1 << QDate(9999, 1, 1) << QDate(9998, 12, 27) << 378;
}

// The run the owner is asked about is exactly the days drawn, none twice, and
// its answer lands on the right days in every month. (The old control left the
// first Sunday of the first month and the whole last month unbold in 3 x 4.)
// Days past the limits (1752, 10000) are shown greyed and never selected.
void TestMonthLayout::displayedRun()
{
    QFETCH(int, months);
    QFETCH(int, startOfWeek);
    QFETCH(QDate, firstMonth);
    QFETCH(QDate, start);
    QFETCH(int, count);

    const Run run = MonthLayout::displayedRun(firstMonth, months, startOfWeek);
    QCOMPARE(run.start, start);
    QCOMPARE(run.count, count);

    QList<bool> bold(run.count);
    for (int i = 0; i < run.count; ++i)
        bold[i] = run.start.addDays(i).dayOfWeek() == Qt::Sunday;
    // The first day of the run is selected, unless it is out of range (1752-12-31).
    ViewState display{firstMonth, months, startOfWeek, Min, Max, run.start, {}, run.start, &bold};

    QSet<qint64> shown;
    for (int m = 0; m < months; ++m) {
        int boldDays = 0;
        for (int row = 0; row < RowCount; ++row) {
            for (int column = 0; column < ColumnCount; ++column) {
                const DayLook look = dayLook(display, m, row, column);
                if (look.isBlank())
                    continue;
                QVERIFY2(!shown.contains(look.date.toJulianDay()), qPrintable(look.date.toString(Qt::ISODate)));
                shown.insert(look.date.toJulianDay());
                QCOMPARE(look.trailing, monthOf(look.date) != firstMonth.addMonths(m));
                QCOMPARE(look.bold, look.date.dayOfWeek() == Qt::Sunday);
                QCOMPARE(look.enabled, look.date >= Min && look.date <= Max);
                QCOMPARE(look.selected, look.enabled && look.date == run.start);
                boldDays += look.bold && !look.trailing;
            }
        }
        QVERIFY2(boldDays >= 4, qPrintable(QString::number(m)));
    }
    QCOMPARE(shown.size(), run.count);
    for (int i = 0; i < run.count; ++i)
        QVERIFY(shown.contains(run.start.toJulianDay() + i));
}

void TestMonthLayout::moveDate_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("monthsShown");
    QTest::addColumn<QDate>("to");

    QTest::newRow("down over the year end") << QDate(2026, 12, 28) << int(Qt::Key_Down) << false << 1 << QDate(2027, 1, 4);
    QTest::newRow("page up from 31 March, leap year") << QDate(2024, 3, 31) << int(Qt::Key_PageUp) << false << 1 << QDate(2024, 2, 29);
    QTest::newRow("page down is one month whatever is shown") << QDate(2026, 1, 31) << int(Qt::Key_PageDown) << false << 3 << QDate(2026, 2, 28);
    QTest::newRow("end of leap February") << QDate(2024, 2, 6) << int(Qt::Key_End) << false << 1 << QDate(2024, 2, 29);
    QTest::newRow("ctrl page down by 12") << QDate(2026, 12, 6) << int(Qt::Key_PageDown) << true << 12 << QDate(2027, 12, 6);
    QTest::newRow("ctrl page up by 3, clamped") << QDate(2026, 5, 31) << int(Qt::Key_PageUp) << true << 3 << QDate(2026, 2, 28);
    QTest::newRow("down near the maximum") << QDate(9999, 12, 28) << int(Qt::Key_Down) << false << 1 << QDate(9999, 12, 31);
    QTest::newRow("ctrl page down past the maximum") << QDate(9999, 6, 15) << int(Qt::Key_PageDown) << true << 12 << QDate(9999, 12, 31);
}

void TestMonthLayout::moveDate()
{
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(int, monthsShown);
    QFETCH(QDate, to);
    QCOMPARE(MonthLayout::moveDate(from, key, ctrl ? Qt::ControlModifier : Qt::NoModifier, monthsShown, Min, Max), to);
}

void TestMonthLayout::scrollToShow_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("later: comes last") << QDate(2026, 1, 1) << 6 << QDate(2040, 8, 8) << QDate(2040, 3, 1);
    QTest::newRow("to the maximum") << QDate(2026, 1, 1) << 12 << QDate(9999, 12, 31) << QDate(9999, 1, 1);
    QTest::newRow("visible, but twelve months past the end") << QDate(9999, 6, 1) << 12 << QDate(9999, 7, 1) << QDate(9999, 1, 1);
}

void TestMonthLayout::scrollToShow()
{
    QFETCH(QDate, first);
    QFETCH(int, months);
    QFETCH(QDate, date);
    QFETCH(QDate, expected);
    QCOMPARE(MonthLayout::scrollToShow(first, months, date, Min, Max), expected);
}

QTEST_MAIN(TestMonthLayout)
#include "tst_monthlayout.moc"
