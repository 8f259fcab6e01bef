#include "calendar/monthview.h"

#include "calendar/holidays.h"
#include "calendar/monthview_accessible.h"
#include "calendar/monthview_layout.h"
#include "shell/clock.h"
#include "shell/datetext.h"
#include "shell/legible.h"
#include "shell/platform.h"
#include "shell/weekday.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QToolTip>
#include <algorithm>
#include <array>

using namespace MonthLayout;

namespace {

const QString TodayPrefix = QStringLiteral(u"今日: ");

// The today marker, in the today line and around today's cell: a colour of
// its own, so it stays visible on the selection.
const QColor TodayMarker(0xc0, 0x00, 0x00);

// Holidays in red, as Japanese calendars print them, a lighter red where the
// month's ground is dark: 7.4:1 on white, 6.9:1 on near-black. That is more
// than Legible's aim, since the one-pixel stem of a "1" shows only about
// three quarters of its colour's contrast on the pixels.
const QColor HolidayRed(0xb0, 0x00, 0x00);
const QColor HolidayRedOnDark(0xff, 0x80, 0x80);
constexpr double HolidayContrast = 7;

QColor mixed(const QColor &a, const QColor &b, float share) // share of b
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * share, a.greenF() + (b.greenF() - a.greenF()) * share,
                            a.blueF() + (b.blueF() - a.blueF()) * share);
}

// A neighbouring month's holiday: the red taken towards the neighbouring
// days' colour (as it lands on the ground), as far as it still reads well.
QColor trailingHoliday(const QColor &ground, const QColor &holiday, const QColor &trailing)
{
    const QColor landed = mixed(ground, trailing, trailing.alphaF());
    for (const float share : {0.5F, 0.25F}) {
        const QColor candidate = mixed(holiday, landed, share);
        if (Legible::contrast(candidate, ground) >= HolidayContrast)
            return candidate;
    }
    return holiday;
}

QStaticText preparedText(const QString &text, const QFont &font)
{
    QStaticText s(text);
    s.setTextFormat(Qt::PlainText);
    s.setPerformanceHint(QStaticText::AggressiveCaching);
    s.prepare(QTransform(), font);
    return s;
}

// The colours of one paint. The control's own text and ground are the
// system's button colours, the month areas, titles and trailing days have
// colours of their own; a palette may make any two of them clash (light
// button text on a light month area, white on a pale highlight), so each
// text is checked against the ground it lands on.
struct Colours
{
    explicit Colours(const QPalette &pal, QPalette::ColorRole foreground)
        : control(pal.color(QPalette::Button))
        , month(pal.color(QPalette::Base))
        , titleText(pal.color(QPalette::HighlightedText))
        , title(Legible::on(titleText, pal.color(QPalette::Highlight)))
        , text(Legible::on(month, pal.color(foreground), pal.color(QPalette::Text)))
        , todayText(Legible::on(control, pal.color(foreground)))
        , trailing(Legible::on(month, pal.color(QPalette::PlaceholderText)))
        , header(Legible::on(month, pal.color(QPalette::Highlight)))
        , greyed(Legible::on(control, pal.color(QPalette::Disabled, QPalette::Text)))
        , holiday(Legible::on(month, HolidayRed, HolidayRedOnDark))
        , trailingHoliday(::trailingHoliday(month, holiday, trailing))
        , selectedHoliday(Legible::on(titleText, HolidayRed))
    {}

    QColor control, month, titleText, title, text, todayText, trailing, header, greyed, holiday, trailingHoliday,
        selectedHoliday;
};

void drawCentered(QPainter &p, const QRect &rect, const QStaticText &text)
{
    const QSizeF size = text.size();
    p.drawStaticText(
        QPointF(rect.left() + (rect.width() - size.width()) / 2.0, rect.top() + (rect.height() - size.height()) / 2.0),
        text);
}

// What one day cell shows, built in layers from the plainest look up, so
// that each later layer wins: the month's text on the month's ground, a
// neighbouring month's day in its own colour, a holiday in red (faded
// towards the neighbouring month's colour on such a day), the selection's
// colours (a holiday's selection red, so that it still shows), and for a
// day out of range the control's greyed look. Bold and the today and focus
// frames add to whichever colours won.
struct CellPaint
{
    QColor ground; // invalid: the month's ground, already painted
    QColor text;
    bool bold = false;
    bool todayFrame = false;
    bool focusFrame = false;
    QColor todayGap; // between the today frame and a selection inside it
};

CellPaint cellPaint(const DayLook &look, const Colours &c, bool focused)
{
    CellPaint paint;
    paint.text = c.text;
    if (look.trailing)
        paint.text = c.trailing;
    if (look.isHoliday())
        paint.text = look.trailing ? c.trailingHoliday : c.holiday;
    if (look.selected) {
        paint.ground = look.isHoliday() ? c.selectedHoliday : c.title;
        paint.text = c.titleText;
        // The today frame would not show on a selection of about its own
        // darkness, let alone on a holiday's: a line of the month's ground
        // sets it off.
        if (look.today)
            paint.todayGap = c.month;
    }
    if (!look.enabled) {
        paint.ground = c.control;
        paint.text = c.greyed;
    }
    paint.bold = look.bold;
    paint.todayFrame = look.today;
    paint.focusFrame = look.selected && focused;
    return paint;
}

} // namespace

struct MonthView::Private
{
    explicit Private(MonthView *view)
        : q(view)
    {}

    MonthView *q;
    int columns = 1, rows = 1;
    QDate min{1753, 1, 1}, max{9999, 12, 31};
    QDate value;
    QDate first;

    // The owner's answer for the displayed run, kept until the run changes.
    bool boldValid = false;
    Run boldRun;
    QList<bool> bold;
    // The holidays of the same run, found when first needed.
    bool holidaysValid = false;
    QList<QStringView> holidays;

    // Texts, made once per displayed range (titles), per first weekday
    // (headers) and per font (numbers), never in paintEvent's inner loop.
    bool titlesValid = false;
    QList<QString> titleStrings;
    QList<QStaticText> titles;
    bool headersValid = false;
    std::array<QStaticText, ColumnCount> headers;
    bool numbersValid = false;
    std::array<QStaticText, 31> numbers, boldNumbers;
    QFont boldFont;
    QDate todayTextDate;
    QString todayString;
    QStaticText todayStatic;

    Geometry cachedGeometry;
    bool geometryValid = false;

    // Hidden widgets get their resize event only when shown, and the tests and
    // the accessibility ask about a view that was never shown: check the size.
    const Geometry &geometry()
    {
        if (!geometryValid || cachedGeometry.width != q->width() || cachedGeometry.height != q->height())
            relayout();
        return cachedGeometry;
    }

    int months() const { return columns * rows; }
    QDate lastMonth() const { return first.addMonths(months() - 1); }
    bool isVisible(QDate date) const { return monthOf(date) >= first && monthOf(date) <= lastMonth(); }

    ViewState display(QDate today) const
    {
        ViewState d;
        d.firstMonth = first;
        d.months = months();
        d.startOfWeek = q->m_startOfWeek;
        d.min = min;
        d.max = max;
        d.value = value;
        d.today = today;
        d.runStart = boldRun.start;
        d.bold = &bold;
        d.holidays = &holidays;
        return d;
    }

    void relayout()
    {
        cachedGeometry = Geometry::compute(q->size(), columns, rows, q->fontMetrics());
        geometryValid = true;
        headersValid = false; // the width of a column decides short or narrow names
    }

    void requestBold()
    {
        boldRun = displayedRun(first, months(), q->m_startOfWeek);
        bold = QList<bool>(boldRun.count, false);
        emit q->GetDayBold(boldRun.start, boldRun.count, bold);
        bold.resize(boldRun.count); // an owner may have resized it
        boldValid = true;
    }

    // The marks of every displayed day: the owner's bold and the holidays.
    void ensureDays()
    {
        if (!boldValid)
            requestBold();
        if (holidaysValid)
            return;
        holidays = QList<QStringView>(boldRun.count);
        for (int i = 0; i < boldRun.count; ++i)
            holidays[i] = Holidays::nameOf(boldRun.start.addDays(i)).value_or(QStringView());
        holidaysValid = true;
    }

    // The owner is asked at once while someone listens; before anyone does
    // (the owner connects after creating the view), the question waits until
    // the days are first needed.
    void rangeChanged()
    {
        boldValid = holidaysValid = false;
        titlesValid = false;
        if (q->isSignalConnected(QMetaMethod::fromSignal(&MonthView::GetDayBold)))
            requestBold();
        MonthViewAccessibility::displayChanged(q);
        q->update();
    }

    void setFirst(QDate month)
    {
        month = clampFirstMonth(month, months(), min, max);
        if (month == first)
            return;
        first = month;
        rangeChanged();
    }

    // The one way the value changes: clamp, scroll as asked, signal.
    enum class Scroll { Minimal, ToFirst };
    void select(QDate date, Scroll scroll)
    {
        if (!date.isValid())
            return;
        date = std::clamp(date, min, max);
        if (!isVisible(date))
            setFirst(scroll == Scroll::ToFirst ? monthOf(date) : scrollToShow(first, months(), date, min, max));
        if (date == value)
            return;
        value = date;
        q->update();
        MonthViewAccessibility::selectionChanged(q);
        emit q->valueChanged(value);
    }

    void ensureTitles()
    {
        if (titlesValid)
            return;
        titleStrings.clear();
        titles.clear();
        for (int i = 0; i < months(); ++i) {
            const QDate month = first.addMonths(i);
            // A grid running past the maximum date has no title to ask ICU for.
            titleStrings.append(month.year() <= 9999 && month <= monthOf(max)
                                    ? DateTexts::user().monthTitle(month.year(), month.month())
                                    : QString());
            titles.append(preparedText(titleStrings.last(), q->font()));
        }
        titlesValid = true;
    }

    // Short weekday names, or narrow ones when a short name would not fit
    // its column (Arabic, German and others write three letters or more).
    DateTexts::HeaderWidth headerWidth() const
    {
        const int room = cachedGeometry.cellWidth - 2;
        const QFontMetrics metrics = q->fontMetrics();
        for (int column = 0; column < ColumnCount; ++column) {
            if (metrics.horizontalAdvance(headerText(column, DateTexts::HeaderWidth::Short)) > room)
                return DateTexts::HeaderWidth::Narrow;
        }
        return DateTexts::HeaderWidth::Short;
    }

    QString headerText(int column, DateTexts::HeaderWidth width) const
    {
        return DateTexts::user().weekdayHeader(Weekday::toQt(Weekday::after(q->m_startOfWeek, column)), width);
    }

    QString headerText(int column)
    {
        geometry();
        return headerText(column, headerWidth());
    }

    void ensureHeaders()
    {
        if (headersValid)
            return;
        geometry();
        const DateTexts::HeaderWidth width = headerWidth();
        for (int column = 0; column < ColumnCount; ++column)
            headers[column] = preparedText(headerText(column, width), q->font());
        headersValid = true;
    }

    void ensureNumbers()
    {
        if (numbersValid)
            return;
        boldFont = q->font();
        boldFont.setBold(true);
        for (int day = 1; day <= 31; ++day) {
            numbers[day - 1] = preparedText(QString::number(day), q->font());
            boldNumbers[day - 1] = preparedText(QString::number(day), boldFont);
        }
        numbersValid = true;
    }

    void ensureTodayText(QDate today)
    {
        if (today == todayTextDate && !todayString.isEmpty())
            return;
        todayTextDate = today;
        todayString = TodayPrefix + DateTexts::user().shortDate(today);
        todayStatic = preparedText(todayString, q->font());
    }

    void fontChanged()
    {
        titlesValid = headersValid = numbersValid = false;
        todayString.clear();
        relayout();
        q->updateGeometry();
        q->update();
    }

    bool canPageBack() const { return first > monthOf(min); }
    bool canPageForward() const { return lastMonth() < monthOf(max); }

    void drawArrow(QPainter &p, const QRect &rect, bool previous, bool enabled) const
    {
        const QPalette &pal = q->palette();
        const QColor colour =
            enabled ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Disabled, QPalette::HighlightedText);
        const int h = rect.height() / 2 - 1;
        const int cx = rect.center().x(), cy = rect.center().y();
        const int dx = previous ? -h / 2 : h / 2;
        const QPoint triangle[3] = {{cx + dx, cy}, {cx - dx, cy - h}, {cx - dx, cy + h}};
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(triangle, 3);
    }

    // A month's ground, title with its arrows, weekday header and the rule below it.
    void paintMonthFrame(QPainter &p, int m, const Colours &c) const
    {
        const Geometry &g = cachedGeometry;
        p.fillRect(g.monthRect(m), c.month);
        const QRect title = g.titleRect(m);
        p.fillRect(title, c.title);
        p.setPen(c.titleText);
        drawCentered(p, title, titles[m]);
        if (m == 0)
            drawArrow(p, g.previousArrowRect(), true, canPageBack());
        if (m == columns - 1)
            drawArrow(p, g.nextArrowRect(), false, canPageForward());

        p.setPen(c.header);
        for (int column = 0; column < ColumnCount; ++column)
            drawCentered(p, g.headerRect(m, column), headers[column]);
        const QRect lastHeader = g.headerRect(m, ColumnCount - 1);
        const int lineY = lastHeader.bottom();
        p.setPen(q->palette().color(QPalette::Mid));
        p.drawLine(g.headerRect(m, 0).left() + 1, lineY, lastHeader.right() - 1, lineY);
    }

    // Draws what cellPaint decided, nothing more. A static text is laid out
    // for the painter's font, so the font must match the one it was prepared
    // with; it is switched only when the weight changes (painterBold).
    void paintDay(QPainter &p, const QRect &cell, int day, const CellPaint &look, bool &painterBold) const
    {
        if (look.ground.isValid())
            p.fillRect(cell, look.ground);
        p.setBrush(Qt::NoBrush);
        if (look.todayFrame) {
            p.setPen(TodayMarker);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
        const int inset = look.todayGap.isValid() ? 2 : 1;
        if (look.todayGap.isValid()) {
            p.setPen(look.todayGap);
            p.drawRect(cell.adjusted(1, 1, -2, -2));
        }
        if (look.focusFrame) {
            p.setPen(QPen(look.text, 1, Qt::DotLine));
            p.drawRect(cell.adjusted(inset, inset, -inset - 1, -inset - 1));
        }
        p.setPen(look.text);
        if (look.bold != painterBold) {
            painterBold = look.bold;
            p.setFont(painterBold ? boldFont : q->font());
        }
        drawCentered(p, cell, look.bold ? boldNumbers[day - 1] : numbers[day - 1]);
    }
};

MonthView::MonthView(QWidget *parent)
    : QWidget(parent)
    , d(new Private(this))
{
    MonthViewAccessibility::install();
    setBackgroundRole(QPalette::Button);
    setForegroundRole(QPalette::ButtonText);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted
    setFocusPolicy(Qt::StrongFocus);
    d->value = std::clamp(Clock::today(), d->min, d->max);
    d->first = clampFirstMonth(d->value, 1, d->min, d->max);
    d->relayout();
    // The today marker and the today line follow the clock; the selection
    // and the months on display stay as the user left them.
    connect(new Platform::DayWatch(this), &Platform::DayWatch::dayMayHaveChanged, this, [this] {
        if (Clock::today() == d->todayTextDate)
            return;
        update();
        MonthViewAccessibility::displayChanged(this);
    });
}

MonthView::~MonthView()
{
    delete d;
}

int MonthView::monthColumns() const
{
    return d->columns;
}
int MonthView::monthRows() const
{
    return d->rows;
}

void MonthView::setMonthGrid(int columns, int rows)
{
    columns = std::clamp(columns, 1, 12);
    rows = std::clamp(rows, 1, 12);
    if (columns == d->columns && rows == d->rows)
        return;
    d->columns = columns;
    d->rows = rows;
    d->relayout();
    updateGeometry();
    // Keep the selection in view; the first month stays where it can.
    d->first = scrollToShow(d->first, d->months(), d->value, d->min, d->max);
    d->rangeChanged();
}

QDate MonthView::minDate() const
{
    return d->min;
}
QDate MonthView::maxDate() const
{
    return d->max;
}

void MonthView::setDateRange(QDate min, QDate max)
{
    if (!min.isValid() || !max.isValid() || min > max || (min == d->min && max == d->max))
        return;
    d->min = min;
    d->max = max;
    d->titlesValid = false; // a month past the new maximum loses its title
    d->setFirst(scrollToShow(d->first, d->months(), std::clamp(d->value, min, max), min, max));
    d->select(d->value, Private::Scroll::Minimal);
    MonthViewAccessibility::displayChanged(this);
    update();
}

void MonthView::setStartOfWeek(int weekday)
{
    if (weekday < 1 || weekday > 7 || weekday == m_startOfWeek)
        return;
    m_startOfWeek = weekday;
    d->headersValid = false;
    d->rangeChanged();
}

QDate MonthView::value() const
{
    return d->value;
}

void MonthView::setValue(QDate date)
{
    d->select(date, Private::Scroll::ToFirst);
}

QDate MonthView::firstDisplayedMonth() const
{
    return d->first;
}

DayLook MonthView::dayLook(int monthIndex, int row, int column) const
{
    d->ensureDays();
    return MonthLayout::dayLook(d->display(Clock::today()), monthIndex, row, column);
}

const Geometry &MonthView::layoutGeometry() const
{
    return d->geometry();
}

QString MonthView::monthTitle(int monthIndex) const
{
    d->ensureTitles();
    return d->titleStrings.value(monthIndex);
}

QString MonthView::weekdayTitle(int column) const
{
    return d->headerText(column);
}

QString MonthView::todayText() const
{
    d->ensureTodayText(Clock::today());
    return d->todayString;
}

QSize MonthView::sizeHint() const
{
    return minimumSizeHint();
}

QSize MonthView::minimumSizeHint() const
{
    return Geometry::minimumSize(d->columns, d->rows, fontMetrics());
}

void MonthView::showPreviousPage()
{
    d->setFirst(d->first.addMonths(-d->months()));
}

void MonthView::showNextPage()
{
    d->setFirst(d->first.addMonths(d->months()));
}

void MonthView::selectToday()
{
    d->select(Clock::today(), Private::Scroll::Minimal);
}

void MonthView::paintEvent(QPaintEvent *)
{
    const QDate today = Clock::today();
    d->ensureDays();
    d->ensureTitles();
    d->ensureHeaders();
    d->ensureNumbers();
    d->ensureTodayText(today);

    const Geometry &g = d->geometry();
    const Colours c(palette(), foregroundRole());
    const ViewState display = d->display(today);

    QPainter p(this);
    p.fillRect(rect(), c.control);
    for (int m = 0; m < d->months(); ++m) {
        d->paintMonthFrame(p, m, c);
        bool painterBold = false;
        for (int cell = 0; cell < CellCount; ++cell) {
            const int row = cell / ColumnCount, column = cell % ColumnCount;
            const DayLook look = MonthLayout::dayLook(display, m, row, column);
            if (!look.isBlank())
                d->paintDay(p, g.dayRect(m, row, column), look.date.day(), cellPaint(look, c, hasFocus()), painterBold);
        }
        if (painterBold)
            p.setFont(font());
    }

    const QRect todayLine = g.todayRect();
    p.setPen(TodayMarker);
    p.setBrush(Qt::NoBrush);
    p.drawRect(g.todayMarkerRect().adjusted(0, 0, -1, -1));
    p.setPen(c.todayText);
    p.drawStaticText(
        QPointF(g.todayTextLeft(), todayLine.top() + (g.todayHeight - d->todayStatic.size().height()) / 2.0),
        d->todayStatic);
}

bool MonthView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const Geometry::Hit hit = d->geometry().dayAt(help->pos());
    const DayLook look = hit.monthIndex < 0 ? DayLook() : dayLook(hit.monthIndex, hit.cell.row, hit.cell.column);
    if (look.isHoliday()) {
        QToolTip::showText(help->globalPos(), look.holiday.toString(), this,
                           d->geometry().dayRect(hit.monthIndex, hit.cell.row, hit.cell.column));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void MonthView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const Geometry &g = d->geometry();
    if (g.previousArrowRect().contains(pos))
        return showPreviousPage();
    if (g.nextArrowRect().contains(pos))
        return showNextPage();
    if (g.todayRect().contains(pos))
        return selectToday();
    const Geometry::Hit hit = g.dayAt(pos);
    if (hit.monthIndex < 0)
        return;
    const DayLook look = dayLook(hit.monthIndex, hit.cell.row, hit.cell.column);
    if (look.isBlank() || !look.enabled)
        return;
    // A neighbouring month's day pages the whole grid towards it.
    if (look.trailing)
        d->setFirst(d->first.addMonths(look.date < d->first ? -d->months() : d->months()));
    d->select(look.date, Private::Scroll::Minimal);
}

void MonthView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Ctrl+PageUp/PageDown turn whole pages, like the arrows, and take
        // the selection along.
        if ((event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)
            && (event->modifiers() & Qt::ControlModifier))
            d->setFirst(d->first.addMonths(event->key() == Qt::Key_PageUp ? -d->months() : d->months()));
        d->select(moveDate(d->value, event->key(), event->modifiers(), d->months(), d->min, d->max),
                  Private::Scroll::Minimal);
        event->accept();
        return;
    default: QWidget::keyPressEvent(event);
    }
}

void MonthView::resizeEvent(QResizeEvent *)
{
    d->relayout();
}

void MonthView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        d->fontChanged();
    QWidget::changeEvent(event);
}

void MonthView::connectNotify(const QMetaMethod &signal)
{
    // An answer given while nobody listened is no answer: ask the new owner.
    if (signal == QMetaMethod::fromSignal(&MonthView::GetDayBold))
        d->boldValid = false;
    QWidget::connectNotify(signal);
}
