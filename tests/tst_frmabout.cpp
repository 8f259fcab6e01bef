// The About window: its stored layout, its texts after load, the keys and
// buttons, and its life beside the main window.

#include "about/frmabout.h"
#include "about/regfile.h"
#include "about/sysinfo.h"
#include "app.h"
#include "shell/corner.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QTest>

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QRect twips(int x, int y, int width, int height) { return Twips::rectToPixels(x, y, width, height); }

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textsAfterLoad();
    void controlLayout_data();
    void controlLayout();
    void windowPlacement();
    void etchedRule();
    void picture();
    void tabOrder();

    void keysAndButtons_data();
    void keysAndButtons();

    void lifeBesideTheMainWindow();

private:
    frmAbout *showAbout();
    int m_ends = 0;
    QStringList m_log; // programs started and messages shown
    QString m_registryFile;
};

void TestFrmAbout::initTestCase()
{
    Platform::registerFontSubstitutes();
    mirebo::registerForms();
}

void TestFrmAbout::init()
{
    m_ends = 0;
    m_log.clear();
    m_registryFile = QStringLiteral("start_none.reg");
    Forms::setProgramEnd([this] { ++m_ends; });
    Screen::setSizeInTwipsForTesting({28800, 16200});

    SysInfo::Services fake;
    fake.openRegistry = [this] {
        const QString path = qEnvironmentVariable("MIREBO_TEST_DATA") + QStringLiteral("/registry/") + m_registryFile;
        return std::unique_ptr<Registry::Api>(
            new Registry::FileRegistry(Registry::FileRegistry::fromFile(path.toStdString())));
    };
    fake.fileTest = [](const std::string &) { return std::string(); };
    fake.startProgram = [this](const std::string &path) { m_log << "start " + QString::fromStdString(path); };
    fake.messageBox = [this](const std::string &text) { m_log << QString::fromStdString(text); };
    frmAbout::setServicesForTesting(fake);
}

void TestFrmAbout::cleanup()
{
    Forms::Unload(FormKind::frmAbout);
    Forms::Unload(FormKind::FrmMain);
    flushDeletes();
    frmAbout::setServicesForTesting(std::nullopt);
}

frmAbout *TestFrmAbout::showAbout()
{
    auto *form = qobject_cast<frmAbout *>(Forms::Show(FormKind::frmAbout));
    if (form) {
        QApplication::setActiveWindow(form);
        (void)QTest::qWaitForWindowActive(form);
    }
    return form;
}

void TestFrmAbout::textsAfterLoad()
{
    frmAbout *form = showAbout();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral(u"ミレボのﾊﾞｰｼﾞｮﾝ情報")); // no space after the title
    QCOMPARE(form->findChild<QLabel *>("lblVersion")->text(), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.1.0"));
    QCOMPARE(form->findChild<QLabel *>("lblTitle")->text(), QStringLiteral(u"ミレボ"));
}

void TestFrmAbout::controlLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("picture box sized to its picture") << "picIcon" << twips(240, 240, 540, 540);
    QTest::newRow("title") << "lblTitle" << twips(1050, 240, 3885, 480);
    QTest::newRow("disclaimer") << "lblDisclaimer" << twips(120, 2640, 3990, 705);
    QTest::newRow("OK") << "cmdOK" << twips(4245, 2625, 1380, 345);
    QTest::newRow("system information, 15 twips right of OK") << "cmdSysInfo" << twips(4260, 3075, 1380, 345);
    QTest::newRow("copyright, below the client area") << "Label3" << twips(600, 3960, 4695, 255);
}

void TestFrmAbout::controlLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    frmAbout *form = showAbout();
    QWidget *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), form->client());
    QCOMPARE(control->geometry(), pixels);
}

void TestFrmAbout::windowPlacement()
{
    frmAbout *form = showAbout();
    QCOMPARE(form->client()->size(), Twips::sizeToPixels(5730, 4170));
    QCOMPARE(form->client()->mapToGlobal(QPoint(0, 0)), Twips::toPixels(2340, 1935)); // the client's corner
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(!(form->windowFlags() & (Qt::WindowStaysOnTopHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

void TestFrmAbout::etchedRule()
{
    // A grey stroke of one pixel from 90 twips directly above a white one of
    // two from 105, both to 5654 twips.
    const QImage image = showAbout()->client()->grab().toImage();
    const int y = Twips::toPixels(2445), left = Twips::toPixels(90), right = Twips::toPixels(5654);
    QStringList pixels;
    for (const QPoint &at : {QPoint(left - 1, y), QPoint(left, y), QPoint(right - 1, y), QPoint(right, y)})
        pixels << QColor(image.pixel(at)).name();
    for (int x : {Twips::toPixels(105), right - 1})
        pixels << QColor(image.pixel(x, y + 1)).name() << QColor(image.pixel(x, y + 2)).name();
    QCOMPARE(pixels, QStringList({pixels[0], "#808080", "#808080", pixels[0], "#ffffff", "#ffffff", "#ffffff", "#ffffff"}));
    QVERIFY(pixels[0] != u"#808080");
}

void TestFrmAbout::picture()
{
    // The 32-pixel, 16-colour program icon in a sunken box of 540 twips.
    auto *pic = showAbout()->findChild<QLabel *>("picIcon");
    const QImage image = pic->pixmap().toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    QCOMPARE(pic->frameShadow(), QFrame::Sunken);
    QSet<QRgb> colours;
    for (int i = 0; i < 32 * 32; ++i)
        colours.insert(image.pixel(i % 32, i / 32));
    QVERIFY(colours.size() <= 16);
    QVERIFY(colours.contains(qRgb(0, 255, 255)) && colours.contains(qRgb(128, 0, 128)));
}

void TestFrmAbout::tabOrder()
{
    frmAbout *form = showAbout();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        order << form->focusWidget()->objectName();
        QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"})); // from OK, and round again
}

void TestFrmAbout::keysAndButtons_data()
{
    QTest::addColumn<QString>("registry");
    QTest::addColumn<QString>("widget"); // given the focus first, or clicked
    QTest::addColumn<int>("key");        // with its modifiers; 0 for a mouse click
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("log");

    const auto row = [](const char *name, const char *widget, int key, bool closes, const QStringList &log = {},
                        const char *registry = "start_none.reg") {
        QTest::newRow(name) << QString::fromLatin1(registry) << QString::fromLatin1(widget) << key << closes << log;
    };
    const int keypadEnter = (Qt::KeypadModifier | Qt::Key_Enter).toCombined();
    const QStringList message{QStringLiteral(u"現時点ではｼｽﾃﾑ情報を使用できません")};
    row("Esc on OK", "cmdOK", Qt::Key_Escape, true);
    row("keypad Enter on OK", "cmdOK", keypadEnter, true);
    row("Enter on the picture presses OK", "picIcon", Qt::Key_Return, true);
    row("Enter on system information presses it", "cmdSysInfo", Qt::Key_Return, false, message);
    row("Alt+S presses system information", "cmdOK", (Qt::AltModifier | Qt::Key_S).toCombined(), false, message);
    row("click on OK closes", "cmdOK", 0, true);
    row("click on system information without a tool: message, stays open", "cmdSysInfo", 0, false, message);
    row("click on system information starts the program the registry names", "cmdSysInfo", 0, false,
        {"start C:\\Program Files\\Tool\\tool.exe"}, "start_path.reg");
}

void TestFrmAbout::keysAndButtons()
{
    QFETCH(QString, registry);
    QFETCH(QString, widget);
    QFETCH(int, key);
    QFETCH(bool, closes);
    QFETCH(QStringList, log);
    m_registryFile = registry;
    frmAbout *form = showAbout();
    QPointer<frmAbout> guard(form);
    QWidget *target = form->findChild<QWidget *>(widget);
    target->setFocus();
    QCOMPARE(form->focusWidget(), target);
    const QKeyCombination combination = QKeyCombination::fromCombined(key);
    if (!key)
        QTest::mouseClick(target, Qt::LeftButton);
    else // through the window, so that the shortcut map sees the key too
        QTest::keyClick(form->windowHandle(), combination.key(), combination.keyboardModifiers());
    QTRY_COMPARE(m_log, log); // a mnemonic animates the click first
    QCOMPARE(Forms::instance(FormKind::frmAbout) == nullptr, closes);
    QTRY_COMPARE(guard.isNull(), closes);
}

void TestFrmAbout::lifeBesideTheMainWindow()
{
    Form *main = Forms::Show(FormKind::FrmMain);
    frmAbout *about = showAbout();
    auto *title = about->findChild<QLabel *>("lblTitle");
    title->setText(QStringLiteral("changed after load"));
    QCOMPARE(showAbout(), about);
    QCOMPARE(title->text(), QStringLiteral("changed after load")); // Form_Load did not run again

    // It stays through a switch and after the main window, and is no main window itself.
    Forms::Switch(main, FormKind::FrmMain);
    Forms::Unload(FormKind::FrmMain);
    flushDeletes();
    QCOMPARE(Forms::instance(FormKind::frmAbout), about);
    QVERIFY(about->isVisible());
    QCOMPARE(Forms::mainWindowCount(), 0);
    QCOMPARE(m_ends, 0);
    about->close(); // the title-bar close button
    QTRY_COMPARE(m_ends, 1);
    QCOMPARE(Forms::loadedCount(), 0);
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
