#include "shell/corner.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QApplication>
#include <QFontInfo>
#include <QMap>
#include <QPointer>
#include <QTest>

#include "shell/captions.h"

namespace {

// A bare main window for the runtime's own tests.
class Plain : public Form
{
public:
    explicit Plain(FormKind kind, int *loads)
        : Form(kind, TitleButtons::CloseOnly)
        , m_loads(loads)
    {
        setClientSizeTwips(2280, 405);
    }

protected:
    void Form_Load() override
    {
        ++*m_loads;
        // The load step runs before the window is visible.
        QVERIFY(!isVisible());
    }

private:
    int *m_loads;
};

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void corner_data();
    void corner();

    void showLoadsOnce();
    void unloadingLastWindowEndsProgram();
    void switchDoesNotEndProgram();
    void closeButtonUnloads();
    void nextShowBuildsAfresh();

    void platformChoice_data();
    void platformChoice();
    void storedFontResolvesToProportionalGothic();
    void fallbackFontsOnlyWhereNeeded_data();
    void fallbackFontsOnlyWhereNeeded();

private:
    int m_loads = 0;
    int m_ends = 0;
};

void TestShell::init()
{
    m_loads = 0;
    m_ends = 0;
    for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::frmAbout})
        Forms::registerKind(kind, [this, kind] { return new Plain(kind, &m_loads); });
    Forms::setProgramEnd([this] { ++m_ends; });
}

void TestShell::cleanup()
{
    for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::frmAbout})
        Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    Screen::setSizeInTwipsForTesting({});
}

void TestShell::corner_data()
{
    QTest::addColumn<QRectF>("screen");
    QTest::addColumn<float>("offsetX");
    QTest::addColumn<float>("offsetY");
    QTest::addColumn<QPointF>("expected");

    QTest::newRow("today, 1920x1080") << QRectF(0, 0, 28800, 16200) << 2370.f << 1500.f << QPointF(26430, 14700);
    QTest::newRow("twelve months, 1920x1080") << QRectF(0, 0, 28800, 16200) << 7365.f << 9375.f << QPointF(21435, 6825);
    QTest::newRow("twelve months, 640x480: negative kept") << QRectF(0, 0, 9600, 7200) << 7365.f << 9375.f
                                                           << QPointF(2235, -2175);
    QTest::newRow("screen narrower than the window") << QRectF(0, 0, 1500, 1500) << 2370.f << 1500.f
                                                     << QPointF(-870, 0);
    QTest::newRow("3840x2160") << QRectF(0, 0, 57600, 32400) << 7350.f << 5340.f << QPointF(50250, 27060);
    QTest::newRow("primary right of and below another") << QRectF(28800, 1800, 28800, 16200) << 2370.f << 1500.f
                                                        << QPointF(55230, 16500);
}

void TestShell::corner()
{
    QFETCH(QRectF, screen);
    QFETCH(float, offsetX);
    QFETCH(float, offsetY);
    QFETCH(QPointF, expected);
    QCOMPARE(cornerPosition(screen, {offsetX, offsetY}), expected);
}

void TestShell::showLoadsOnce()
{
    Form *first = Forms::Show(FormKind::frmAbout);
    Form *second = Forms::Show(FormKind::frmAbout);
    QCOMPARE(first, second);
    QCOMPARE(m_loads, 1);
    QVERIFY(first->isVisible());
    QCOMPARE(Forms::loadedCount(), 1);
    QCOMPARE(Forms::mainWindowCount(), 0);
}

void TestShell::unloadingLastWindowEndsProgram()
{
    Forms::Show(FormKind::FrmMain);
    Forms::Show(FormKind::frmAbout);
    Forms::Unload(FormKind::FrmMain);
    QCoreApplication::processEvents();
    QCOMPARE(m_ends, 0); // the About window keeps the program running
    Forms::Unload(FormKind::frmAbout);
    QCOMPARE(m_ends, 0); // not before control is back in the event loop
    QCoreApplication::processEvents();
    QCOMPARE(m_ends, 1);
}

void TestShell::switchDoesNotEndProgram()
{
    Form *main = Forms::Show(FormKind::FrmMain);
    QPointer<Form> guard(main);
    Form *target = Forms::Switch(main, FormKind::FrmCalender);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_ends, 0);
    QVERIFY(guard.isNull());
    QCOMPARE(Forms::instance(FormKind::FrmCalender), target);
    QCOMPARE(Forms::mainWindowCount(), 1);
}

void TestShell::closeButtonUnloads()
{
    QPointer<Form> main = Forms::Show(FormKind::FrmMain);
    QVERIFY(main->close());
    QCOMPARE(Forms::instance(FormKind::FrmMain), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(main.isNull());
    QCoreApplication::processEvents();
    QCOMPARE(m_ends, 1);
}

void TestShell::nextShowBuildsAfresh()
{
    Form *first = Forms::Show(FormKind::FrmMain);
    first->setWindowTitle(QStringLiteral("changed"));
    Forms::Unload(FormKind::FrmMain);
    Form *second = Forms::Show(FormKind::FrmMain);
    QVERIFY(second->windowTitle() != QStringLiteral("changed"));
    QCOMPARE(m_loads, 2);
}

void TestShell::platformChoice_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QByteArray>("forced");

    QTest::newRow("X11 session") << "DISPLAY=:0,XDG_SESSION_TYPE=x11" << QByteArray();
    QTest::newRow("Wayland session with XWayland") << "DISPLAY=:0,WAYLAND_DISPLAY=wayland-0,XDG_SESSION_TYPE=wayland"
                                                   << QByteArray("xcb");
    QTest::newRow("Wayland, user chose a platform")
        << "DISPLAY=:0,WAYLAND_DISPLAY=wayland-0,QT_QPA_PLATFORM=wayland" << QByteArray();
    QTest::newRow("Wayland without XWayland") << "WAYLAND_DISPLAY=wayland-0" << QByteArray();
    QTest::newRow("no display at all") << "" << QByteArray();
}

void TestShell::platformChoice()
{
    QFETCH(QString, environment);
    QFETCH(QByteArray, forced);
    QMap<QByteArray, QByteArray> env;
    for (const QString &pair : environment.split(u',', Qt::SkipEmptyParts))
        env.insert(pair.section(u'=', 0, 0).toLatin1(), pair.section(u'=', 1).toLatin1());
    QCOMPARE(Platform::forcedQtPlatform([&](const char *name) { return env.value(name); }), forced);
}

void TestShell::storedFontResolvesToProportionalGothic()
{
    Platform::registerFontSubstitutes();
    const QFontInfo info(QFont(Captions::MsPGothic, 9));
    // fontconfig may report the face by its Japanese name.
    QVERIFY2(QStringList({"IPAPGothic", "IPA Pゴシック"}).contains(info.family()), qPrintable(info.family()));
    QVERIFY(!info.fixedPitch());
}

void TestShell::fallbackFontsOnlyWhereNeeded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("primaryOnly");

    QTest::newRow("Japanese date") << QStringLiteral("2026年12月6日(日)") << true;
    QTest::newRow("menu captions") << QStringLiteral("ﾌｧｲﾙ(&F)表示(&V)ｶﾚﾝﾀﾞｰ(&C)") << true;
    QTest::newRow("Thai date") << QStringLiteral("6 ธันวาคม 2569(日)") << false;
    QTest::newRow("Korean date") << QStringLiteral("2026년 12월 6일(日)") << false;
}

void TestShell::fallbackFontsOnlyWhereNeeded()
{
    QFETCH(QString, text);
    QFETCH(bool, primaryOnly);
    Platform::registerFontSubstitutes();
    const QFont font = Platform::primaryFontFor(QFont(Captions::MsPGothic, 9), text);
    // Without fallbacks a script the gothic lacks would show as empty boxes.
    QCOMPARE(bool(font.styleStrategy() & QFont::NoFontMerging), primaryOnly);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
