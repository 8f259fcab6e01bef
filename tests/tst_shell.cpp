#include "testkit.h"

#include "shell/captions.h"

#include <QMap>
#include <QPointer>
#include <QTest>

namespace {

// A bare window for the runtime's own tests; it counts its load steps.
struct Plain : Form
{
    Plain(FormKind kind, int *loads) : Form(kind, TitleButtons::CloseOnly), loads(loads) {}
    void Form_Load() override
    {
        ++*loads;
        QVERIFY(!isVisible()); // the load step runs before the window shows
    }
    int *loads;
};

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_loads = m_ends = 0;
        for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::frmAbout})
            Forms::registerKind(kind, [this, kind] { return new Plain(kind, &m_loads); });
        Forms::setProgramEnd([this] { ++m_ends; });
    }
    void cleanup() { TestKit::unloadAll(); }

    void corner_data()
    {
        QTest::addColumn<QRectF>("screen");
        QTest::addColumn<QPointF>("offsets");
        QTest::addColumn<QPointF>("expected");

        QTest::newRow("today, 1920x1080") << QRectF(0, 0, 28800, 16200) << QPointF(2370, 1500) << QPointF(26430, 14700);
        QTest::newRow("twelve months, 640x480: negative kept") << QRectF(0, 0, 9600, 7200) << QPointF(7365, 9375)
                                                               << QPointF(2235, -2175);
        QTest::newRow("screen narrower than the window") << QRectF(0, 0, 1500, 1500) << QPointF(2370, 1500)
                                                         << QPointF(-870, 0);
        QTest::newRow("primary right of and below another") << QRectF(28800, 1800, 28800, 16200) << QPointF(2370, 1500)
                                                            << QPointF(55230, 16500);
    }

    void corner()
    {
        QFETCH(QRectF, screen);
        QFETCH(QPointF, offsets);
        QFETCH(QPointF, expected);
        QCOMPARE(cornerPosition(screen, {float(offsets.x()), float(offsets.y())}), expected);
    }

    void showLoadsOnceUntilUnloaded()
    {
        Form *first = Forms::Show(FormKind::frmAbout);
        QCOMPARE(Forms::Show(FormKind::frmAbout), first);
        QCOMPARE(m_loads, 1);
        QVERIFY(first->isVisible());
        QCOMPARE(Forms::loadedCount(), 1);
        QCOMPARE(Forms::mainWindowCount(), 0); // the About window is no main window

        QPointer<Form> guard(first);
        Forms::Unload(FormKind::frmAbout);
        TestKit::flushDeletes();
        QVERIFY(guard.isNull());
        Forms::Show(FormKind::frmAbout); // built afresh
        QCOMPARE(m_loads, 2);
    }

    void programEndsWithTheLastWindow()
    {
        Form *main = Forms::Show(FormKind::FrmMain);
        Forms::Show(FormKind::frmAbout);
        Forms::Unload(FormKind::frmAbout);
        QPointer<Form> calendar = Forms::Switch(main, FormKind::FrmCalender);
        TestKit::flushDeletes();
        QCOMPARE(m_ends, 0); // a switch leaves nothing loaded for a moment only
        QCOMPARE(Forms::instance(FormKind::FrmCalender), calendar.data());
        QCOMPARE(Forms::instance(FormKind::FrmMain), nullptr);
        QCOMPARE(Forms::mainWindowCount(), 1);

        QVERIFY(calendar->close()); // the title-bar button unloads
        QCOMPARE(Forms::loadedCount(), 0);
        QCOMPARE(m_ends, 0); // not before control is back in the event loop
        TestKit::flushDeletes();
        QCOMPARE(m_ends, 1);
    }

    void platformChoice_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QByteArray>("forced");

        QTest::newRow("X11 session") << "DISPLAY=:0,XDG_SESSION_TYPE=x11" << QByteArray();
        QTest::newRow("Wayland session with XWayland") << "DISPLAY=:0,WAYLAND_DISPLAY=wayland-0,XDG_SESSION_TYPE=wayland"
                                                       << QByteArray("xcb");
        QTest::newRow("Wayland, user chose a platform")
            << "DISPLAY=:0,WAYLAND_DISPLAY=wayland-0,QT_QPA_PLATFORM=wayland" << QByteArray();
        QTest::newRow("Wayland without XWayland") << "WAYLAND_DISPLAY=wayland-0" << QByteArray();
    }

    void platformChoice()
    {
        QFETCH(QString, environment);
        QFETCH(QByteArray, forced);
        QMap<QByteArray, QByteArray> env;
        for (const QString &pair : environment.split(u','))
            env.insert(pair.section(u'=', 0, 0).toLatin1(), pair.section(u'=', 1).toLatin1());
        QCOMPARE(Platform::forcedQtPlatform([&](const char *name) { return env.value(name); }), forced);
    }

    void fallbackFontsOnlyWhereNeeded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("primaryOnly");

        QTest::newRow("Japanese date") << QStringLiteral("2026年12月6日(日)") << true;
        QTest::newRow("menu captions") << QStringLiteral("ﾌｧｲﾙ(&F)表示(&V)ｶﾚﾝﾀﾞｰ(&C)") << true;
        QTest::newRow("Thai date") << QStringLiteral("6 ธันวาคม 2569(日)") << false;
    }

    void fallbackFontsOnlyWhereNeeded()
    {
        QFETCH(QString, text);
        QFETCH(bool, primaryOnly);
        Platform::registerFontSubstitutes();
        const QFont font = Platform::primaryFontFor(QFont(Captions::MsPGothic, 9), text);
        // Without fallbacks a script the gothic lacks would show as empty boxes.
        QCOMPARE(bool(font.styleStrategy() & QFont::NoFontMerging), primaryOnly);
    }

private:
    int m_loads = 0;
    int m_ends = 0;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
