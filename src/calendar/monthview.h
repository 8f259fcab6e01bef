#pragma once

#include <QDate>
#include <QList>
#include <QWidget>

namespace MonthLayout {
struct DayLook;
struct Geometry;
}

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
    int StartOfWeek() const { return m_startOfWeek; }
    void setStartOfWeek(int weekday);

    // Selects the day and brings its month into view.
    QDate value() const;
    void setValue(QDate date);

    QDate firstDisplayedMonth() const; // the first day of the top-left month
    int monthCount() const { return monthColumns() * monthRows(); }

    // What the paint code draws, for tests and accessibility: the look of a
    // day cell of the monthIndex-th month (asking the owner for the bold days
    // and finding the holidays if the displayed range has changed since),
    // where things are, and the texts of titles and the today line.
    MonthLayout::DayLook dayLook(int monthIndex, int row, int column) const;
    const MonthLayout::Geometry &layoutGeometry() const;
    QString monthTitle(int monthIndex) const;
    QString weekdayTitle(int column) const;
    QString todayText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void showPreviousPage(); // by the number of months shown
    void showNextPage();
    void selectToday();

signals:
    void valueChanged(QDate date);

    // Raised whenever the displayed range changes: StartDate is the first cell
    // of the first month's grid, Count the number of displayed days (a
    // multiple of 7), and State has Count elements, all false on entry. The
    // owner sets the elements of the days to draw in bold. The answer is kept
    // until the range changes; with nobody connected the question waits until
    // the days are first needed (paint, dayLook, accessibility), and a new
    // connection is asked afresh.
    void GetDayBold(QDate StartDate, int Count, QList<bool> &State);

protected:
    bool event(QEvent *event) override; // a holiday's name as its tooltip
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void connectNotify(const QMetaMethod &signal) override;

private:
    struct Private;
    Private *d;
    int m_startOfWeek = 1; // here, not in Private, so StartOfWeek() inlines
    Q_DISABLE_COPY(MonthView)
};
