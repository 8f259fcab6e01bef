#include "app.h"
#include "calendar/frmcalender.h"
#include "calendar/monthview.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/datetext.h"
#include "shell/platform.h"
#include "shell/twips.h"

#include <QLabel>
#include <QTest>

Q_DECLARE_METATYPE(FormKind)

namespace {

const FormKind Calendars[] = {FormKind::FrmCalender, FormKind::FrmCalender3, FormKind::FrmCalender6,
                              FormKind::FrmCalender12};

struct Offsets
{
    FormKind kind;
    int left, top;
};
const Offsets Corners[] = {{FormKind::FrmMain, 2370, 1500},
                           {FormKind::FrmCalender, 2475, 3315},
                           {FormKind::FrmCalender3, 7350, 3330},
                           {FormKind::FrmCalender6, 7350, 5340},
                           {FormKind::FrmCalender12, 7365, 9375}};

void unloadAll()
{
    for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::FrmCalender3, FormKind::FrmCalender6,
                          FormKind::FrmCalender12})
        Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

// Every window under many locales and screens: nothing crashes, the date is
// readable, and the calendars open on today wherever the long date does not
// read back.
class TestMatrix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void locales_data();
    void locales();
    void screens_data();
    void screens();
};

void TestMatrix::initTestCase()
{
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
    Forms::setProgramEnd([] {});
}

void TestMatrix::cleanup()
{
    unloadAll();
    for (const char *name : {"LANG", "LC_TIME", "LC_ALL"})
        qunsetenv(name);
    qputenv("LANG", "ja_JP.UTF-8");
    DateTexts::reset();
    Clock::setToday(std::nullopt);
    Screen::setSizeInTwipsForTesting({});
}

void TestMatrix::locales_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QDate>("today");

    const char *const values[] = {
        "ja_JP.UTF-8", "ja_JP.UTF-8@calendar=japanese", "ja_JP.eucJP", "ja_JP@calendar=chinese",
        "zh_CN.UTF-8", "zh_TW.UTF-8", "ko_KR.UTF-8", "th_TH.UTF-8", "th_TH.UTF-8@calendar=buddhist",
        "ar_SA.UTF-8", "ar_EG.UTF-8", "he_IL.UTF-8", "he_IL@calendar=hebrew", "fa_IR.UTF-8", "ur_PK.UTF-8",
        "de_DE.UTF-8", "de_DE@euro", "en_US.UTF-8", "en_GB.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8",
        "am_ET.UTF-8@calendar=ethiopic", "en_US@calendar=islamic-civil", "sr_RS@latin", "C", "POSIX", "C.UTF-8",
        "", "xx_YY", "!!garbage!!", "ja_JP.UTF-8@calendar=nonsense"};
    const char *const variables[] = {"LANG", "LC_TIME", "LC_ALL"};
    const QDate days[] = {QDate(2026, 12, 6), QDate(1753, 1, 1), QDate(9999, 12, 31)};
    int n = 0;
    for (const char *value : values) {
        const char *variable = variables[n++ % 3];
        for (QDate day : days)
            QTest::addRow("%s=%s %s", variable, value, qPrintable(day.toString(Qt::ISODate)))
                << QByteArray(variable) << QByteArray(value) << day;
    }
}

void TestMatrix::locales()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QDate, today);
    for (const char *name : {"LANG", "LC_TIME", "LC_ALL"})
        qunsetenv(name);
    qputenv(variable.constData(), value);
    DateTexts::reset();
    Clock::setToday(today);

    Form *main = Forms::Show(FormKind::FrmMain);
    const QString text = main->findChild<QLabel *>("LblDate")->text();
    QVERIFY2(text.size() > 4 && !text.startsWith(u'('), qPrintable(text));
    unloadAll();

    for (FormKind kind : Calendars) {
        auto *form = static_cast<CalendarForm *>(Forms::Show(kind));
        QCOMPARE(form->monthView()->value(), today);
        form->repaint();
        unloadAll();
    }
}

void TestMatrix::screens_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("640x480") << QSize(640, 480);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
    QTest::newRow("3840x2160") << QSize(3840, 2160);
    QTest::newRow("1366x768") << QSize(1366, 768);
}

void TestMatrix::screens()
{
    QFETCH(QSize, screen);
    Screen::setSizeInTwipsForTesting({Twips::fromPixels(screen.width()), Twips::fromPixels(screen.height())});
    for (const Offsets &corner : Corners) {
        Form *form = Forms::Show(corner.kind);
        // Frame top-left = screen - offset, in logical pixels, negative or not.
        QCOMPARE(form->pos(), QPoint(screen.width() - corner.left / 15, screen.height() - corner.top / 15));
        if (auto *calendar = qobject_cast<CalendarForm *>(form))
            QVERIFY(form->client()->rect().contains(calendar->monthView()->geometry()));
        unloadAll();
    }
}

QTEST_MAIN(TestMatrix)
#include "tst_matrix.moc"
