#include "testkit.h"

#include "shell/captions.h"

#include <QMap>
#include <QPointer>
#include <QTest>

namespace {

// A bare window for the runtime's own tests; it counts its load steps.
struct Plain : Form
{
    Plain(FormKind kind, int *loadCount)
        : Form(kind, TitleButtons::CloseOnly)
        , loads(loadCount)
    {}
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

    void platformChoice_data() { dataRows<QByteArray, QByteArray>("platform_choice.txt", {"environment", "forced"}); }
    void platformChoice()
    {
        QMap<QByteArray, QByteArray> env;
        for (const QByteArray &pair : field<QByteArray>("environment").split(' '))
            env.insert(pair.left(pair.indexOf('=')), pair.mid(pair.indexOf('=') + 1));
        QCOMPARE(Platform::forcedQtPlatform([&](const char *name) { return env.value(name); }),
                 field<QByteArray>("forced"));
    }

    void fallbackFontsOnlyWhereNeeded_data() { dataRows<QString, bool>("fallback_fonts.txt", {"text", "primaryOnly"}); }
    void fallbackFontsOnlyWhereNeeded()
    {
        Platform::registerFontSubstitutes();
        const QFont font = Platform::primaryFontFor(QFont(Captions::MsPGothic, 9), field<QString>("text"));
        // Without fallbacks a script the gothic lacks would show as empty boxes.
        QCOMPARE(bool(font.styleStrategy() & QFont::NoFontMerging), field<bool>("primaryOnly"));
    }

private:
    int m_loads = 0, m_ends = 0;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
