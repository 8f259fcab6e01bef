// Every text the windows draw reads on what is behind it (a contrast ratio of
// 4.5:1 or more) under the default palette, dark ones and a high-contrast
// one, measured on the rendered pixels of the real windows.

#include "app.h"
#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/forms.h"
#include "shell/platform.h"

#include <QApplication>
#include <QHash>
#include <QTest>
#include <cmath>
#include <functional>

using namespace MonthLayout;

namespace {

// Relative luminance and contrast ratio as WCAG 2 defines them.
double luminance(QRgb rgb)
{
    auto c = [](int v) { return v <= 10 ? v / 255.0 / 12.92 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * c(qRed(rgb)) + 0.7152 * c(qGreen(rgb)) + 0.0722 * c(qBlue(rgb));
}

double ratio(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The ground is the commonest colour of the box, the text its pixel that
// stands out most; antialiased edges lie between the two.
double measured(const QImage &image, const QRect &box)
{
    QHash<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    QRgb ground = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(ground))
            ground = it.key();
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, ratio(it.key(), ground));
    return best;
}

QPalette dark()
{
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return p;
}

// Dark buttons beside light fields: the month areas light, the button text
// the month view starts from white.
QPalette darkButtons()
{
    QPalette p = dark();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    return p;
}

// Like the desktops' high-contrast black: black grounds, white and yellow
// text, a cyan selection with black text on it.
QPalette highContrast()
{
    QPalette p(Qt::black, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::BrightText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::yellow);
    p.setColor(QPalette::Link, Qt::yellow);
    p.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

// Where an item's text is, in the window's own coordinates.
using Finder = std::function<QRect(Form *)>;

QRect widgetBox(Form *form, const QString &name)
{
    const QWidget *w = form->findChild<QWidget *>(name);
    return w ? QRect(w->mapTo(form, QPoint()), w->size()) & form->rect() : QRect();
}

Finder inView(std::function<QRect(const MonthView &, const Geometry &)> where)
{
    return [where](Form *form) {
        const MonthView *view = form->findChild<MonthView *>();
        return view ? where(*view, view->layoutGeometry()).translated(view->mapTo(form, QPoint())) : QRect();
    };
}

// The first day cell of the first month with the look asked for, inside the
// today and focus frames.
Finder dayCell(std::function<bool(const DayLook &)> wanted)
{
    return inView([wanted](const MonthView &view, const Geometry &g) {
        for (int cell = 0; cell < RowCount * ColumnCount; ++cell) {
            const DayLook look = view.dayLook(0, cell / ColumnCount, cell % ColumnCount);
            if (!look.isBlank() && wanted(look))
                return g.dayRect(0, cell / ColumnCount, cell % ColumnCount).adjusted(2, 2, -2, -2);
        }
        return QRect();
    });
}

} // namespace

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Platform::registerFontSubstitutes();
        Platform::applyDefaultFont();
        mirebo::registerForms();
        Forms::setProgramEnd([] {});
        Screen::setSizeInTwipsForTesting({28800, 16200});
        Clock::setToday(QDate(2026, 12, 9)); // a Wednesday: today is not a Sunday
    }

    void textsRead_data();
    void textsRead();
};

void TestContrast::textsRead_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<FormKind>("kind");
    QTest::addColumn<Finder>("where");

    const auto plain = [](const DayLook &l) { return !l.trailing && !l.selected && !l.bold && l.enabled; };
    const QList<std::pair<const char *, Finder>> month = {
        {"day", dayCell(plain)},
        {"Sunday", dayCell([](const DayLook &l) { return l.bold && !l.trailing; })},
        {"trailing day", dayCell([](const DayLook &l) { return l.trailing; })},
        {"today, selected", dayCell([](const DayLook &l) { return l.selected; })},
        {"title", inView([](const MonthView &, const Geometry &g) { return g.titleRect(0); })},
        {"header", inView([](const MonthView &, const Geometry &g) { return g.headerRect(0, 3).adjusted(0, 0, 0, -1); })},
        {"today line", inView([](const MonthView &, const Geometry &g) {
             return g.todayRect().adjusted(g.todayTextLeft(), 0, 0, 0);
         })}};
    QList<std::tuple<QByteArray, FormKind, Finder>> items;
    for (const auto &[window, kind] : {std::pair{"1 month", FormKind::FrmCalender}, {"3 months", FormKind::FrmCalender3}})
        for (const auto &[name, where] : month)
            items.append({QByteArray(window) + ", " + name, kind, where});
    items.append({"LblDate", FormKind::FrmMain, [](Form *f) { return widgetBox(f, QStringLiteral("LblDate")); }});
    for (const char *name :
         {"lblTitle", "lblVersion", "lblDescription", "Label1", "Label2", "lblDisclaimer", "Label3", "cmdOK", "cmdSysInfo"})
        items.append({name, FormKind::frmAbout, [name](Form *f) { return widgetBox(f, name); }});

    const QPalette original = QApplication::palette();
    for (const auto &[paletteName, palette] :
         {std::pair{"default", original}, {"dark", dark()}, {"dark buttons", darkButtons()}, {"high contrast", highContrast()}})
        for (const auto &[name, kind, where] : items)
            QTest::newRow(QByteArray(paletteName).append(": ").append(name)) << palette << kind << where;
}

void TestContrast::textsRead()
{
    QFETCH(QPalette, palette);
    QFETCH(FormKind, kind);
    QFETCH(Finder, where);

    QApplication::setPalette(palette); // before the window is built, as at start-up
    Form *form = Forms::Show(kind);
    const QImage image = form->grab().toImage();
    const QRect box = where(form);
    Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(!box.isEmpty());
    const double contrast = measured(image, box);
    qInfo("%s %.2f", QTest::currentDataTag(), contrast);
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
