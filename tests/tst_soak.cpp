// Thousands of window switches neither grow memory nor leave objects behind.

#include "testkit.h"

#include "shell/clock.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <malloc.h>

namespace {

// Resident memory with the allocator's free pages handed back first, so that
// what is measured is what the program holds, not what glibc keeps cached.
long residentKib()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    const bool opened = status.open(QIODevice::ReadOnly);
    const QRegularExpressionMatch vmRss =
        QRegularExpression("VmRSS:\\s*(\\d+)").match(QString::fromLatin1(status.readAll()));
    return opened && vmRss.hasMatch() ? vmRss.captured(1).toLong() : -1;
}

int objectCount()
{
    int count = int(qApp->findChildren<QObject *>().size());
    for (QWidget *top : QApplication::topLevelWidgets())
        count += 1 + int(top->findChildren<QObject *>().size());
    return count;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void thousandsOfSwitches()
    {
        TestKit::setUpWindows();
        Forms::setProgramEnd([] { QFAIL("the program ended during a switch"); });
        Clock::setToday(QDate(2026, 12, 6));
        const int asked = qEnvironmentVariableIntValue("MIREBO_SOAK_SWITCHES"), switches = asked > 0 ? asked : 6000;
        Forms::Show(FormKind::FrmMain);

        // A random walk over the view menus' switches, the same walk on every
        // run; windows get painted now and then, as they would on screen.
        QRandomGenerator random(20261206);
        QSet<QString> taken;
        auto step = [&](int i) {
            Form *form = TestKit::mainWindow();
            const QList<QAction *> choices = form->findChildren<QAction *>(QRegularExpression("^mnuHyouzi(Day|\\d+)$"));
            QAction *pick = choices[random.bounded(int(choices.size()))];
            taken.insert(form->objectName() + u' ' + pick->objectName());
            pick->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (i % 50 == 0)
                QCoreApplication::processEvents();
        };

        // Font and glyph caches fill during the first few thousand switches.
        const int warmUp = std::min(3000, switches / 2);
        for (int i = 0; i < warmUp; ++i)
            step(i);
        const QString warmUpEnd = TestKit::mainWindow()->objectName();
        const long rssBefore = residentKib();
        QVERIFY2(rssBefore > 0, "no resident memory in /proc/self/status");
        const int objectsBefore = objectCount();
        const int topLevelsBefore = int(QApplication::topLevelWidgets().size());

        for (int i = warmUp; i < switches; ++i)
            step(i);
        // Compare like with like: the same kind of window as after the warm-up.
        for (int i = switches; TestKit::mainWindow()->objectName() != warmUpEnd; ++i)
            step(i);
        TestKit::flushDeletes();

        QVERIFY(switches < 100 || taken.size() == 4 + 4 * 4); // every switch of every window taken
        QCOMPARE(Forms::loadedCount(), 1);
        QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelsBefore);
        QCOMPARE(objectCount(), objectsBefore);
        const long rssAfter = residentKib();
        QVERIFY2(rssAfter > 0, "no resident memory in /proc/self/status");
        const long grown = rssAfter - rssBefore;
        qInfo("%d switches; resident memory grew by %ld KiB after the warm-up", switches, grown);
        if (!qEnvironmentVariableIsSet("MIREBO_SANITIZED"))
            QVERIFY2(grown < 1024, qPrintable(QString::number(grown)));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
