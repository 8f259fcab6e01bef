#include "app.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/datetext.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "shell/twips.h"
#include "today/frmmain.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

class TestFrmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void labelText_data();
    void labelText();
    void layoutAndMenus();
    void longTextIsClippedNotWidened();
    void doubleClick_data();
    void doubleClick();

private:
    QLabel *showLabel(const char *lang, QDate today);
};

void TestFrmMain::initTestCase()
{
    Platform::registerFontSubstitutes();
    mirebo::registerForms();
    Forms::setProgramEnd([] {});
    Screen::setSizeInTwipsForTesting({28800, 16200});
}

void TestFrmMain::cleanup()
{
    Forms::Unload(FormKind::FrmMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QLabel *TestFrmMain::showLabel(const char *lang, QDate today)
{
    qputenv("LANG", lang);
    DateTexts::reset();
    Clock::setToday(today);
    return Forms::Show(FormKind::FrmMain)->findChild<QLabel *>("LblDate");
}

void TestFrmMain::labelText_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");

    const QByteArray ja("ja_JP.UTF-8");
    QTest::newRow("Wednesday") << ja << QDate(2003, 4, 30) << QStringLiteral("2003年4月30日(水)");
    QTest::newRow("Sunday") << ja << QDate(2026, 12, 6) << QStringLiteral("2026年12月6日(日)");
    QTest::newRow("Monday, 1753") << ja << QDate(1753, 1, 1) << QStringLiteral("1753年1月1日(月)");
    QTest::newRow("Friday, 9999") << ja << QDate(9999, 12, 31) << QStringLiteral("9999年12月31日(金)");
    QTest::newRow("leap day, Thursday") << ja << QDate(2024, 2, 29) << QStringLiteral("2024年2月29日(木)");
    QTest::newRow("Tuesday") << ja << QDate(2026, 12, 1) << QStringLiteral("2026年12月1日(火)");
    QTest::newRow("English pattern, Japanese suffix") << QByteArray("en_US.UTF-8") << QDate(2026, 12, 6)
                                                      << QStringLiteral("December 6, 2026(日)");
    QTest::newRow("Japanese imperial calendar") << QByteArray("ja_JP.UTF-8@calendar=japanese") << QDate(2026, 12, 6)
                                                << QStringLiteral("令和8年12月6日(日)");
    QTest::newRow("German, Saturday") << QByteArray("de_DE.UTF-8") << QDate(2026, 12, 5)
                                      << QStringLiteral("5. Dezember 2026(土)");
}

void TestFrmMain::labelText()
{
    QFETCH(QByteArray, lang);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    QCOMPARE(showLabel(lang.constData(), today)->text(), expected);
}

void TestFrmMain::layoutAndMenus()
{
    const QLabel *label = showLabel("ja_JP.UTF-8", QDate(2026, 12, 6));
    auto *form = static_cast<Form *>(label->window());
    QCOMPARE(form->windowTitle(), QStringLiteral("ﾐﾚﾎﾞ"));
    QCOMPARE(form->pos(), QPoint((28800 - 2370) / 15, (16200 - 1500) / 15));
    QCOMPARE(form->client()->size(), Twips::sizeToPixels(2280, 405));
    QCOMPARE(form->client()->y(), form->menuBar()->height());
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(form->minimumSize(), form->maximumSize());

    QCOMPARE(label->pos(), Twips::toPixels(120, 120));
    QCOMPARE(label->size(), label->sizeHint()); // sized to its text
    QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(label->font().pointSize(), 12);
    QVERIFY(label->font().italic() && label->font().weight() == QFont::Normal);

    // Every menu in order, a sub-menu's items after its own entry.
    QStringList menus;
    const std::function<void(const QList<QAction *> &)> list = [&](const QList<QAction *> &actions) {
        for (QAction *action : actions) {
            menus << action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (action->menu())
                list(action->menu()->actions());
        }
    };
    list(form->menuBar()->actions());
    QCOMPARE(menus, QStringList({"mnuFile=ﾌｧｲﾙ(&F)", "mnuFileExit=終了(&X)", "mnuHyouzi=表示(&V)",
                                 "mnuHyouziCalender=ｶﾚﾝﾀﾞｰ(&C)", "mnuHyouzi1=1ヶ月(&M)", "mnuHyouzi3=3ヶ月(&T)",
                                 "mnuHyouzi6=6ヶ月(&S)", "mnuHyouzi12=12ヶ月(&Y)", "mnuHyouziLine1=-",
                                 "mnuHyouziAbout=ﾊﾞｰｼﾞｮﾝ情報(&A)"}));
    form->findChild<QAction *>("mnuHyouziAbout")->trigger();
    QVERIFY(Forms::instance(FormKind::frmAbout));
    Forms::Unload(FormKind::frmAbout);
}

void TestFrmMain::longTextIsClippedNotWidened()
{
    // "30. September 2026" is wider than the strip.
    const QLabel *label = showLabel("de_DE.UTF-8", QDate(2026, 9, 30));
    QVERIFY(label->geometry().right() > label->parentWidget()->width());
    QCOMPARE(label->parentWidget()->width(), Twips::toPixels(2280));
}

void TestFrmMain::doubleClick_data()
{
    QTest::addColumn<bool>("onLabel");
    QTest::newRow("on the label text") << true;
    QTest::newRow("on the empty client area") << false;
}

void TestFrmMain::doubleClick()
{
    QFETCH(bool, onLabel);
    // A stand-in for the one-month window records the switch.
    bool switched = false;
    Forms::registerKind(FormKind::FrmCalender, [&switched] {
        switched = true;
        return nullptr;
    });
    QLabel *label = showLabel("ja_JP.UTF-8", QDate(2026, 12, 6));
    QWidget *target = onLabel ? label : label->parentWidget();
    QTest::mouseDClick(target, Qt::LeftButton, {}, onLabel ? QPoint(4, 4) : QPoint(target->width() - 4, target->height() - 4));
    QCOMPARE(switched, onLabel);
    mirebo::registerForms();
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
