// The five main windows: their layouts and menus, where each command leads,
// the today window's text and the calendars' Sundays.

#include "testkit.h"

#include "calendar/frmcalender.h"
#include "calendar/monthview.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/datetext.h"
#include "shell/twips.h"
#include "today/datelabel.h"
#include "today/frmmain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

using namespace TestKit;

namespace {

const QDate Today(2026, 12, 6); // a Sunday

QStringList objectsWithTimers()
{
    QStringList out;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        const QList<QObject *> objects = top->findChildren<QObject *>() << top;
        for (QObject *object : objects) {
            if (!QAbstractEventDispatcher::instance()->registeredTimers(object).isEmpty())
                out << QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
        }
    }
    return out;
}

// The program's messages that the date strip narrowed its text.
int g_narrowings = 0;
QtMessageHandler g_handler = nullptr;
void countNarrowings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    g_narrowings += QByteArray(context.category) == "mirebo" && message.contains(u"narrows");
    g_handler(type, context, message);
}

// How far apart two drawings of one character are, each scaled from its ink's
// bounding box to one size: 0 the same, 1 black on white.
double inkDifference(const QImage &a, const QImage &b)
{
    auto normalized = [](const QImage &image) {
        QRect ink;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            if (qGray(image.pixel(i % image.width(), i / image.width())) < 128)
                ink |= QRect(i % image.width(), i / image.width(), 1, 1);
        }
        return image.copy(ink).scaled(24, 36, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage x = normalized(a), y = normalized(b);
    double sum = 0;
    for (int i = 0; i < 24 * 36; ++i)
        sum += std::abs(qGray(x.pixel(i % 24, i / 24)) - qGray(y.pixel(i % 24, i / 24)));
    return sum / (24 * 36 * 255);
}

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpWindows();
        g_handler = qInstallMessageHandler(countNarrowings);
    }
    void init()
    {
        m_ends = 0;
        Forms::setProgramEnd([this] { ++m_ends; });
        Clock::setToday(Today);
    }

    void cleanup()
    {
        unloadAll();
        for (const char *name : {"LC_TIME", "LC_ALL"})
            qunsetenv(name);
        qputenv("LANG", "ja_JP.UTF-8");
        DateTexts::reset();
    }

    void windows_data()
    {
        dataRows<QString, QString, QSize, QPoint, QSize, QSize>("windows.txt",
                                                                {"kind", "title", "client", "corner", "grid", "view"});
    }
    void windows()
    {
        const FormKind kind = kindNamed(field<QString>("kind"));
        const QSize client = field<QSize>("client"), grid = field<QSize>("grid"), view = field<QSize>("view");

        Form *form = Forms::Show(kind);
        QCOMPARE(form->windowTitle(), field<QString>("title"));
        QStringList menus{formKindName(kind)};
        listMenus(form->menuBar()->actions(), menus);
        QFile expected(dataPath("menus.txt"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(expected.readAll()).split(u'\n').contains(menus.join(u' ')),
                 qPrintable(menus.join(u' ')));
        QCOMPARE(form->client()->geometry(),
                 QRect(QPoint(0, form->menuBar()->height()), Twips::sizeToPixels(client.width(), client.height())));
        QCOMPARE(form->pos(), cornerPixels(field<QPoint>("corner")));

        const QString gothic = QStringLiteral("ＭＳ Ｐゴシック");
        if (kind == Main) {
            const QLabel *label = form->findChild<QLabel *>("LblDate");
            QCOMPARE(label->pos(), Twips::toPixels(120, 120));
            QCOMPARE(std::pair(label->font().family(), label->font().pointSize()), std::pair(gothic, 12));
            QCOMPARE(label->font().italic(), true);
            QCOMPARE(label->font().weight(), QFont::Normal);
        } else {
            auto *monthView =
                form->findChild<MonthView *>(QStringLiteral("MonthView%1").arg(grid.width() * grid.height()));
            QVERIFY(monthView);
            QCOMPARE(monthView->geometry(), Twips::rectToPixels(0, 0, view.width(), view.height()));
            QCOMPARE(QSize(monthView->monthColumns(), monthView->monthRows()), grid);
            QCOMPARE(monthView->value(), Today);
            QCOMPARE(std::pair(monthView->font().family(), monthView->font().pointSize()), std::pair(gothic, 9));
        }
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCoreApplication::processEvents();
        // Nothing on screen changes by itself, so nothing may wake the process.
        QCOMPARE(objectsWithTimers(), QStringList());
    }

    void commands_data() { dataRows<QString, QString, QString>("commands.txt", {"source", "command", "loaded"}); }
    void commands()
    {
        const QString command = field<QString>("command");
        Form *from = Forms::Show(kindNamed(field<QString>("source")));
        if (QWidget *widget = command == u"client" ? from->client() : from->findChild<QWidget *>(command))
            QTest::mouseDClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() - 4)); // left of the date
        else
            from->findChild<QAction *>(command)->trigger();
        QCoreApplication::processEvents();
        QStringList shown;
        for (FormKind kind : AllKinds) {
            if (Forms::instance(kind) && Forms::instance(kind)->isVisible())
                shown << formKindName(kind);
        }
        QCOMPARE(shown.join(u' '), field<QString>("loaded"));
        QCOMPARE(Forms::loadedCount(), shown.size());
        QCOMPARE(m_ends, shown.isEmpty() ? 1 : 0); // the program ends with its last window, and only then
    }

    void todayText_data()
    {
        dataRows<QString, QByteArray, QDate, QString, QString>("today_texts.txt",
                                                               {"face", "lang", "today", "expected", "drawn"});
    }
    void todayText()
    {
        qputenv("LANG", field<QByteArray>("lang"));
        DateTexts::reset();
        Clock::setToday(field<QDate>("today"));
        Form *form = Forms::Show(Main);
        auto *label = form->findChild<QLabel *>("LblDate");
        QFont font = label->font(); // or another face, as fontconfig may give
        font.setFamily(field<QString>("face"));
        label->setFont(font);
        label->adjustSize();
        QCOMPARE(label->text(), field<QString>("expected"));
        // Sized to its text; the strip never widens.
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QString drawn = field<QString>("drawn");
        QCOMPARE(dateWhole(form), drawn != u"cut");
        // So is the line under the menu bar, from edge to edge.
        const QImage bar = form->menuBar()->grab().toImage();
        int breaks = 0;
        for (int i = 0; i < bar.width() * 2; ++i)
            breaks += bar.pixel(i % bar.width(), bar.height() - 2 + i / bar.width())
                      != bar.pixel(0, bar.height() - 2 + i / bar.width());
        QCOMPARE(breaks, 0);
        if (drawn == u"narrowed")
            QCOMPARE(g_narrowings, 1); // said, once
    }

    void followsTheDay_data()
    {
        QTest::addColumn<FormKind>("kind");
        QTest::addColumn<QDate>("after");
        const std::pair<const char *, QDate> changes[] = {{"midnight", Today.addDays(1)},
                                                          {"clock set back", Today.addDays(-1)},
                                                          {"wake after a day", Today.addDays(2)},
                                                          {"clock set within the day", Today}};
        for (FormKind kind : {Main, C3})
            for (const auto &[change, after] : changes)
                QTest::addRow("%s, %s", formKindName(kind), change) << kind << after;
    }
    // What the window shows follows the day, and nothing else changes: not
    // the window, its place or size, nor the selected day and the months.
    void followsTheDay()
    {
        QFETCH(FormKind, kind);
        QFETCH(QDate, after);
        Form *form = Forms::Show(kind);
        auto *view = form->findChild<MonthView *>();
        if (view)
            view->setValue(Today.addDays(20)); // the user's choice
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QRect place = form->frameGeometry();
        const QImage shown = form->screen()->grabWindow(form->winId()).toImage();

        Clock::setToday(after);
        auto *watch = form->findChild<Platform::DayWatch *>();
        QVERIFY(watch);
        emit watch->dayMayHaveChanged();
        QCoreApplication::processEvents();
        QCOMPARE(Forms::instance(kind), form);
        QCOMPARE(form->frameGeometry(), place);
        QCOMPARE(form->screen()->grabWindow(form->winId()).toImage() != shown, after != Today);
        if (view) {
            QCOMPARE(std::pair(view->value(), view->firstDisplayedMonth()),
                     std::pair(Today.addDays(20), QDate(2026, 12, 1)));
            QVERIFY(view->todayText().endsWith(DateTexts::user().shortDate(after)));
        } else {
            const QLabel *label = form->findChild<QLabel *>("LblDate");
            QCOMPARE(label->text(), FrmMain::dateText(after));
            QCOMPARE(label->geometry(), QRect(Twips::toPixels(120, 120), label->sizeHint()));
        }
    }

    void stripDigits_data()
    {
        QTest::addColumn<QChar>("digit");
        for (char16_t digit = u'0'; digit <= u'9'; ++digit)
            QTest::newRow(QByteArray(1, char(digit))) << QChar(digit);
    }
    // Drawn large, each digit of the strip has the shape of the half-width one
    // IPAGothic shows for it, and the zero that of IPAPGothic's own, which has
    // no slash.
    void stripDigits()
    {
        QFETCH(QChar, digit);
        QFont font(Captions::MsPGothic, 96);
        font.setItalic(true);
        DateLabel label(digit);
        label.setFont(font);
        label.adjustSize();
        font.setFamily(digit == u'0' ? u"IPAPGothic"_s : u"IPAGothic"_s);
        QImage reference(label.size() * 2, QImage::Format_RGB32);
        reference.fill(label.palette().color(QPalette::Window));
        QPainter painter(&reference);
        painter.setFont(font);
        painter.drawText(label.width() / 2, label.height(), digit);
        painter.end();
        const double difference = inkDifference(label.grab().toImage(), reference);
        QVERIFY2(difference < 0.06, qPrintable(QString::number(difference)));
    }

    void sundays_data()
    {
        dataRows<int, int, int, QList<int>>("sundays.txt", {"startOfWeek", "count", "stateSize", "expected"});
    }
    void sundays()
    {
        const int startOfWeek = field<int>("startOfWeek");
        MonthView view;
        view.setStartOfWeek(startOfWeek);
        QList<bool> state(field<int>("stateSize"), false);
        CalendarForm::markSundays(view, QDate(2026, 11, 28 + startOfWeek % 7), field<int>("count"), state);
        QList<int> marked;
        for (int i = 0; i < state.size(); ++i) {
            if (state[i])
                marked << i;
        }
        QCOMPARE(marked, field<QList<int>>("expected"));
    }

    void opensOnTodayInAnyLocale_data() { dataRows<QByteArray, QByteArray>("odd_locales.txt", {"variable", "value"}); }
    // Every window under odd locales, on the first, an ordinary and the last
    // day: nothing crashes, the strip shows the locale's long date with the
    // weekday in Japanese, and the calendars open on today also where the
    // long date does not read back.
    void opensOnTodayInAnyLocale()
    {
        qunsetenv("LANG");
        qputenv(field<QByteArray>("variable").constData(), field<QByteArray>("value"));
        DateTexts::reset();
        for (const QDate today : {Today, QDate(1753, 1, 1), QDate(9999, 12, 31)}) {
            Clock::setToday(today);
            const QString date = DateTexts::user().longDate(today);
            QVERIFY2(!date.isEmpty() && !date.contains(QChar::ReplacementCharacter), qPrintable(date));
            const QString weekday = u'(' + QStringLiteral(u"月火水木金土日").at(today.dayOfWeek() - 1) + u')';
            for (FormKind kind : MainKinds) {
                Form *form = Forms::Show(kind);
                form->repaint();
                if (auto *calendar = qobject_cast<CalendarForm *>(form))
                    QCOMPARE(calendar->monthView()->value(), today);
                else
                    QCOMPARE(form->findChild<QLabel *>("LblDate")->text(), date + weekday);
                unloadAll();
            }
        }
    }

private:
    int m_ends = 0;
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
