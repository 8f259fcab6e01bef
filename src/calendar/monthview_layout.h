#pragma once

#include <QDate>
#include <QList>
#include <QRect>
#include <QStringView>
#include <Qt>

class QFontMetrics;

// Which date sits in which cell, what each cell looks like, and where
// everything of the month view is drawn. Plain values and pure functions, so
// they are tested without a window and the widget's paint code only draws.
namespace MonthLayout {

inline constexpr int RowCount = 6;    // week rows of every month
inline constexpr int ColumnCount = 7; // days of a week
inline constexpr int CellCount = RowCount * ColumnCount;

struct Cell
{
    int row = -1;
    int column = -1;
    bool isValid() const { return row >= 0 && column >= 0; }
    friend bool operator==(Cell, Cell) = default;
};

// The first day of the month of `date`.
QDate monthOf(QDate date);

// The first cell of a month's grid: the last day on or before the 1st that
// falls on the first weekday, so the 1st always sits in the top row.
QDate gridStart(QDate month, int startOfWeek);

QDate dateForCell(QDate month, int startOfWeek, int row, int column);
Cell cellForDate(QDate month, int startOfWeek, QDate date); // invalid outside the grid

// The run of days displayed by `months` months from `firstMonth`: from the
// first cell of the first grid to the last cell of the last one. Both ends
// fall on the same weekday column, so the count is a multiple of 7.
struct Run
{
    QDate start;
    int count = 0;
    QDate last() const { return start.addDays(count - 1); }
};
Run displayedRun(QDate firstMonth, int months, int startOfWeek);

// Everything the look of a day depends on, for the months on display.
struct ViewState
{
    QDate firstMonth;
    int months = 1;
    int startOfWeek = 1;
    QDate min, max;
    QDate value;
    QDate today;
    QDate runStart; // element 0 of bold and of holidays: the displayed run
    const QList<bool> *bold = nullptr;
    const QList<QStringView> *holidays = nullptr; // names, empty on working days
};

// The look of one day cell. The priorities are written once, here:
//  - a neighbouring month's day is shown only before the first month and after
//    the last one (no day twice), everywhere else the cell is blank;
//  - out of range: greyed and never selected;
//  - selected over holiday over trailing over normal for the colours, and a
//    trailing holiday mixes the two;
//  - bold and the today marker add to any of these.
struct DayLook
{
    QDate date;            // invalid: a blank cell
    bool trailing = false; // a day of a neighbouring month
    bool enabled = false;  // within the date range, can be selected
    bool selected = false;
    bool today = false;
    bool bold = false;
    QStringView holiday; // the holiday's name, empty on a working day
    bool isBlank() const { return !date.isValid(); }
    bool isHoliday() const { return !holiday.isEmpty(); }
};
DayLook dayLook(const ViewState &display, int monthIndex, int row, int column);

// Key presses as date moves: the date the selection goes to, clamped to the
// range; `from` itself for keys that do not move it.
QDate moveDate(QDate from, int key, Qt::KeyboardModifiers modifiers, int monthsShown, QDate min, QDate max);

// The first month to show so that `date` becomes visible, moving the view as
// little as possible, and never past the limits.
QDate scrollToShow(QDate firstMonth, int months, QDate date, QDate min, QDate max);
QDate clampFirstMonth(QDate firstMonth, int months, QDate min, QDate max);

// Where things are drawn, derived from the widget's size and font: months of
// equal size with a small gap between them, the today line below all of them.
struct Geometry
{
    int columns = 1, rows = 1;
    int gap = 2;
    int monthWidth = 0, monthHeight = 0;
    int titleHeight = 0, rowHeight = 0, cellWidth = 0, marginX = 0;
    int todayHeight = 0;
    int width = 0, height = 0;

    static Geometry compute(QSize size, int columns, int rows, const QFontMetrics &metrics);
    // The smallest size in which the texts of this font still fit.
    static QSize minimumSize(int columns, int rows, const QFontMetrics &metrics);

    QRect monthRect(int monthIndex) const;
    QRect titleRect(int monthIndex) const;
    QRect headerRect(int monthIndex, int column) const;
    QRect dayRect(int monthIndex, int row, int column) const;
    QRect previousArrowRect() const;
    QRect nextArrowRect() const;
    QRect todayRect() const;
    QRect todayMarkerRect() const; // the sample of the today marker, left in the today line
    int todayTextLeft() const;

    // The month, row and column of a day cell under `pos`; monthIndex -1 if none.
    struct Hit
    {
        int monthIndex = -1;
        Cell cell;
    };
    Hit dayAt(QPoint pos) const;
};

} // namespace MonthLayout
