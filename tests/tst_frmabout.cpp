// The About window: its stored layout, its texts after load, the keys and
// buttons, and its life beside the main window.

#include "about/frmabout.h"
#include "about/regfile.h"
#include "about/sysinfo.h"
#include "app.h"
#include "shell/captions.h"
#include "shell/corner.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>

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
    void fontsAndColours_data();
    void fontsAndColours();
    void etchedRule();
    void picture();
    void labelsAreFixedOpaqueAndWrap();
    void tabOrder();

    void keys_data();
    void keys();
    void okButtonCloses();
    void sysInfoButtonShowsMessageAndStaysOpen();
    void altSPressesSysInfo();
    void sysInfoStartsFromRegistryFile();

    void singleInstance();
    void staysOpenAcrossSwitch();
    void keepsProgramRunning();

private:
    frmAbout *showAbout();
    int m_ends = 0;
    QStringList m_messages;
    QStringList m_starts;
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
    m_messages.clear();
    m_starts.clear();
    m_registryFile = qEnvironmentVariable("MIREBO_TEST_DATA") + QStringLiteral("/registry/start_none.reg");
    Forms::setProgramEnd([this] { ++m_ends; });
    Screen::setSizeInTwipsForTesting({28800, 16200});

    SysInfo::Services fake;
    fake.openRegistry = [this] {
        return std::unique_ptr<Registry::Api>(
            new Registry::FileRegistry(Registry::FileRegistry::fromFile(m_registryFile.toStdString())));
    };
    fake.fileTest = [](const std::string &) { return std::string(); };
    fake.startProgram = [this](const std::string &path) { m_starts << QString::fromStdString(path); };
    fake.messageBox = [this](const std::string &text) { m_messages << QString::fromStdString(text); };
    frmAbout::setServicesForTesting(fake);
}

void TestFrmAbout::cleanup()
{
    Forms::Unload(FormKind::frmAbout);
    Forms::Unload(FormKind::FrmMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
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
    QCOMPARE(form->windowTitle(), QStringLiteral(u"ミレボのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(form->findChild<QLabel *>("lblVersion")->text(), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.1.0"));
    QCOMPARE(form->findChild<QLabel *>("lblTitle")->text(), QStringLiteral(u"ミレボ"));
    // Everything else stays as stored.
    QCOMPARE(form->findChild<QLabel *>("lblDescription")->text(), QStringLiteral(u"ﾐﾚﾎﾞ（ﾐﾚﾎﾞﾅ）に関するｻﾎﾟｰﾄについては以下のURLをご覧ください。"));
    QCOMPARE(form->findChild<QLabel *>("Label1")->text(), QStringLiteral(u"「Quelbrook」"));
    QCOMPARE(form->findChild<QPushButton *>("cmdSysInfo")->text(), QStringLiteral(u"ｼｽﾃﾑ情報(&S)..."));
    QCOMPARE(form->findChild<QPushButton *>("cmdOK")->text(), QStringLiteral("OK"));
    QVERIFY(form->findChild<QLabel *>("Label2")->text().startsWith(QStringLiteral("https://www.example.com/")));
    QVERIFY(form->findChild<QLabel *>("lblDisclaimer")->text().contains(QStringLiteral("Quelbrook")));
    QVERIFY(form->findChild<QLabel *>("Label3")->text().contains(QStringLiteral("Quelbrook")));
    QVERIFY(!form->menuBar());
}

void TestFrmAbout::controlLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("picture box sized to its picture") << "picIcon" << QRect(240, 240, 540, 540);
    QTest::newRow("title") << "lblTitle" << QRect(1050, 240, 3885, 480);
    QTest::newRow("version") << "lblVersion" << QRect(1050, 780, 3885, 225);
    QTest::newRow("description") << "lblDescription" << QRect(1080, 1200, 4005, 450);
    QTest::newRow("brand") << "Label1" << QRect(480, 1920, 1215, 255);
    QTest::newRow("web address") << "Label2" << QRect(1920, 1920, 3495, 255);
    QTest::newRow("disclaimer") << "lblDisclaimer" << QRect(120, 2640, 3990, 705);
    QTest::newRow("OK") << "cmdOK" << QRect(4245, 2625, 1380, 345);
    QTest::newRow("system information, 15 twips right of OK") << "cmdSysInfo" << QRect(4260, 3075, 1380, 345);
    QTest::newRow("copyright, below the client area") << "Label3" << QRect(600, 3960, 4695, 255);
}

void TestFrmAbout::controlLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    frmAbout *form = showAbout();
    QWidget *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), form->client());
    QCOMPARE(control->geometry(), Twips::rectToPixels(twips.x(), twips.y(), twips.width(), twips.height()));
}

void TestFrmAbout::windowPlacement()
{
    frmAbout *form = showAbout();
    QCOMPARE(form->client()->size(), Twips::sizeToPixels(5730, 4170));
    // The client area's corner, not the frame's.
    QCOMPARE(form->client()->mapToGlobal(QPoint(0, 0)), Twips::toPixels(2340, 1935));
    QVERIFY(!(form->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(form->minimumSize(), form->maximumSize());
}

void TestFrmAbout::fontsAndColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("points"); // 0: the window's default font
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("colour"); // invalid: the default label colour
    QTest::newRow("brand bold 9 point") << "Label1" << 9.0 << true << QColor();
    QTest::newRow("address bold blue") << "Label2" << 9.0 << true << QColor(0, 0, 255);
    QTest::newRow("disclaimer regular 8.25 black") << "lblDisclaimer" << 8.25 << false << QColor(Qt::black);
    QTest::newRow("title black") << "lblTitle" << 0.0 << false << QColor(Qt::black);
    QTest::newRow("description black") << "lblDescription" << 0.0 << false << QColor(Qt::black);
}

void TestFrmAbout::fontsAndColours()
{
    QFETCH(QString, name);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(QColor, colour);
    frmAbout *form = showAbout();
    auto *label = form->findChild<QLabel *>(name);
    QVERIFY(label);
    if (points > 0) {
        QCOMPARE(label->font().family(), Captions::MsPGothic);
        QCOMPARE(label->font().pointSizeF(), points);
        QCOMPARE(label->font().bold(), bold);
    } else {
        QCOMPARE(label->font(), form->font());
    }
    if (colour.isValid())
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
}

void TestFrmAbout::etchedRule()
{
    frmAbout *form = showAbout();
    const QList<QWidget *> strokes = form->client()->findChildren<QWidget *>("Line1");
    QCOMPARE(strokes.size(), 2);
    QWidget *grey = strokes[0]->property("index").toInt() == 1 ? strokes[0] : strokes[1];
    QWidget *white = grey == strokes[0] ? strokes[1] : strokes[0];
    QCOMPARE(grey->geometry(), QRect(Twips::toPixels(90), Twips::toPixels(2445), Twips::toPixels(5654) - Twips::toPixels(90), 1));
    QCOMPARE(white->geometry(), QRect(Twips::toPixels(105), Twips::toPixels(2460), Twips::toPixels(5654) - Twips::toPixels(105), 2));
    // Grey directly above white.
    QCOMPARE(grey->geometry().bottom() + 1, white->geometry().top());
    const QImage image = form->client()->grab().toImage();
    const int x = Twips::toPixels(3000);
    QCOMPARE(QColor(image.pixel(x, grey->y())), QColor(128, 128, 128));
    QCOMPARE(QColor(image.pixel(x, white->y())), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(x, white->y() + 1)), QColor(Qt::white));
}

void TestFrmAbout::picture()
{
    frmAbout *form = showAbout();
    auto *pic = form->findChild<QLabel *>("picIcon");
    const QPixmap pixmap = pic->pixmap();
    QCOMPARE(pixmap.size(), QSize(32, 32));
    QCOMPARE(pic->size(), QSize(36, 36)); // 540 twips, picture plus the 3-D border
    QCOMPARE(pic->frameShadow(), QFrame::Sunken);

    QSet<QRgb> colours;
    const QImage image = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() <= 16);
    for (QRgb wanted : {qRgb(255, 255, 255), qRgb(0, 255, 255), qRgb(128, 0, 128), qRgb(0, 255, 0), qRgb(255, 255, 0)})
        QVERIFY2(colours.contains(wanted), qPrintable(QColor(wanted).name()));
}

void TestFrmAbout::labelsAreFixedOpaqueAndWrap()
{
    frmAbout *form = showAbout();
    const QList<QLabel *> labels = form->client()->findChildren<QLabel *>();
    int count = 0;
    for (QLabel *label : labels) {
        if (label->objectName() == QLatin1String("picIcon"))
            continue;
        ++count;
        QVERIFY2(label->wordWrap(), qPrintable(label->objectName()));
        QVERIFY2(label->autoFillBackground(), qPrintable(label->objectName()));
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->textInteractionFlags(), Qt::NoTextInteraction);
        QVERIFY(!label->openExternalLinks());
    }
    QCOMPARE(count, 7);
}

void TestFrmAbout::tabOrder()
{
    frmAbout *form = showAbout();
    QCOMPARE(form->focusWidget()->objectName(), QStringLiteral("cmdOK"));
    QStringList order;
    QWidget *widget = form->focusWidget();
    for (int i = 0; i < 3; ++i) {
        order << widget->objectName();
        QTest::keyClick(widget, Qt::Key_Tab);
        widget = form->focusWidget();
    }
    QCOMPARE(order, (QStringList{"cmdOK", "picIcon", "cmdSysInfo"}));
    QCOMPARE(widget->objectName(), QStringLiteral("cmdOK")); // and round again
}

void TestFrmAbout::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Esc on OK") << "cmdOK" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter on OK") << "cmdOK" << int(Qt::Key_Enter) << true;
    QTest::newRow("Enter on the picture") << "picIcon" << int(Qt::Key_Return) << true;
    QTest::newRow("Esc on the picture") << "picIcon" << int(Qt::Key_Escape) << true;
    QTest::newRow("Esc on system information") << "cmdSysInfo" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on system information presses it") << "cmdSysInfo" << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter on system information") << "cmdSysInfo" << int(Qt::Key_Enter) << false;
    QTest::newRow("Space on OK") << "cmdOK" << int(Qt::Key_Space) << true;
}

void TestFrmAbout::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
    frmAbout *form = showAbout();
    QWidget *target = form->findChild<QWidget *>(focus);
    target->setFocus();
    QCOMPARE(form->focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(Forms::instance(FormKind::frmAbout) == nullptr, closes);
    QCOMPARE(m_messages.size(), closes ? 0 : 1);
}

void TestFrmAbout::okButtonCloses()
{
    frmAbout *form = showAbout();
    QPointer<frmAbout> guard(form);
    QTest::mouseClick(form->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
    QVERIFY(!Forms::instance(FormKind::frmAbout));
    QTRY_VERIFY(guard.isNull());
}

void TestFrmAbout::sysInfoButtonShowsMessageAndStaysOpen()
{
    frmAbout *form = showAbout();
    auto *button = form->findChild<QPushButton *>("cmdSysInfo");
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_messages, QStringList{QStringLiteral(u"現時点ではｼｽﾃﾑ情報を使用できません")});
    QCOMPARE(Forms::instance(FormKind::frmAbout), form);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(m_starts.isEmpty());
}

void TestFrmAbout::altSPressesSysInfo()
{
    frmAbout *form = showAbout();
    // Through the window, so that the shortcut map sees the key.
    QTest::keyClick(form->windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(m_messages.size(), 1); // a mnemonic animates the click first
    QCOMPARE(Forms::instance(FormKind::frmAbout), form);
}

void TestFrmAbout::sysInfoStartsFromRegistryFile()
{
    m_registryFile = qEnvironmentVariable("MIREBO_TEST_DATA") + QStringLiteral("/registry/start_path.reg");
    frmAbout *form = showAbout();
    QTest::mouseClick(form->findChild<QPushButton *>("cmdSysInfo"), Qt::LeftButton);
    QCOMPARE(m_starts, QStringList{QStringLiteral("C:\\Program Files\\Tool\\tool.exe")});
    QVERIFY(m_messages.isEmpty());

    std::string value;
    QVERIFY(form->GetKeyValue(Registry::HKEY_LOCAL_MACHINE, SysInfo::LocationKey, SysInfo::LocationValue, value));
    QCOMPARE(value, std::string("C:\\Tools"));
}

void TestFrmAbout::singleInstance()
{
    frmAbout *first = showAbout();
    auto *title = first->findChild<QLabel *>("lblTitle");
    title->setText(QStringLiteral("changed after load"));
    frmAbout *second = showAbout();
    QCOMPARE(second, first);
    int windows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows += (qobject_cast<frmAbout *>(w) && !w->testAttribute(Qt::WA_WState_Hidden)) ? 1 : 0;
    QCOMPARE(windows, 1);
    QCOMPARE(title->text(), QStringLiteral("changed after load")); // Form_Load did not run again
}

void TestFrmAbout::staysOpenAcrossSwitch()
{
    Form *main = Forms::Show(FormKind::FrmMain);
    QVERIFY(main);
    frmAbout *about = showAbout();
    const QString caption = about->windowTitle();
    Forms::Switch(main, FormKind::FrmMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCOMPARE(Forms::instance(FormKind::frmAbout), about);
    QVERIFY(about->isVisible());
    QCOMPARE(about->windowTitle(), caption);
    QCOMPARE(Forms::mainWindowCount(), 1);
    QCOMPARE(m_ends, 0);
}

void TestFrmAbout::keepsProgramRunning()
{
    QVERIFY(Forms::Show(FormKind::FrmMain));
    frmAbout *about = showAbout();
    Forms::Unload(FormKind::FrmMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCOMPARE(m_ends, 0);
    QCOMPARE(Forms::loadedCount(), 1);

    about->close(); // the title-bar close button
    QTRY_COMPARE(m_ends, 1);
    QCOMPARE(Forms::loadedCount(), 0);
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
