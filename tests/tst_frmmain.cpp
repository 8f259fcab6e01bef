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
    void init();
    void cleanup();

    void labelText_data();
    void labelText();
    void layout();
    void menus();
    void longTextIsClippedNotWidened();
    void doubleClick_data();
    void doubleClick();

private:
    FrmMain *show();
};

void TestFrmMain::initTestCase()
{
    Platform::registerFontSubstitutes();
    mirebo::registerForms();
}

void TestFrmMain::init()
{
    Forms::setProgramEnd([] {});
    Screen::setSizeInTwipsForTesting({28800, 16200});
}

void TestFrmMain::cleanup()
{
    Forms::Unload(FormKind::FrmMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    Clock::setToday(std::nullopt);
    qputenv("LANG", "ja_JP.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_TIME");
    DateTexts::reset();
}

FrmMain *TestFrmMain::show()
{
    return qobject_cast<FrmMain *>(Forms::Show(FormKind::FrmMain));
}

void TestFrmMain::labelText_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Wednesday") << QByteArray("ja_JP.UTF-8") << QDate(2003, 4, 30) << QStringLiteral("2003年4月30日(水)");
    QTest::newRow("Sunday") << QByteArray("ja_JP.UTF-8") << QDate(2026, 12, 6) << QStringLiteral("2026年12月6日(日)");
    QTest::newRow("Saturday") << QByteArray("ja_JP.UTF-8") << QDate(2026, 12, 5) << QStringLiteral("2026年12月5日(土)");
    QTest::newRow("Monday, 1753") << QByteArray("ja_JP.UTF-8") << QDate(1753, 1, 1) << QStringLiteral("1753年1月1日(月)");
    QTest::newRow("Friday, 9999") << QByteArray("ja_JP.UTF-8") << QDate(9999, 12, 31)
                                  << QStringLiteral("9999年12月31日(金)");
    QTest::newRow("leap day") << QByteArray("ja_JP.UTF-8") << QDate(2024, 2, 29) << QStringLiteral("2024年2月29日(木)");
    QTest::newRow("English pattern, Japanese suffix") << QByteArray("en_US.UTF-8") << QDate(2026, 12, 6)
                                                      << QStringLiteral("December 6, 2026(日)");
    QTest::newRow("Japanese imperial calendar") << QByteArray("ja_JP.UTF-8@calendar=japanese") << QDate(2026, 12, 6)
                                                << QStringLiteral("令和8年12月6日(日)");
    QTest::newRow("German") << QByteArray("de_DE.UTF-8") << QDate(2026, 12, 5) << QStringLiteral("5. Dezember 2026(土)");
}

void TestFrmMain::labelText()
{
    QFETCH(QByteArray, lang);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    qputenv("LANG", lang);
    DateTexts::reset();
    Clock::setToday(today);
    FrmMain *form = show();
    QCOMPARE(form->findChild<QLabel *>("LblDate")->text(), expected);
}

void TestFrmMain::layout()
{
    FrmMain *form = show();
    QCOMPARE(form->windowTitle(), QStringLiteral("ﾐﾚﾎﾞ"));
    QCOMPARE(form->client()->size(), Twips::sizeToPixels(2280, 405));
    QCOMPARE(form->client()->y(), form->menuBar()->height());
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);

    const QLabel *label = form->findChild<QLabel *>("LblDate");
    QCOMPARE(label->pos(), Twips::toPixels(120, 120));
    QCOMPARE(label->size(), label->sizeHint()); // sized to its text
    QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(label->font().pointSize(), 12);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().weight(), QFont::Normal);
}

void TestFrmMain::menus()
{
    FrmMain *form = show();
    QStringList bar;
    for (QAction *action : form->menuBar()->actions())
        bar << action->objectName() + u'=' + action->text();
    QCOMPARE(bar, QStringList({"mnuFile=ﾌｧｲﾙ(&F)", "mnuHyouzi=表示(&V)"}));

    auto items = [form](const char *menu) {
        QStringList out;
        for (QAction *action : form->findChild<QMenu *>(menu)->actions())
            out << action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
        return out;
    };
    QCOMPARE(items("mnuFile"), QStringList({"mnuFileExit=終了(&X)"}));
    QCOMPARE(items("mnuHyouzi"), QStringList({"mnuHyouziCalender=ｶﾚﾝﾀﾞｰ(&C)", "mnuHyouziLine1=-",
                                              "mnuHyouziAbout=ﾊﾞｰｼﾞｮﾝ情報(&A)"}));
    QCOMPARE(items("mnuHyouziCalender"), QStringList({"mnuHyouzi1=1ヶ月(&M)", "mnuHyouzi3=3ヶ月(&T)",
                                                      "mnuHyouzi6=6ヶ月(&S)", "mnuHyouzi12=12ヶ月(&Y)"}));
}

void TestFrmMain::longTextIsClippedNotWidened()
{
    qputenv("LANG", "de_DE.UTF-8"); // "30. September 2026" is wider than the strip
    DateTexts::reset();
    Clock::setToday(QDate(2026, 9, 30));
    FrmMain *form = show();
    const QLabel *label = form->findChild<QLabel *>("LblDate");
    QVERIFY(label->geometry().right() > form->client()->width());
    QCOMPARE(form->client()->width(), Twips::toPixels(2280));
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
    FrmMain *form = show();
    QWidget *target = onLabel ? static_cast<QWidget *>(form->findChild<QLabel *>("LblDate")) : form->client();
    const QPoint where = onLabel ? QPoint(4, 4) : QPoint(target->width() - 4, target->height() - 4);
    QTest::mouseDClick(target, Qt::LeftButton, {}, where);
    QCOMPARE(switched, onLabel);
    mirebo::registerForms();
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
