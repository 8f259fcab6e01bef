#include "calendar/monthview.h"

// Placeholder until the painted month view lands.
struct MonthView::Private
{
    int columns = 1, rows = 1, startOfWeek = 1;
    QDate min{1753, 1, 1}, max{9999, 12, 31}, value, first;
};

MonthView::MonthView(QWidget *parent) : QWidget(parent), d(new Private) {}
MonthView::~MonthView() { delete d; }
int MonthView::monthColumns() const { return d->columns; }
int MonthView::monthRows() const { return d->rows; }
void MonthView::setMonthGrid(int columns, int rows) { d->columns = columns; d->rows = rows; }
QDate MonthView::minDate() const { return d->min; }
QDate MonthView::maxDate() const { return d->max; }
void MonthView::setDateRange(QDate min, QDate max) { d->min = min; d->max = max; }
int MonthView::StartOfWeek() const { return d->startOfWeek; }
void MonthView::setStartOfWeek(int weekday) { d->startOfWeek = weekday; }
QDate MonthView::value() const { return d->value; }
void MonthView::setValue(QDate date) { d->value = date; d->first = QDate(date.year(), date.month(), 1); }
QDate MonthView::firstDisplayedMonth() const { return d->first; }
void MonthView::paintEvent(QPaintEvent *) {}
