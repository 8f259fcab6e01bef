#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/datetext.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QAccessible>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>

using namespace MonthLayout;

namespace {

const QDate Today(2026, 12, 6); // a Sunday

// The calendar windows' answer: every seventh day from the first, counted
// with the view's first weekday, read once per marked day.
void markSundays(const MonthView &view, int count, QList<bool> &state)
{
    for (int i = 1; i < count; i += 7)
        state[i - view.StartOfWeek()] = true;
}

struct Request
{
    QDate start;
    int count;
};

} // namespace

class TestMonthView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void nothingClippedAtTheWindowSizes_data();
    void nothingClippedAtTheWindowSizes();
    void boldRequestCoversTheDisplay_data();
    void boldRequestCoversTheDisplay();
    void boldRequestNotRepeatedOnRepaint();
    void boldRequestWaitsForTheOwner();
    void boldDrawnInEveryMonth();
    void boldPaintedInEveryMonth();
    void setValuePages_data();
    void setValuePages();
    void keys_data();
    void keys();
    void mouse();
    void limitsRender_data();
    void limitsRender();
    void accessibility();
};

void TestMonthView::initTestCase()
{
    Platform::registerFontSubstitutes();
}

void TestMonthView::init()
{
    Clock::setToday(Today);
}

void TestMonthView::nothingClippedAtTheWindowSizes_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("widthTwips");
    QTest::addColumn<int>("heightTwips");
    QTest::newRow("1 month") << 1 << 1 << 2385 << 2220;
    QTest::newRow("3 months") << 3 << 1 << 7215 << 2220;
    QTest::newRow("6 months") << 3 << 2 << 7215 << 4230;
    QTest::newRow("12 months") << 3 << 4 << 7215 << 8250;
}

void TestMonthView::nothingClippedAtTheWindowSizes()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, widthTwips);
    QFETCH(int, heightTwips);

    MonthView view;
    view.setFont(QFont(Captions::MsPGothic, 9));
    // The family name comes back localised under ja_JP, so compare with the face itself.
    QCOMPARE(QFontInfo(view.font()).family(), QFontInfo(QFont(QStringLiteral("IPAPGothic"), 9)).family());
    view.setMonthGrid(columns, rows);
    view.resize(Twips::sizeToPixels(widthTwips, heightTwips));
    view.setValue(QDate(2026, 10, 28)); // two-digit months in every layout
    QVERIFY(view.minimumSizeHint().width() <= view.width());
    QVERIFY(view.minimumSizeHint().height() <= view.height());

    QFont boldFont = view.font();
    boldFont.setBold(true);
    const QFontMetrics fm(view.font()), bold(boldFont);
    int widestNumber = 0;
    for (int day = 1; day <= 31; ++day)
        widestNumber = std::max({widestNumber, fm.horizontalAdvance(QString::number(day)),
                                 bold.horizontalAdvance(QString::number(day))});

    const Geometry &g = view.layoutGeometry();
    const QRect all = view.rect();
    auto centred = [&](const QRect &box, const QString &text) {
        const QSize size(fm.horizontalAdvance(text), fm.height());
        return QRect(box.center().x() - size.width() / 2, box.center().y() - size.height() / 2, size.width(),
                     size.height());
    };

    for (int m = 0; m < columns * rows; ++m) {
        const QRect month = g.monthRect(m);
        QVERIFY(all.contains(month));
        QVERIFY(!month.intersects(g.todayRect()));
        for (int other = m + 1; other < columns * rows; ++other)
            QVERIFY(!month.intersects(g.monthRect(other)));

        const QRect title = g.titleRect(m);
        QVERIFY(month.contains(title));
        const QString titleText = view.monthTitle(m);
        QVERIFY(titleText.contains(u'年'));
        const QRect titleBox = centred(title, titleText);
        QVERIFY2(title.contains(titleBox), qPrintable(titleText));
        if (m == 0) {
            QVERIFY(title.contains(g.previousArrowRect()));
            QVERIFY(!titleBox.intersects(g.previousArrowRect()));
        }
        if (m == columns - 1) {
            QVERIFY(title.contains(g.nextArrowRect()));
            QVERIFY(!titleBox.intersects(g.nextArrowRect()));
        }

        for (int column = 0; column < ColumnCount; ++column) {
            const QRect header = g.headerRect(m, column);
            QVERIFY(month.contains(header));
            QVERIFY(!header.intersects(title));
            QVERIFY(header.contains(centred(header, view.weekdayTitle(column))));
            for (int row = 0; row < RowCount; ++row) {
                const QRect cell = g.dayRect(m, row, column);
                QVERIFY(month.contains(cell));
                QVERIFY(!cell.intersects(header));
                QVERIFY(widestNumber <= cell.width() - 2);
                QVERIFY(fm.height() <= cell.height());
            }
        }
    }

    const QRect today = g.todayRect();
    QVERIFY(all.contains(today));
    QVERIFY(fm.height() <= today.height());
    QVERIFY(today.contains(g.todayMarkerRect()));
    QVERIFY(g.todayTextLeft() + fm.horizontalAdvance(view.todayText()) <= today.right());
    QVERIFY(view.todayText().startsWith(QStringLiteral(u"今日: ")));
}

void TestMonthView::boldRequestCoversTheDisplay_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QDate>("value");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("count");

    QTest::newRow("1 month, December") << 1 << 1 << QDate(2026, 12, 6) << QDate(2026, 11, 29) << 42;
    QTest::newRow("3 months from December") << 3 << 1 << QDate(2026, 12, 6) << QDate(2026, 11, 29) << 105;
    QTest::newRow("6 months from the minimum") << 3 << 2 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 189;
    QTest::newRow("12 months from January") << 3 << 4 << QDate(2026, 1, 15) << QDate(2025, 12, 28) << 378;
    QTest::newRow("12 months to the maximum") << 3 << 4 << QDate(9999, 12, 31) << QDate(9998, 12, 27) << 378;
    QTest::newRow("3 months to the maximum") << 3 << 1 << QDate(9999, 12, 31) << QDate(9999, 9, 26) << 105;
}

void TestMonthView::boldRequestCoversTheDisplay()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QDate, value);
    QFETCH(QDate, start);
    QFETCH(int, count);

    MonthView view;
    QList<Request> requests;
    bool allFalseOnEntry = true;
    connect(&view, &MonthView::GetDayBold, &view, [&](QDate s, int n, QList<bool> &state) {
        requests.append({s, n});
        allFalseOnEntry = allFalseOnEntry && state.size() == n && !state.contains(true);
        markSundays(view, n, state);
    });
    view.setMonthGrid(columns, rows);
    view.setValue(value);
    view.resize(view.sizeHint());
    view.grab();

    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests.last().start, start);
    QCOMPARE(requests.last().count, count);
    QVERIFY(allFalseOnEntry);
    QCOMPARE(view.dayLook(0, 0, 0).date, start);
}

void TestMonthView::boldRequestNotRepeatedOnRepaint()
{
    MonthView view;
    int requests = 0;
    connect(&view, &MonthView::GetDayBold, &view, [&](QDate, int n, QList<bool> &state) {
        ++requests;
        markSundays(view, n, state);
    });
    view.setMonthGrid(3, 4);
    view.setValue(QDate(2026, 1, 15));
    view.resize(view.sizeHint());
    const int afterSetup = requests;
    QVERIFY(afterSetup >= 1);
    for (int i = 0; i < 3; ++i)
        view.grab();
    QCOMPARE(requests, afterSetup);

    view.setValue(QDate(2026, 11, 30)); // visible: no new run
    view.grab();
    QCOMPARE(requests, afterSetup);

    view.showNextPage();
    QCOMPARE(requests, afterSetup + 1);
    view.setValue(QDate(2040, 1, 1)); // pages
    QCOMPARE(requests, afterSetup + 2);
    view.grab();
    QCOMPARE(requests, afterSetup + 2);
}

// The windows create the view, then connect, then set today: the question
// comes once the owner listens.
void TestMonthView::boldRequestWaitsForTheOwner()
{
    MonthView view;
    view.setMonthGrid(3, 1);
    view.grab(); // painted before anyone listens
    int requests = 0;
    connect(&view, &MonthView::GetDayBold, &view, [&](QDate, int n, QList<bool> &state) {
        ++requests;
        markSundays(view, n, state);
    });
    view.setValue(Today);
    view.grab();
    view.grab();
    QCOMPARE(requests, 1);
    QVERIFY(view.dayLook(0, 1, 0).bold); // 2026-12-06
}

void TestMonthView::boldDrawnInEveryMonth()
{
    MonthView view;
    connect(&view, &MonthView::GetDayBold, &view,
            [&](QDate, int n, QList<bool> &state) { markSundays(view, n, state); });
    view.setMonthGrid(3, 4);
    view.setValue(QDate(2026, 1, 1));

    for (int m = 0; m < 12; ++m) {
        int sundays = 0;
        for (int row = 0; row < RowCount; ++row) {
            for (int column = 0; column < ColumnCount; ++column) {
                const DayLook look = view.dayLook(m, row, column);
                if (look.isBlank())
                    continue;
                QCOMPARE(look.bold, look.date.dayOfWeek() == Qt::Sunday);
                sundays += look.bold && !look.trailing;
            }
        }
        QVERIFY2(sundays >= 4, qPrintable(view.monthTitle(m)));
    }
}

// The look alone is not enough: the painter must draw those days heavier.
void TestMonthView::boldPaintedInEveryMonth()
{
    Clock::setToday(QDate(2000, 1, 1)); // no today marker in the way
    auto render = [](bool sundays) {
        MonthView view;
        view.setFont(QFont(Captions::MsPGothic, 9));
        if (sundays) {
            connect(&view, &MonthView::GetDayBold, &view,
                    [&view](QDate, int n, QList<bool> &state) { markSundays(view, n, state); });
        }
        view.setMonthGrid(3, 4);
        view.resize(Twips::sizeToPixels(7215, 8250));
        view.setValue(QDate(2027, 1, 13)); // a Wednesday, so no Sunday is selected
        return std::make_pair(view.grab().toImage(), view.layoutGeometry());
    };
    const auto [plain, g] = render(false);
    const QImage bold = render(true).first;
    auto ink = [](const QImage &image, const QRect &rect) {
        int dark = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        }
        return dark;
    };
    for (int m = 0; m < 12; ++m) {
        for (int row = 0; row < RowCount; ++row) {
            const QRect cell = g.dayRect(m, row, 0);
            const int before = ink(plain, cell);
            if (before == 0)
                continue; // a blank cell
            QVERIFY2(ink(bold, cell) > before, qPrintable(QStringLiteral("month %1 row %2").arg(m).arg(row)));
            QCOMPARE(ink(bold, g.dayRect(m, row, 3)), ink(plain, g.dayRect(m, row, 3)));
        }
    }
}

void TestMonthView::setValuePages_data()
{
    QTest::addColumn<QDate>("value");
    QTest::addColumn<QDate>("expectedValue");
    QTest::addColumn<QDate>("expectedFirst");
    QTest::addColumn<int>("signalCount");

    // The view starts on January 2026 with 15 January selected.
    QTest::newRow("same day") << QDate(2026, 1, 15) << QDate(2026, 1, 15) << QDate(2026, 1, 1) << 0;
    QTest::newRow("visible month") << QDate(2026, 12, 31) << QDate(2026, 12, 31) << QDate(2026, 1, 1) << 1;
    QTest::newRow("later month comes first") << QDate(2030, 2, 1) << QDate(2030, 2, 1) << QDate(2030, 2, 1) << 1;
    QTest::newRow("earlier month comes first") << QDate(2025, 12, 31) << QDate(2025, 12, 31) << QDate(2025, 12, 1) << 1;
    QTest::newRow("maximum keeps twelve months") << QDate(9999, 12, 31) << QDate(9999, 12, 31) << QDate(9999, 1, 1) << 1;
    QTest::newRow("below the minimum") << QDate(1700, 1, 1) << QDate(1753, 1, 1) << QDate(1753, 1, 1) << 1;
    QTest::newRow("the day before the minimum") << QDate(1752, 12, 31) << QDate(1753, 1, 1) << QDate(1753, 1, 1) << 1;
    QTest::newRow("invalid date ignored") << QDate() << QDate(2026, 1, 15) << QDate(2026, 1, 1) << 0;
}

void TestMonthView::setValuePages()
{
    QFETCH(QDate, value);
    QFETCH(QDate, expectedValue);
    QFETCH(QDate, expectedFirst);
    QFETCH(int, signalCount);

    MonthView view;
    view.setMonthGrid(3, 4);
    view.setValue(QDate(2026, 1, 15));
    QSignalSpy spy(&view, &MonthView::valueChanged);
    view.setValue(value);
    QCOMPARE(view.value(), expectedValue);
    QCOMPARE(view.firstDisplayedMonth(), expectedFirst);
    QCOMPARE(spy.size(), signalCount);
    if (signalCount)
        QCOMPARE(spy.last().first().toDate(), expectedValue);
}

void TestMonthView::keys_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QDate>("shown");    // set first, places the view
    QTest::addColumn<QDate>("selected"); // then selected, in view
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QDate>("expectedValue");
    QTest::addColumn<QDate>("expectedFirst");

    QTest::newRow("page up clamps 31 March")
        << 1 << 1 << QDate(2026, 3, 31) << QDate(2026, 3, 31) << int(Qt::Key_PageUp) << false
        << QDate(2026, 2, 28) << QDate(2026, 2, 1);
    QTest::newRow("right off the last month scrolls one")
        << 3 << 1 << QDate(2026, 1, 15) << QDate(2026, 3, 31) << int(Qt::Key_Right) << false
        << QDate(2026, 4, 1) << QDate(2026, 2, 1);
    QTest::newRow("up into the previous month")
        << 1 << 1 << QDate(2026, 12, 3) << QDate(2026, 12, 3) << int(Qt::Key_Up) << false
        << QDate(2026, 11, 26) << QDate(2026, 11, 1);
    QTest::newRow("ctrl page down turns twelve months")
        << 3 << 4 << QDate(2026, 1, 15) << QDate(2026, 1, 15) << int(Qt::Key_PageDown) << true
        << QDate(2027, 1, 15) << QDate(2027, 1, 1);
    QTest::newRow("ctrl page up stops at the minimum")
        << 3 << 2 << QDate(1753, 3, 10) << QDate(1753, 3, 10) << int(Qt::Key_PageUp) << true
        << QDate(1753, 1, 1) << QDate(1753, 1, 1);
    QTest::newRow("left at the minimum")
        << 3 << 4 << QDate(1753, 1, 1) << QDate(1753, 1, 1) << int(Qt::Key_Left) << false
        << QDate(1753, 1, 1) << QDate(1753, 1, 1);
    QTest::newRow("ctrl page down at the maximum")
        << 3 << 4 << QDate(9999, 12, 31) << QDate(9999, 6, 15) << int(Qt::Key_PageDown) << true
        << QDate(9999, 12, 31) << QDate(9999, 1, 1);
    QTest::newRow("down at the maximum")
        << 1 << 1 << QDate(9999, 12, 29) << QDate(9999, 12, 29) << int(Qt::Key_Down) << false
        << QDate(9999, 12, 31) << QDate(9999, 12, 1);
    QTest::newRow("end in leap February")
        << 3 << 1 << QDate(2024, 2, 10) << QDate(2024, 2, 10) << int(Qt::Key_End) << false
        << QDate(2024, 2, 29) << QDate(2024, 2, 1);
}

void TestMonthView::keys()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QDate, shown);
    QFETCH(QDate, selected);
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(QDate, expectedValue);
    QFETCH(QDate, expectedFirst);

    MonthView view;
    view.setMonthGrid(columns, rows);
    view.setValue(shown);
    view.setValue(selected);
    QTest::keyClick(&view, Qt::Key(key), ctrl ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(view.value(), expectedValue);
    QCOMPARE(view.firstDisplayedMonth(), expectedFirst);
}

void TestMonthView::mouse()
{
    MonthView view;
    view.setFont(QFont(Captions::MsPGothic, 9));
    view.setMonthGrid(1, 1);
    view.resize(Twips::sizeToPixels(2385, 2220));
    view.setValue(QDate(2026, 12, 10));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const Geometry &g = view.layoutGeometry();

    // A day of the next month pages to it and selects it.
    QTest::mouseClick(&view, Qt::LeftButton, {}, g.dayRect(0, 5, 6).center());
    QCOMPARE(view.value(), QDate(2027, 1, 9));
    QCOMPARE(view.firstDisplayedMonth(), QDate(2027, 1, 1));

    QTest::mouseClick(&view, Qt::LeftButton, {}, g.previousArrowRect().center());
    QCOMPARE(view.firstDisplayedMonth(), QDate(2026, 12, 1));
    QCOMPARE(view.value(), QDate(2027, 1, 9)); // paging leaves the value alone

    QTest::mouseClick(&view, Qt::LeftButton, {}, g.todayRect().center());
    QCOMPARE(view.value(), Today);
    QCOMPARE(view.firstDisplayedMonth(), QDate(2026, 12, 1));

    // 1752-12-31 is shown, greyed, and cannot be chosen.
    view.setValue(QDate(1753, 1, 5));
    QTest::mouseClick(&view, Qt::LeftButton, {}, g.dayRect(0, 0, 0).center());
    QCOMPARE(view.value(), QDate(1753, 1, 5));
    QCOMPARE(view.firstDisplayedMonth(), QDate(1753, 1, 1));
    QTest::mouseClick(&view, Qt::LeftButton, {}, g.previousArrowRect().center());
    QCOMPARE(view.firstDisplayedMonth(), QDate(1753, 1, 1));

    view.setValue(QDate(9999, 12, 24));
    QTest::mouseClick(&view, Qt::LeftButton, {}, g.nextArrowRect().center());
    QCOMPARE(view.firstDisplayedMonth(), QDate(9999, 12, 1));
    QTest::mouseClick(&view, Qt::LeftButton, {}, g.dayRect(0, 5, 6).center()); // 10000-01-08
    QCOMPARE(view.value(), QDate(9999, 12, 24));
}

void TestMonthView::limitsRender_data()
{
    QTest::addColumn<QDate>("value");
    QTest::newRow("minimum") << QDate(1753, 1, 1);
    QTest::newRow("maximum") << QDate(9999, 12, 31);
}

// The grids at both ends reach past the limits; they must paint and name
// their days without asking ICU for a year it cannot handle.
void TestMonthView::limitsRender()
{
    QFETCH(QDate, value);
    Clock::setToday(value);
    MonthView view;
    view.setMonthGrid(3, 4);
    view.setValue(value);
    view.resize(view.sizeHint());
    const QImage image = view.grab().toImage();
    QVERIFY(!image.isNull());
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(table && table->tableInterface());
    for (int row = 0; row < table->tableInterface()->rowCount(); ++row) {
        for (int column = 0; column < table->tableInterface()->columnCount(); ++column)
            table->tableInterface()->cellAt(row, column)->text(QAccessible::Name);
    }
    QCOMPARE(view.value(), value);
}

void TestMonthView::accessibility()
{
    MonthView view;
    connect(&view, &MonthView::GetDayBold, &view,
            [&](QDate, int n, QList<bool> &state) { markSundays(view, n, state); });
    view.setMonthGrid(3, 4);
    view.setValue(Today);
    view.resize(view.sizeHint());

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Table);
    QAccessibleTableInterface *table = iface->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 24);
    QCOMPARE(table->columnCount(), 21);

    QAccessibleInterface *previous = iface->child(0);
    QAccessibleInterface *next = iface->child(1);
    QCOMPARE(previous->role(), QAccessible::Button);
    QCOMPARE(previous->text(QAccessible::Name), QStringLiteral(u"前の月"));
    QCOMPARE(next->role(), QAccessible::Button);
    QCOMPARE(next->text(QAccessible::Name), QStringLiteral(u"次の月"));

    const QList<QAccessibleInterface *> selected = table->selectedCells();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first()->text(QAccessible::Name), DateTexts::user().longDate(Today));
    QVERIFY(selected.first()->state().selected);
    QCOMPARE(iface->indexOfChild(selected.first()), 3 + 1 * 21 + 0);

    auto attributes = [](QAccessibleInterface *cell) {
        int start = 0, end = 0;
        return cell->textInterface()->attributes(0, &start, &end);
    };
    QVERIFY(attributes(selected.first()).contains(QStringLiteral("font-weight:bold")));
    QAccessibleInterface *monday = table->cellAt(1, 1); // 2026-12-07
    QCOMPARE(monday->text(QAccessible::Name), DateTexts::user().longDate(QDate(2026, 12, 7)));
    QVERIFY(!monday->state().selected);
    QVERIFY(!attributes(monday).contains(QStringLiteral("bold")));
    // The last month, November 2027, bottom-right: its first Sunday is the 7th.
    QAccessibleInterface *lastMonthSunday = table->cellAt(18 + 1, 14 + 0);
    QCOMPARE(lastMonthSunday->text(QAccessible::Name), DateTexts::user().longDate(QDate(2027, 11, 7)));
    QVERIFY(attributes(lastMonthSunday).contains(QStringLiteral("font-weight:bold")));

    // The selected state follows the keys.
    QTest::keyClick(&view, Qt::Key_Right);
    QVERIFY(!selected.first()->state().selected);
    QVERIFY(monday->state().selected);

    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(view.firstDisplayedMonth(), QDate(2027, 12, 1));
    QCOMPARE(lastMonthSunday->text(QAccessible::Name), DateTexts::user().longDate(QDate(2028, 11, 5)));
}

QTEST_MAIN(TestMonthView)
#include "tst_monthview.moc"
