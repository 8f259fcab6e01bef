#pragma once

#include <QDate>
#include <QList>
#include <QWidget>

// A grid of months, painted as one widget: MonthColumns x MonthRows months,
// each with its title, a header of weekday names and six week rows. It holds
// one selected date (the value) and asks its owner which displayed days to
// draw in bold.
class MonthView : public QWidget
{
    Q_OBJECT

public:
    explicit MonthView(QWidget *parent = nullptr);
    ~MonthView() override;

    int monthColumns() const;
    int monthRows() const;
    void setMonthGrid(int columns, int rows);

    QDate minDate() const;
    QDate maxDate() const;
    void setDateRange(QDate min, QDate max);

    // The weekday of the first column: 1 = Sunday ... 7 = Saturday. A plain
    // accessor, cheap enough to read once per marked day.
    int StartOfWeek() const;
    void setStartOfWeek(int weekday);

    // Selects the day and brings its month into view.
    QDate value() const;
    void setValue(QDate date);

    QDate firstDisplayedMonth() const; // the first day of the top-left month

signals:
    void valueChanged(QDate date);

    // Raised whenever the displayed range changes: StartDate is the first cell
    // of the first month's grid, Count the number of displayed days (a
    // multiple of 7), and State has Count elements, all false on entry. The
    // owner sets the elements of the days to draw in bold.
    void GetDayBold(QDate StartDate, int Count, QList<bool> &State);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Private;
    Private *d;
};
