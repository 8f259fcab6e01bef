// Every text the windows draw reads on what is behind it (a contrast ratio of
// 4.5:1 or more) under the default palette, dark ones and a high-contrast
// one, measured on the rendered pixels of the real windows.

#include "testkit.h"

#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
#include "shell/clock.h"
#include "shell/legible.h"

#include <QApplication>
#include <QHash>

using namespace MonthLayout;

namespace {

// The ground is the commonest colour of the box, the text the pixel that
// stands out most from it; antialiased edges lie between the two.
double measured(const QImage &image, const QRect &box)
{
    QHash<QRgb, int> counts;
    QRgb ground = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb pixel = image.pixel(x, y) | 0xff000000;
            if (++counts[pixel] > counts.value(ground))
                ground = pixel;
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, Legible::contrast(QColor(it.key()), QColor(ground)));
    return best;
}

// Window, window text, button, button text, base, text, highlight (and link), highlighted text.
QPalette scheme(std::array<QRgb, 8> c)
{
    QPalette p{QColor(c[2]), QColor(c[0])};
    const QPalette::ColorRole roles[] = {QPalette::Window,     QPalette::WindowText,     QPalette::Button,
                                         QPalette::ButtonText, QPalette::Base,           QPalette::Text,
                                         QPalette::Highlight,  QPalette::HighlightedText};
    for (int i = 1; i < 8; ++i)
        p.setColor(roles[i], QColor(c[i]));
    p.setColor(QPalette::Link, QColor(c[6]));
    return p;
}

// Where an item of the month view is drawn: the first day cell with the look
// asked for (inside the today and focus frames), or a part.
QRect monthBox(const MonthView &view, const QString &item)
{
    const Geometry &g = view.layoutGeometry();
    if (item == u"title")
        return g.titleRect(0);
    if (item == u"header")
        return g.headerRect(0, 3).adjusted(0, 0, 0, -1); // above the rule
    if (item == u"today line")
        return g.todayRect().adjusted(g.todayTextLeft(), 0, 0, 0); // right of the marker
    for (int i = 0; i < view.monthCount() * CellCount; ++i) {
        const int m = i / CellCount, row = i % CellCount / ColumnCount, column = i % ColumnCount;
        const DayLook l = view.dayLook(m, row, column);
        const bool plain = !l.selected && !l.today && !l.isHoliday();
        const bool wanted = item == u"Sunday"             ? l.bold && !l.trailing && plain
                            : item == u"trailing day"     ? l.trailing && plain
                            : item == u"today"            ? l.selected && l.today
                            : item == u"selected holiday" ? l.selected && l.isHoliday()
                            : item == u"holiday"          ? l.isHoliday() && !l.trailing && !l.bold
                            : item == u"trailing holiday" ? l.isHoliday() && l.trailing
                                                          : !l.trailing && !l.bold && plain;
        if (!l.isBlank() && l.enabled && wanted)
            return g.dayRect(m, row, column).adjusted(2, 2, -2, -2);
    }
    return {};
}

} // namespace

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestKit::setUpWindows();
        Forms::setProgramEnd([] {});
        Clock::setToday(QDate(2026, 12, 9)); // a Wednesday: today is not a Sunday
    }

    void textsRead_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<FormKind>("kind");
        QTest::addColumn<QString>("item"); // a widget's name, or a part of the month view

        const QStringList month{"day", "Sunday", "trailing day", "today", "title", "header", "today line"};
        // December 2026 has no holiday, but its grid ends on New Year's Day.
        const std::tuple<const char *, FormKind, QStringList> windows[] = {
            {"1 month", FormKind::FrmCalender, month + QStringList{"trailing holiday"}}, // with a font of its own
            {"3 months", FormKind::FrmCalender3, month + QStringList{"holiday", "selected holiday"}},
            {"today window", FormKind::FrmMain, {"LblDate"}},
            {"About",
             FormKind::frmAbout,
             {"lblTitle", "lblVersion", "lblDescription", "Label1", "Label2", "lblDisclaimer", "Label3", "cmdOK",
              "cmdSysInfo"}}};
        const std::pair<const char *, QPalette> schemes[] = {
            {"default", QApplication::palette()},
            {"dark", scheme({0x2b2b2b, ~0u, 0x353535, ~0u, 0x1e1e1e, ~0u, 0x2a82da, ~0u})},
            // Light fields beside dark buttons: white button text on a white month area.
            {"dark buttons", scheme({0x2b2b2b, ~0u, 0x353535, ~0u, ~0u, 0, 0x2a82da, ~0u})},
            // Like the desktops' high-contrast black: white and yellow on black.
            {"high contrast", scheme({0, ~0u, 0, 0xffff00, 0, ~0u, 0x1aebff, 0})}};
        for (const auto &[paletteName, palette] : schemes)
            for (const auto &[window, kind, items] : windows)
                for (const QString &item : items)
                    QTest::addRow("%s, %s, %s", paletteName, window, qPrintable(item)) << palette << kind << item;
    }

    void textsRead()
    {
        QFETCH(QPalette, palette);
        QFETCH(FormKind, kind);
        QFETCH(QString, item);

        QApplication::setPalette(palette); // before the window is built, as at start-up
        Form *form = Forms::Show(kind);
        if (item == u"selected holiday")
            form->findChild<MonthView *>()->setValue(QDate(2027, 1, 1)); // New Year's Day, on display
        const QImage image = form->grab().toImage();
        QRect box;
        if (const QWidget *w = form->findChild<QWidget *>(item))
            box = QRect(w->mapTo(form, QPoint()), w->size()) & form->rect();
        else if (const MonthView *view = form->findChild<MonthView *>())
            box = monthBox(*view, item).translated(view->mapTo(form, QPoint()));
        TestKit::unloadAll();

        QVERIFY(!box.isEmpty());
        const double contrast = measured(image, box);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    }
};

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
