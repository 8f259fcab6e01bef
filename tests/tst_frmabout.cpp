// The About window: its texts after load, its keys and buttons, its life beside the main window.

#include "testkit.h"

#include "about/frmabout.h"
#include "about/regfile.h"
#include "about/sysinfo.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>

using namespace TestKit;

class TestFrmAbout : public QObject
{
    Q_OBJECT

    int m_ends = 0;
    QStringList m_log; // programs started and messages shown
    QString m_registryFile;

    frmAbout *showAbout()
    {
        auto *form = qobject_cast<frmAbout *>(Forms::Show(FormKind::frmAbout));
        form->activateWindow();
        (void)QTest::qWaitForWindowActive(form);
        return form;
    }
    static QString text(QWidget *form, const char *label) { return form->findChild<QLabel *>(label)->text(); }

private slots:
    void initTestCase() { setUpWindows(); }
    void init()
    {
        m_ends = 0;
        m_log.clear();
        m_registryFile = QStringLiteral("start_none.reg");
        Forms::setProgramEnd([this] { ++m_ends; });
        SysInfo::Services fake;
        fake.openRegistry = [this] {
            return std::unique_ptr<Registry::Api>(new Registry::FileRegistry(
                Registry::FileRegistry::fromFile(dataPath("registry/" + m_registryFile).toStdString())));
        };
        fake.fileTest = [](const std::string &) { return std::string(); };
        fake.startProgram = [this](const std::string &path) { m_log << "start " + QString::fromStdString(path); };
        fake.messageBox = [this](const std::string &text) { m_log << QString::fromStdString(text); };
        frmAbout::setServicesForTesting(fake);
    }
    void cleanup()
    {
        unloadAll();
        frmAbout::setServicesForTesting(std::nullopt);
    }

    void afterLoad()
    {
        frmAbout *form = showAbout();
        QCOMPARE(form->windowTitle(), QStringLiteral(u"ミレボのﾊﾞｰｼﾞｮﾝ情報")); // no space after the title
        QCOMPARE(text(form, "lblVersion"), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.1.0"));
        QCOMPARE(text(form, "lblTitle"), QStringLiteral(u"ミレボ"));
        QCOMPARE(form->findChild<QLabel *>("picIcon")->pixmap().size(), QSize(32, 32));
        QStringList order;
        for (int i = 0; i < 4; ++i) {
            order << form->focusWidget()->objectName();
            QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"}));

        // The notice breaks between sentences, each line whole within the label.
        const QLabel *notice = form->findChild<QLabel *>("lblDisclaimer");
        const QStringList lines = notice->text().split(u'\n');
        const QFontMetrics metrics(notice->font());
        QCOMPARE(lines.size(), 4);
        for (const QString &line : lines) {
            QVERIFY2(line.endsWith(u'。'), qPrintable(line));
            QVERIFY2(metrics.horizontalAdvance(line) <= notice->width(), qPrintable(line));
        }
        QVERIFY((lines.size() - 1) * metrics.lineSpacing() + metrics.ascent() < notice->height()); // the last baseline
    }

    void keysAndButtons_data()
    {
        dataRows<QString, QString, QString, QString, QString>("about_keys.txt",
                                                              {"registry", "widget", "default", "key", "log"});
    }
    void keysAndButtons()
    {
        const QString key = field<QString>("key"), log = field<QString>("log");
        m_registryFile = field<QString>("registry");
        QPointer<frmAbout> form = showAbout();
        QWidget *target = form->findChild<QWidget *>(field<QString>("widget"));
        target->setFocus();
        for (QPushButton *button : form->findChildren<QPushButton *>())
            QCOMPARE(button->isDefault(), button->objectName() == field<QString>("default"));
        const QKeyCombination combination = QKeySequence::fromString(key, QKeySequence::PortableText)[0];
        if (key.isEmpty())
            QTest::mouseClick(target, Qt::LeftButton);
        else // through the window, so that the shortcut map sees the key too
            QTest::keyClick(form->windowHandle(), combination.key(), combination.keyboardModifiers());
        QTRY_COMPARE(m_log.join(u'\n'), log); // a mnemonic animates the click first
        QCOMPARE(Forms::instance(FormKind::frmAbout) == nullptr, log.isEmpty());
        QTRY_COMPARE(form.isNull(), log.isEmpty());
    }

    // Last: it leaves a style behind that puts icons on dialog buttons, as some desktops' do.
    void messageBoxOkWithoutIcon()
    {
        struct ButtonIcons : QProxyStyle
        {
            int styleHint(StyleHint hint, const QStyleOption *o, const QWidget *w, QStyleHintReturn *r) const override
            {
                return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(hint, o, w, r);
            }
        };
        QApplication::setStyle(new ButtonIcons);
        bool iconless = false;
        std::pair<int, int> textLeftAndMargin;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            iconless = box->buttons().size() == 1 && box->buttons().constFirst()->icon().isNull();
            textLeftAndMargin = {box->findChild<QLabel *>("qt_msgbox_label")->x(),
                                 box->layout()->contentsMargins().left()};
            box->accept();
        });
        SysInfo::desktopServices().messageBox("text");
        QVERIFY(iconless);
        QCOMPARE(textLeftAndMargin.first, textLeftAndMargin.second); // no room kept for an icon either
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
