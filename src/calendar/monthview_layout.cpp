#include "calendar/monthview_layout.h"

#include "shell/weekday.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace MonthLayout {

QDate monthOf(QDate date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate gridStart(QDate month, int startOfWeek)
{
    const QDate first = monthOf(month);
    const int offset = Weekday::daysUntil(startOfWeek, Weekday::of(first));
    return first.addDays(-offset);
}

QDate dateForCell(QDate month, int startOfWeek, int row, int column)
{
    return gridStart(month, startOfWeek).addDays(row * ColumnCount + column);
}

Cell cellForDate(QDate month, int startOfWeek, QDate date)
{
    const qint64 index = gridStart(month, startOfWeek).daysTo(date);
    if (!date.isValid() || index < 0 || index >= CellCount)
        return {};
    return {int(index / ColumnCount), int(index % ColumnCount)};
}

Run displayedRun(QDate firstMonth, int months, int startOfWeek)
{
    const QDate start = gridStart(firstMonth, startOfWeek);
    const QDate lastGrid = gridStart(monthOf(firstMonth).addMonths(months - 1), startOfWeek);
    return {start, int(start.daysTo(lastGrid)) + CellCount};
}

DayLook dayLook(const ViewState &display, int monthIndex, int row, int column)
{
    const QDate month = monthOf(display.firstMonth).addMonths(monthIndex);
    const QDate date = dateForCell(month, display.startOfWeek, row, column);
    const bool own = date.year() == month.year() && date.month() == month.month();
    if (!own) {
        const bool before = date < month;
        if (before ? monthIndex != 0 : monthIndex != display.months - 1)
            return {};
    }
    DayLook look;
    look.date = date;
    look.trailing = !own;
    look.enabled = date >= display.min && date <= display.max;
    look.selected = look.enabled && date == display.value;
    look.today = date == display.today;
    const qint64 index = display.runStart.isValid() ? display.runStart.daysTo(date) : -1;
    if (display.bold && index >= 0 && index < display.bold->size())
        look.bold = display.bold->at(index);
    if (display.holidays && index >= 0 && index < display.holidays->size())
        look.holiday = display.holidays->at(index);
    return look;
}

QDate moveDate(QDate from, int key, Qt::KeyboardModifiers modifiers, int monthsShown, QDate min, QDate max)
{
    QDate to = from;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Left: to = from.addDays(-1); break;
    case Qt::Key_Right: to = from.addDays(1); break;
    case Qt::Key_Up: to = from.addDays(-7); break;
    case Qt::Key_Down: to = from.addDays(7); break;
    // addMonths keeps the day where the target month has it and otherwise
    // takes the month's last day: 31 March goes to 28 or 29 February.
    case Qt::Key_PageUp: to = from.addMonths(ctrl ? -monthsShown : -1); break;
    case Qt::Key_PageDown: to = from.addMonths(ctrl ? monthsShown : 1); break;
    case Qt::Key_Home: to = monthOf(from); break;
    case Qt::Key_End: to = monthOf(from).addMonths(1).addDays(-1); break;
    default: return from;
    }
    return std::clamp(to, min, max);
}

QDate clampFirstMonth(QDate firstMonth, int months, QDate min, QDate max)
{
    const QDate low = monthOf(min);
    QDate high = monthOf(max).addMonths(-(months - 1));
    if (high < low)
        high = low;
    return std::clamp(monthOf(firstMonth), low, high);
}

QDate scrollToShow(QDate firstMonth, int months, QDate date, QDate min, QDate max)
{
    const QDate month = monthOf(date);
    QDate first = monthOf(firstMonth);
    if (month < first)
        first = month;
    else if (month > first.addMonths(months - 1))
        first = month.addMonths(-(months - 1));
    return clampFirstMonth(first, months, min, max);
}

namespace {

// Vertical room around a line of text: a day row, the header and the today
// line get 3 px, a title 7 px, which at 9 pt leaves 159 x 132 px a month.
int minRowHeight(const QFontMetrics &m)
{
    return m.height() + 3;
}
int minTitleHeight(const QFontMetrics &m)
{
    return m.height() + 5;
}

} // namespace

Geometry Geometry::compute(QSize size, int columns, int rows, const QFontMetrics &metrics)
{
    Geometry g;
    g.columns = std::max(1, columns);
    g.rows = std::max(1, rows);
    g.width = size.width();
    g.height = size.height();
    g.todayHeight = minRowHeight(metrics);
    g.monthWidth = std::max(ColumnCount, (g.width - (g.columns - 1) * g.gap) / g.columns);
    g.monthHeight = std::max(RowCount + 2, (g.height - g.todayHeight - (g.rows - 1) * g.gap) / g.rows);
    // Header and week rows share what the title leaves; the rounding rest
    // goes to the title, which has the most room to spare.
    g.rowHeight = std::max(1, (g.monthHeight - minTitleHeight(metrics)) / (RowCount + 1));
    g.titleHeight = g.monthHeight - g.rowHeight * (RowCount + 1);
    g.cellWidth = g.monthWidth / ColumnCount;
    g.marginX = (g.monthWidth - g.cellWidth * ColumnCount) / 2;
    return g;
}

QSize Geometry::minimumSize(int columns, int rows, const QFontMetrics &metrics)
{
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    const int cell = metrics.horizontalAdvance(QStringLiteral("88")) + 4;
    const int title = metrics.horizontalAdvance(QStringLiteral("0000000000")) + 2 * minTitleHeight(metrics);
    const int monthWidth = std::max(cell * ColumnCount, title) + 4;
    const int monthHeight = minTitleHeight(metrics) + minRowHeight(metrics) * (RowCount + 1);
    const int gap = Geometry().gap;
    return {columns * monthWidth + (columns - 1) * gap, rows * monthHeight + (rows - 1) * gap + minRowHeight(metrics)};
}

QRect Geometry::monthRect(int monthIndex) const
{
    const int column = monthIndex % columns;
    const int row = monthIndex / columns;
    return {column * (monthWidth + gap), row * (monthHeight + gap), monthWidth, monthHeight};
}

QRect Geometry::titleRect(int monthIndex) const
{
    const QRect month = monthRect(monthIndex);
    return {month.left(), month.top(), month.width(), titleHeight};
}

QRect Geometry::headerRect(int monthIndex, int column) const
{
    const QRect month = monthRect(monthIndex);
    return {month.left() + marginX + column * cellWidth, month.top() + titleHeight, cellWidth, rowHeight};
}

QRect Geometry::dayRect(int monthIndex, int row, int column) const
{
    return headerRect(monthIndex, column).translated(0, (row + 1) * rowHeight);
}

QRect Geometry::previousArrowRect() const
{
    const QRect title = titleRect(0);
    const int side = std::max(1, titleHeight - 4);
    return {title.left() + 2, title.top() + 2, side, side};
}

QRect Geometry::nextArrowRect() const
{
    const QRect title = titleRect(columns - 1);
    const int side = std::max(1, titleHeight - 4);
    return {title.right() - 1 - side, title.top() + 2, side, side};
}

QRect Geometry::todayRect() const
{
    const int top = rows * monthHeight + (rows - 1) * gap;
    return {0, top, width, std::max(todayHeight, height - top)};
}

QRect Geometry::todayMarkerRect() const
{
    const QRect line = todayRect();
    const int side = std::max(4, todayHeight - 6);
    return {line.left() + 4, line.top() + (todayHeight - side) / 2, side, side};
}

int Geometry::todayTextLeft() const
{
    return todayMarkerRect().right() + 5;
}

Geometry::Hit Geometry::dayAt(QPoint pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || monthWidth <= 0 || monthHeight <= 0)
        return {};
    const int column = pos.x() / (monthWidth + gap);
    const int row = pos.y() / (monthHeight + gap);
    if (column >= columns || row >= rows)
        return {};
    const int monthIndex = row * columns + column;
    const QRect month = monthRect(monthIndex);
    const int x = pos.x() - month.left() - marginX;
    const int y = pos.y() - month.top() - titleHeight - rowHeight;
    if (x < 0 || y < 0 || x >= cellWidth * ColumnCount || y >= rowHeight * RowCount)
        return {};
    return {monthIndex, {y / rowHeight, x / cellWidth}};
}

} // namespace MonthLayout
