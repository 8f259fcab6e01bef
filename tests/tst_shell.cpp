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

    // Show loads a window once, and again only after an unload; the program
    // ends with the last main window, once control is back in the event loop.
    void lifeCycle()
    {
        Form *main = Forms::Show(FormKind::FrmMain);
        QPointer<Form> about = Forms::Show(FormKind::frmAbout);
        QCOMPARE(Forms::Show(FormKind::frmAbout), about.data());
        QVERIFY(about->isVisible());
        QCOMPARE(std::pair(m_loads, Forms::mainWindowCount()), std::pair(2, 1)); // the About window is no main window
        Forms::Unload(FormKind::frmAbout);
        QPointer<Form> calendar = Forms::Switch(main, FormKind::FrmCalender);
        TestKit::flushDeletes();
        QVERIFY(about.isNull());
        QCOMPARE(m_ends, 0); // a switch leaves nothing loaded for a moment only
        QCOMPARE(Forms::instance(FormKind::FrmCalender), calendar.data());
        QCOMPARE(Forms::instance(FormKind::FrmMain), nullptr);
        Forms::Show(FormKind::frmAbout); // built afresh
        QCOMPARE(m_loads, 4);

        Forms::Unload(FormKind::frmAbout);
        QVERIFY(calendar->close()); // the title-bar button unloads
        QCOMPARE(Forms::loadedCount(), 0);
        QCOMPARE(m_ends, 0);
        TestKit::flushDeletes();
        QCOMPARE(m_ends, 1);
    }

    void platformChoice_data() { dataRows("platform_choice.txt", {"environment", "forced"}); }
    void platformChoice()
    {
        QFETCH(QByteArray, environment);
        QFETCH(QByteArray, forced);
        QMap<QByteArray, QByteArray> env;
        for (const QByteArray &pair : environment.split(' '))
            env.insert(pair.left(pair.indexOf('=')), pair.mid(pair.indexOf('=') + 1));
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
