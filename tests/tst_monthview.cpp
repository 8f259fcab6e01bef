#include "calendar/frmcalender.h"
#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
#include "datatable.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/datetext.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QAccessible>
#include <QFontInfo>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace MonthLayout;

namespace {

const QDate Today(2026, 12, 6); // a Sunday
const QDate Min(1753, 1, 1), Max(9999, 12, 31);

} // namespace

class TestMonthView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Platform::registerFontSubstitutes(); }
    void init() { Clock::setToday(Today); }

    void displayedRun_data()
    {
        dataRows<int, int, QDate, QDate, int>("month_runs.txt",
                                              {"months", "startOfWeek", "firstMonth", "start", "count"});
    }
    // The run the owner is asked about is exactly the days drawn, each once in its
    // own cell, and its answer lands on the right days in every month. Days past
    // the limits (1752, 10000) are shown greyed and never selected.
    void displayedRun()
    {
        const int months = field<int>("months"), startOfWeek = field<int>("startOfWeek");
        const QDate firstMonth = field<QDate>("firstMonth"), start = field<QDate>("start");

        const Run run = MonthLayout::displayedRun(firstMonth, months, startOfWeek);
        QCOMPARE(std::pair(run.start, run.count), std::pair(start, field<int>("count")));
        QVERIFY(!cellForDate(firstMonth, startOfWeek, start.addDays(-1)).isValid());
        QVERIFY(!cellForDate(firstMonth, startOfWeek, start.addDays(CellCount)).isValid());
        QList<bool> bold(run.count);
        for (int i = 0; i < run.count; ++i)
            bold[i] = run.start.addDays(i).dayOfWeek() == Qt::Sunday;
        // The first day of the run is selected, unless it is out of range.
        const ViewState display{firstMonth, months, startOfWeek, Min, Max, run.start, {}, run.start, &bold};

        QSet<qint64> shown;
        for (int i = 0; i < months * CellCount; ++i) {
            const int m = i / CellCount, row = i % CellCount / ColumnCount, column = i % CellCount % ColumnCount;
            const DayLook look = dayLook(display, m, row, column);
            if (look.isBlank())
                continue;
            QVERIFY2(!shown.contains(look.date.toJulianDay()), qPrintable(look.date.toString(Qt::ISODate)));
            shown.insert(look.date.toJulianDay());
            QCOMPARE(cellForDate(firstMonth.addMonths(m), startOfWeek, look.date), (Cell{row, column}));
            QCOMPARE(look.trailing, monthOf(look.date) != firstMonth.addMonths(m));
            QCOMPARE(look.bold, look.date.dayOfWeek() == Qt::Sunday);
            QCOMPARE(look.enabled, look.date >= Min && look.date <= Max);
            QCOMPARE(look.selected, look.enabled && look.date == run.start);
        }
        QCOMPARE(shown.size(), run.count);
        QVERIFY(shown.contains(run.start.toJulianDay()) && shown.contains(run.start.toJulianDay() + run.count - 1));
    }

    void drawnWholeAtTheWindowSizes_data() { dataRows<QSize, QSize>("month_sizes.txt", {"grid", "twips"}); }
    // Every text fits its place at the windows' sizes, only the Sundays are
    // drawn heavier, in every month, and each kind of day in one colour of its
    // own: a neighbouring month's working days and holidays fainter than the
    // month's own.
    void drawnWholeAtTheWindowSizes()
    {
        const QSize grid = field<QSize>("grid"), twips = field<QSize>("twips");
        const int columns = grid.width(), months = grid.width() * grid.height();

        Clock::setToday(QDate(2000, 1, 1)); // no today marker in the way
        MonthView view;
        QFont font(Captions::MsPGothic, 9);
        font.setStyleStrategy(QFont::NoAntialias); // every pixel of a number in its colour
        view.setFont(font);
        // The family name comes back localised under ja_JP, so compare with the face itself.
        QCOMPARE(QFontInfo(view.font()).family(), QFontInfo(QFont(QStringLiteral("IPAPGothic"), 9)).family());
        view.setMonthGrid(grid.width(), grid.height());
        view.resize(Twips::sizeToPixels(twips.width(), twips.height()));
        view.setValue(
            QDate(2026, 10, 28)); // two-digit months and holidays, and Culture Day on November 3, in every layout
        QVERIFY(view.rect().contains(QRect(QPoint(), view.minimumSizeHint())));

        QFont boldFont = view.font();
        boldFont.setBold(true);
        const QFontMetrics fm(view.font());
        const int widestNumber =
            std::max(fm.horizontalAdvance(u"28"_s), QFontMetrics(boldFont).horizontalAdvance(u"28"_s));
        const QImage plain = view.grab().toImage();
        // Answered as the calendar windows answer: their Sundays bold.
        connect(&view, &MonthView::GetDayBold, &view,
                [&](QDate s, int n, QList<bool> &state) { CalendarForm::markSundays(view, s, n, state); });
        const QImage bold = view.grab().toImage();
        auto pixels = [](const QImage &image, const QRect &cell) { // on scaled screens the image has more pixels
            const QRect rect = QTransform::fromScale(image.devicePixelRatio(), image.devicePixelRatio()).mapRect(cell);
            QList<QRgb> out;
            for (int i = 0; i < rect.width() * rect.height(); ++i)
                out << image.pixel(rect.left() + i % rect.width(), rect.top() + i / rect.width());
            return out;
        };
        auto ink = [&](const QImage &image, const QRect &cell) {
            const QList<QRgb> drawn = pixels(image, cell);
            return std::count_if(drawn.cbegin(), drawn.cend(), [](QRgb pixel) { return qGray(pixel) < 128; });
        };
        QMap<QRgb, QSet<QString>> kinds; // the kinds of day drawn in each colour
        auto centred = [&](const QRect &box, const QString &text) {
            const QSize size(fm.horizontalAdvance(text), fm.height());
            return QRect(box.center() - QPoint(size.width() / 2, size.height() / 2), size);
        };

        const Geometry &g = view.layoutGeometry();
        qsizetype added = 0; // the Sundays' ink
        for (int m = 0; m < months; ++m) {
            const QRect month = g.monthRect(m), title = g.titleRect(m), titleBox = centred(title, view.monthTitle(m));
            QVERIFY(view.rect().contains(month) && !month.intersects(g.todayRect()));
            for (int other = m + 1; other < months; ++other)
                QVERIFY(!month.intersects(g.monthRect(other)));
            QVERIFY(month.contains(title));
            QVERIFY2(view.monthTitle(m).contains(u'年') && title.contains(titleBox), qPrintable(view.monthTitle(m)));
            if (m == 0)
                QVERIFY(title.contains(g.previousArrowRect()) && !titleBox.intersects(g.previousArrowRect()));
            if (m == columns - 1)
                QVERIFY(title.contains(g.nextArrowRect()) && !titleBox.intersects(g.nextArrowRect()));
            for (int column = 0; column < ColumnCount; ++column) {
                const QRect header = g.headerRect(m, column);
                QVERIFY(month.contains(header) && !header.intersects(title));
                QVERIFY(header.contains(centred(header, view.weekdayTitle(column))));
                for (int row = 0; row < RowCount; ++row) {
                    const QRect cell = g.dayRect(m, row, column);
                    QVERIFY(month.contains(cell) && !cell.intersects(header));
                    QVERIFY(widestNumber <= cell.width() - 2 && fm.height() <= cell.height());
                    const DayLook look = view.dayLook(m, row, column);
                    // Some numbers come out of the emboldening with as many pixels as before,
                    // but never with the same ones; all the Sundays together are heavier.
                    const bool sunday = column == 0 && !look.isBlank();
                    QVERIFY2((pixels(bold, cell) != pixels(plain, cell)) == sunday,
                             qPrintable(QStringLiteral("month %1 row %2 column %3").arg(m).arg(row).arg(column)));
                    added += ink(bold, cell) - ink(plain, cell);
                    const QList<QRgb> drawn = pixels(bold, cell.adjusted(1, 1, -1, -1)); // inside, at any scale
                    for (const QRgb pixel : drawn) {
                        if (pixel != drawn.first() && !look.selected)
                            kinds[pixel] << (look.trailing ? u"neighbouring "_s : QString())
                                                + (look.isHoliday() ? u"holiday"_s : u"day"_s);
                    }
                }
            }
        }
        QVERIFY2(added > 0, qPrintable(QString::number(added)));
        QStringList seen;
        QSet<QString> drawnKinds;
        bool oneKindEach = true;
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
            seen << QColor(it.key()).name() + u": "_s + QStringList(it->cbegin(), it->cend()).join(u", ");
            drawnKinds += *it;
            oneKindEach = oneKindEach && it->size() == 1;
        }
        QVERIFY2(oneKindEach && kinds.size() == drawnKinds.size(), qPrintable(seen.join(u"; ")));
        const QRect today = g.todayRect();
        QVERIFY(view.rect().contains(today) && fm.height() <= today.height() && today.contains(g.todayMarkerRect()));
        QVERIFY(view.todayText().startsWith(QStringLiteral(u"今日: ")));
        QVERIFY(g.todayTextLeft() + fm.horizontalAdvance(view.todayText()) <= today.right());
    }

    void selectionMoves_data()
    {
        dataRows<QSize, QDate, QDate, QString, QDate, QDate>("month_selection.txt",
                                                             {"grid", "shown", "selected", "key", "value", "first"});
    }
    // Where the selection lands, which months show, and one valueChanged for each change.
    void selectionMoves()
    {
        const QSize grid = field<QSize>("grid");
        const QDate shown = field<QDate>("shown"), expectedValue = field<QDate>("value");
        const QKeyCombination key = QKeySequence::fromString(field<QString>("key"), QKeySequence::PortableText)[0];

        MonthView view;
        view.setMonthGrid(grid.width(), grid.height());
        view.setValue(shown);
        QSignalSpy spy(&view, &MonthView::valueChanged);
        view.setValue(field<QDate>("selected"));
        if (key.key())
            QTest::keyClick(&view, key.key(), key.keyboardModifiers());
        QCOMPARE(view.value(), expectedValue);
        QCOMPARE(view.firstDisplayedMonth(), field<QDate>("first"));
        QDate signalled = shown;
        for (const QList<QVariant> &arguments : spy) {
            QVERIFY(arguments.first().toDate() != signalled);
            signalled = arguments.first().toDate();
        }
        QCOMPARE(signalled, expectedValue);
    }

    void mouse()
    {
        MonthView view;
        QFont font(Captions::MsPGothic, 9);
        font.setStyleStrategy(QFont::NoAntialias); // every pixel of a number in its colour
        view.setFont(font);
        view.resize(Twips::sizeToPixels(2385, 2220));
        view.setValue(QDate(2026, 12, 10));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const Geometry &g = view.layoutGeometry();
        // Pointing at a holiday (New Year's Day, in the next month's days) names it; a working day has no tooltip.
        for (const auto &[cell, tip] : {std::pair(g.dayRect(0, 4, 5), u"元日"_s), {g.dayRect(0, 4, 4), QString()}}) {
            QHelpEvent help(QEvent::ToolTip, cell.center(), view.mapToGlobal(cell.center()));
            QApplication::sendEvent(&view, &help);
            QTRY_COMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
        }
        auto click = [&](const QRect &rect, QDate value, QDate first) {
            QTest::mouseClick(&view, Qt::LeftButton, {}, rect.center());
            QCOMPARE(std::pair(view.value(), view.firstDisplayedMonth()), std::pair(value, first));
        };
        click(g.dayRect(0, 5, 6), QDate(2027, 1, 9), QDate(2027, 1, 1)); // a day of the next month pages to it
        // Selected, a holiday still shows as one: on a ground of its own.
        const auto groundOf = [&](QDate day) {
            view.setValue(day);
            const Cell cell = cellForDate(QDate(2027, 1, 1), 1, day);
            return view.grab().toImage().pixel(g.dayRect(0, cell.row, cell.column).topLeft() + QPoint(3, 3));
        };
        QCOMPARE_NE(groundOf(QDate(2027, 1, 1)), groundOf(QDate(2027, 1, 4)));
        view.setValue(QDate(2027, 1, 9));
        click(g.previousArrowRect(), QDate(2027, 1, 9), QDate(2026, 12, 1)); // paging leaves the value alone
        click(g.todayRect(), Today, QDate(2026, 12, 1));
        // 1752-12-31 is shown, greyed, and cannot be chosen; nor can 10000-01-08.
        view.setValue(QDate(1753, 1, 5));
        click(g.dayRect(0, 0, 0), QDate(1753, 1, 5), Min);
        click(g.previousArrowRect(), QDate(1753, 1, 5), Min);
        view.setValue(QDate(9999, 12, 24));
        click(g.nextArrowRect(), QDate(9999, 12, 24), QDate(9999, 12, 1));
        click(g.dayRect(0, 5, 6), QDate(9999, 12, 24), QDate(9999, 12, 1));
    }

    void accessibility()
    {
        MonthView view;
        connect(&view, &MonthView::GetDayBold, &view,
                [&](QDate s, int n, QList<bool> &state) { CalendarForm::markSundays(view, s, n, state); });
        view.setMonthGrid(3, 4);
        view.setValue(Today);
        view.resize(view.sizeHint());

        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&view);
        QAccessibleTableInterface *table = iface->tableInterface();
        QCOMPARE(QSize(table->columnCount(), table->rowCount()), QSize(21, 24));

        // Name, selected and bold of a cell, as a screen reader gets them.
        const auto describe = [](QAccessibleInterface *cell) {
            int start = 0, end = 0;
            const bool bold = cell->textInterface()->attributes(0, &start, &end).contains(u"font-weight:bold");
            return cell->text(QAccessible::Name) + (cell->state().selected ? u" selected"_s : QString())
                   + (bold ? u" bold"_s : QString());
        };
        const auto name = [](QDate date) { return DateTexts::user().longDate(date); };
        QAccessibleInterface *sunday = table->cellAt(1, 0), *monday = table->cellAt(1, 1);
        // The last month, November 2027, bottom-right: its first Sunday is the 7th.
        QAccessibleInterface *lastMonthSunday = table->cellAt(18 + 1, 14 + 0);
        QCOMPARE(table->selectedCells(), QList<QAccessibleInterface *>{sunday});
        QCOMPARE(iface->indexOfChild(sunday), 3 + 1 * 21 + 0); // after the arrows and the header row
        QCOMPARE(describe(sunday), name(Today) + QStringLiteral(" selected bold"));
        QCOMPARE(describe(lastMonthSunday), name(QDate(2027, 11, 7)) + QStringLiteral(" bold"));

        // The selected state follows the keys, the names follow the pages.
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(describe(monday), name(QDate(2026, 12, 7)) + QStringLiteral(" selected"));
        iface->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(lastMonthSunday->text(QAccessible::Name), name(QDate(2028, 11, 5)));

        // The grids at both ends reach into 1752 and 10000; they must paint and
        // name their days without asking ICU for a year it cannot handle.
        for (const QDate limit : {Min, Max}) {
            Clock::setToday(limit);
            view.setValue(limit);
            QVERIFY(!view.grab().isNull());
            for (int i = 0; i < table->rowCount() * table->columnCount(); ++i)
                table->cellAt(i / table->columnCount(), i % table->columnCount())->text(QAccessible::Name);
            QCOMPARE(table->selectedCells().value(0)->text(QAccessible::Name), name(limit));
        }
    }
};

QTEST_MAIN(TestMonthView)
#include "tst_monthview.moc"
