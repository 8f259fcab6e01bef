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
        QTest::addColumn<FormKind>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("client");  // twips, as all sizes here
        QTest::addColumn<QPoint>("corner"); // offsets from the lower right corner of the screen
        QTest::addColumn<QSize>("grid");    // months across and down
        QTest::addColumn<QSize>("view");
        QTest::addColumn<bool>("ownFont");

        const QString calendar = QStringLiteral("ミレボ");
        QTest::newRow("today") << Main << QStringLiteral("ﾐﾚﾎﾞ") << QSize(2280, 405) << QPoint(2370, 1500) << QSize()
                               << QSize() << false;
        QTest::newRow("1 month") << C1 << calendar << QSize(2385, 2220) << QPoint(2475, 3315) << QSize(1, 1)
                                 << QSize(2385, 2220) << true;
        QTest::newRow("3 months") << C3 << calendar << QSize(7260, 2235) << QPoint(7350, 3330) << QSize(3, 1)
                                  << QSize(7215, 2220) << false;
        QTest::newRow("6 months") << C6 << calendar << QSize(7260, 4245) << QPoint(7350, 5340) << QSize(3, 2)
                                  << QSize(7215, 4230) << true;
        QTest::newRow("12 months") << C12 << calendar << QSize(7275, 8280) << QPoint(7365, 9375) << QSize(3, 4)
                                   << QSize(7215, 8250) << false;
    }

    void windows()
    {
        QFETCH(FormKind, kind);
        QFETCH(QString, title);
        QFETCH(QSize, client);
        QFETCH(QPoint, corner);
        QFETCH(QSize, grid);
        QFETCH(QSize, view);
        QFETCH(bool, ownFont);

        Form *form = Forms::Show(kind);
        QCOMPARE(form->windowTitle(), title);
        QStringList menus{formKindName(kind)};
        listMenus(form->menuBar()->actions(), menus);
        QFile expected(dataPath("menus.txt"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(expected.readAll()).split(u'\n').contains(menus.join(u' ')), qPrintable(menus.join(u' ')));
        const Qt::WindowFlags minimize = kind == Main ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags();
        QCOMPARE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                                        | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
                 minimize | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->client()->geometry(),
                 QRect(QPoint(0, form->menuBar()->height()), Twips::sizeToPixels(client.width(), client.height())));
        QCOMPARE(form->pos(), cornerPixels(corner));

        const QString gothic = QStringLiteral("ＭＳ Ｐゴシック");
        if (kind == Main) {
            const QLabel *label = form->findChild<QLabel *>("LblDate");
            QCOMPARE(label->pos(), Twips::toPixels(120, 120));
            QCOMPARE(std::pair(label->font().family(), label->font().pointSize()), std::pair(gothic, 12));
            QVERIFY(label->font().italic() && label->font().weight() == QFont::Normal);
        } else {
            auto *monthView = form->findChild<MonthView *>(QStringLiteral("MonthView%1").arg(grid.width() * grid.height()));
            QVERIFY(monthView);
            QCOMPARE(monthView->geometry(), Twips::rectToPixels(0, 0, view.width(), view.height()));
            QCOMPARE(QSize(monthView->monthColumns(), monthView->monthRows()), grid);
            QCOMPARE(std::pair(monthView->minDate(), monthView->maxDate()), std::pair(QDate(1753, 1, 1), QDate(9999, 12, 31)));
            QCOMPARE(monthView->StartOfWeek(), 1);
            QCOMPARE(monthView->value(), Today);
            QCOMPARE(monthView->testAttribute(Qt::WA_SetFont), ownFont);
            QCOMPARE(std::pair(monthView->font().family(), monthView->font().pointSize()), std::pair(gothic, 9));
        }
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCoreApplication::processEvents();
        // Nothing on screen changes by itself, so nothing may wake the process.
        QCOMPARE(objectsWithTimers(), QStringList());
    }

    void commands_data()
    {
        QTest::addColumn<FormKind>("source");
        QTest::addColumn<QString>("command");        // an action, or a double-click on a widget
        QTest::addColumn<QList<FormKind>>("loaded"); // afterwards

        QTest::newRow("today: double-click on the date") << Main << "LblDate" << QList{C1};
        QTest::newRow("today: double-click beside it") << Main << "client" << QList{Main};
        QTest::newRow("today: About") << Main << "mnuHyouziAbout" << QList{Main, About};
        const std::pair<const char *, FormKind> switches[] = {
            {"mnuHyouziDay", Main}, {"mnuHyouzi1", C1}, {"mnuHyouzi3", C3}, {"mnuHyouzi6", C6}, {"mnuHyouzi12", C12}};
        for (FormKind source : MainKinds) {
            QTest::addRow("%s: exit", formKindName(source)) << source << "mnuFileExit" << QList<FormKind>{};
            for (const auto &[command, target] : switches) {
                if (target != source)
                    QTest::addRow("%s: %s", formKindName(source), command) << source << QString(command) << QList{target};
            }
        }
    }

    void commands()
    {
        QFETCH(FormKind, source);
        QFETCH(QString, command);
        QFETCH(QList<FormKind>, loaded);

        Form *from = Forms::Show(source);
        if (QWidget *widget = command == u"client" ? from->client() : from->findChild<QWidget *>(command))
            QTest::mouseDClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() - 4)); // left of the date
        else
            from->findChild<QAction *>(command)->trigger();
        QCoreApplication::processEvents();
        for (FormKind kind : {Main, C1, C3, C6, C12, About}) {
            const bool shown = Forms::instance(kind) && Forms::instance(kind)->isVisible();
            QVERIFY2(shown == loaded.contains(kind), formKindName(kind));
        }
        QCOMPARE(Forms::loadedCount(), loaded.size());
        QCOMPARE(m_ends, loaded.isEmpty() ? 1 : 0); // the program ends with its last window, and only then
    }

    void todayText_data()
    {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected");

        const QByteArray ja("ja_JP.UTF-8"), de("de_DE.UTF-8");
        QTest::newRow("Wednesday") << ja << QDate(2003, 4, 30) << QStringLiteral("2003年4月30日(水)");
        QTest::newRow("Sunday") << ja << QDate(2026, 12, 6) << QStringLiteral("2026年12月6日(日)");
        QTest::newRow("Monday, 1753") << ja << QDate(1753, 1, 1) << QStringLiteral("1753年1月1日(月)");
        QTest::newRow("Tuesday") << ja << QDate(2026, 12, 1) << QStringLiteral("2026年12月1日(火)");
        QTest::newRow("leap day, Thursday") << ja << QDate(2024, 2, 29) << QStringLiteral("2024年2月29日(木)");
        QTest::newRow("Friday, 9999") << ja << QDate(9999, 12, 31) << QStringLiteral("9999年12月31日(金)");
        QTest::newRow("German, Saturday") << de << QDate(2026, 12, 5) << QStringLiteral("5. Dezember 2026(土)");
        QTest::newRow("English pattern, Japanese suffix") << QByteArray("en_US.UTF-8") << QDate(2026, 12, 6)
                                                          << QStringLiteral("December 6, 2026(日)");
        QTest::newRow("German, wider than the strip") << de << QDate(2026, 9, 30) << QStringLiteral("30. September 2026(水)");
    }

    void todayText()
    {
        QFETCH(QByteArray, lang);
        QFETCH(QDate, today);
        QFETCH(QString, expected);
        qputenv("LANG", lang);
        DateTexts::reset();
        Clock::setToday(today);
        const QLabel *label = Forms::Show(Main)->findChild<QLabel *>("LblDate");
        QCOMPARE(label->text(), expected);
        // Sized to its text; the strip clips a text too long for it and never widens.
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(label->parentWidget()->width(), Twips::toPixels(2280));
    }

    void sundays_data()
    {
        QTest::addColumn<int>("startOfWeek"); // the run starts on that weekday, 1 = Sunday
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("stateSize");
        QTest::addColumn<QList<int>>("expected");

        QTest::newRow("one month as six weeks") << 1 << 42 << 42 << QList<int>{0, 7, 14, 21, 28, 35};
        QTest::newRow("one week and a day: the last Sunday stays plain") << 1 << 8 << 8 << QList<int>{0};
        QTest::newRow("one day") << 1 << 1 << 1 << QList<int>{};
        // Any other first day: the run's real Sundays, never past the array.
        QTest::newRow("Monday first") << 2 << 42 << 42 << QList<int>{6, 13, 20, 27, 34, 41};
        QTest::newRow("Saturday first") << 7 << 42 << 42 << QList<int>{1, 8, 15, 22, 29, 36};
        QTest::newRow("state shorter than the count") << 2 << 42 << 10 << QList<int>{6};
    }

    void sundays()
    {
        QFETCH(int, startOfWeek);
        QFETCH(int, count);
        QFETCH(int, stateSize);
        QFETCH(QList<int>, expected);
        MonthView view;
        view.setStartOfWeek(startOfWeek);
        QList<bool> state(stateSize, false);
        CalendarForm::markSundays(view, QDate(2026, 11, 28 + startOfWeek % 7), count, state);
        QList<int> marked;
        for (int i = 0; i < state.size(); ++i) {
            if (state[i])
                marked << i;
        }
        QCOMPARE(marked, expected);
    }

    void opensOnTodayInAnyLocale_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");

        const char *const values[] = {
            "ja_JP.UTF-8@calendar=japanese", "ja_JP.eucJP", "ja_JP@calendar=chinese", "zh_TW.UTF-8", "ko_KR.UTF-8",
            "th_TH.UTF-8@calendar=buddhist", "ar_SA.UTF-8", "he_IL@calendar=hebrew", "fa_IR.UTF-8", "ur_PK.UTF-8",
            "de_DE@euro", "en_US.UTF-8", "ru_RU.UTF-8", "am_ET.UTF-8@calendar=ethiopic", "en_US@calendar=islamic-civil",
            "sr_RS@latin", "C", "POSIX", "", "xx_YY", "!!garbage!!", "ja_JP.UTF-8@calendar=nonsense"};
        const char *const variables[] = {"LANG", "LC_TIME", "LC_ALL"};
        int n = 0;
        for (const char *value : values) {
            const char *variable = variables[n++ % 3];
            QTest::addRow("%s=%s", variable, value) << QByteArray(variable) << QByteArray(value);
        }
    }

    // Every window under odd locales, on the first, an ordinary and the last
    // day: nothing crashes, the date is readable, and the calendars open on
    // today also where the long date does not read back.
    void opensOnTodayInAnyLocale()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        qunsetenv("LANG");
        qputenv(variable.constData(), value);
        DateTexts::reset();
        for (const QDate today : {Today, QDate(1753, 1, 1), QDate(9999, 12, 31)}) {
            Clock::setToday(today);
            for (FormKind kind : MainKinds) {
                Form *form = Forms::Show(kind);
                form->repaint();
                if (auto *calendar = qobject_cast<CalendarForm *>(form))
                    QCOMPARE(calendar->monthView()->value(), today);
                else
                    QVERIFY2(form->findChild<QLabel *>("LblDate")->text().size() > 4, "no date in the today window");
                unloadAll();
            }
        }
    }

private:
    int m_ends = 0;
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
