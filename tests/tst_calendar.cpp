// The five main windows: their layouts and menus, where each command leads,
// the today window's text and the calendars' Sundays.

#include "testkit.h"

#include "calendar/frmcalender.h"
#include "calendar/monthview.h"
#include "shell/clock.h"
#include "shell/datetext.h"
#include "shell/twips.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainterPath>
#include <QRawFont>

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

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpWindows(); }
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
        dataRows<QByteArray, QDate, QString, bool>("today_texts.txt", {"lang", "today", "expected", "whole"});
    }
    void todayText()
    {
        qputenv("LANG", field<QByteArray>("lang"));
        DateTexts::reset();
        Clock::setToday(field<QDate>("today"));
        Form *form = Forms::Show(Main);
        const QLabel *label = form->findChild<QLabel *>("LblDate");
        QCOMPARE(label->text(), field<QString>("expected"));
        // Sized to its text; the strip clips a text too long for it and never widens.
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(dateWhole(form), field<bool>("whole"));
    }

    void halfWidthDigitsAreIpaGothics_data()
    {
        QTest::addColumn<quint32>("digit");
        for (quint32 digit = 0; digit < 10; ++digit)
            QTest::addRow("%u", digit) << digit;
    }
    // The strip's half-width digits, glyphs 214 to 223 of IPAPGothic, are IPAGothic's digits.
    void halfWidthDigitsAreIpaGothics()
    {
        QFETCH(quint32, digit);
        auto outlines = [](const char *family) { // as designed, unhinted
            QFont font(QString::fromLatin1(family), 12);
            font.setHintingPreference(QFont::PreferNoHinting);
            return QRawFont::fromFont(font);
        };
        const QRawFont gothic = outlines("IPAGothic"), pgothic = outlines("IPAPGothic");
        const quint32 glyph = 214 + digit;
        QCOMPARE(gothic.glyphIndexesForString(QString::number(digit)).value(0), glyph);
        const QPainterPath own = pgothic.pathForGlyph(glyph), its = gothic.pathForGlyph(glyph);
        QCOMPARE(own.elementCount(), its.elementCount());
        // The two files' outlines differ by a design unit here and there.
        const QRectF a = own.boundingRect(), b = its.boundingRect();
        QString boxes;
        QDebug(&boxes) << a << b;
        QVERIFY2((a.topLeft() - b.topLeft()).manhattanLength() + (a.bottomRight() - b.bottomRight()).manhattanLength()
                     < 0.1,
                 qPrintable(boxes));
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
