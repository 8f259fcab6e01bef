// How long a full paint of the twelve-month view takes, against the toolkit's
// own calendar: twelve QCalendarWidgets in the same 3 x 4 grid, at their
// smallest size, with the same bold Sundays and red holidays. Prints
// milliseconds per full render of each, per page turn of the month view (a
// new run of days: the owner's bold and the holidays found anew, then a
// render) and, last, "paint ratio: R" (month view / QCalendarWidget).
#include "calendar/holidays.h"
#include "calendar/monthview.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QTextCharFormat>
#include <cstdio>

namespace {

template<typename Render>
double msPerRender(int runs, Render render)
{
    for (int i = 0; i < 5; ++i) // caches, glyphs and the first layout out of the way
        render();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        render();
    return double(timer.nsecsElapsed()) / 1e6 / runs;
}

} // namespace

int main(int argc, char **argv)
{
    Platform::registerFontSubstitutes();
    QApplication app(argc, argv);
    const QFont font(Captions::MsPGothic, 9);
    const QDate today(2026, 12, 6);
    Clock::setToday(today);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    MonthView view;
    view.setFont(font);
    QObject::connect(&view, &MonthView::GetDayBold, &view, [&view](QDate, int count, QList<bool> &state) {
        for (int i = 1; i < count; i += 7)
            state[i - view.StartOfWeek()] = true;
    });
    view.setMonthGrid(3, 4);
    view.resize(Twips::sizeToPixels(7215, 8250));
    view.setValue(today);
    QImage viewImage(view.size(), QImage::Format_ARGB32_Premultiplied);
    const double monthView = msPerRender(runs, [&] { view.render(&viewImage); });
    bool forward = true;
    const double pageTurn = msPerRender(runs, [&] {
        forward ? view.showNextPage() : view.showPreviousPage();
        forward = !forward;
        view.render(&viewImage);
    });

    QWidget grid;
    grid.setFont(font);
    QTextCharFormat bold, holiday, boldHoliday;
    bold.setFontWeight(QFont::Bold);
    holiday.setForeground(QColor(0xb0, 0x00, 0x00));
    boldHoliday = holiday;
    boldHoliday.setFontWeight(QFont::Bold);
    QList<QCalendarWidget *> calendars;
    QSize cell;
    for (int i = 0; i < 12; ++i) {
        auto *calendar = new QCalendarWidget(&grid);
        calendar->setFirstDayOfWeek(Qt::Sunday);
        const QDate month = QDate(today.year(), today.month(), 1).addMonths(i);
        calendar->setCurrentPage(month.year(), month.month());
        for (QDate d = month.addDays(-7); d < month.addMonths(1).addDays(14); d = d.addDays(1)) {
            const bool sunday = d.dayOfWeek() == Qt::Sunday;
            if (Holidays::nameOf(d))
                calendar->setDateTextFormat(d, sunday ? boldHoliday : holiday);
            else if (sunday)
                calendar->setDateTextFormat(d, bold);
        }
        cell = cell.expandedTo(calendar->minimumSizeHint());
        calendars.append(calendar);
    }
    for (int i = 0; i < 12; ++i)
        calendars[i]->setGeometry(i % 3 * cell.width(), i / 3 * cell.height(), cell.width(), cell.height());
    grid.resize(cell.width() * 3, cell.height() * 4);
    QImage gridImage(grid.size(), QImage::Format_ARGB32_Premultiplied);
    const double calendarGrid = msPerRender(std::max(1, runs / 4), [&] { grid.render(&gridImage); });

    std::printf("MonthView 3x4 (%dx%d px): %.3f ms per render\n", view.width(), view.height(), monthView);
    std::printf("MonthView 3x4 page turn and render: %.3f ms\n", pageTurn);
    std::printf("QCalendarWidget 3x4 (%dx%d px): %.3f ms per render\n", grid.width(), grid.height(), calendarGrid);
    std::printf("paint ratio: %.3f\n", monthView / calendarGrid);
    return 0;
}
