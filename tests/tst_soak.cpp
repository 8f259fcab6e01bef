#include "app.h"
#include "shell/clock.h"
#include "shell/forms.h"
#include "shell/platform.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>

#include <malloc.h>

#include <map>
#include <vector>

namespace {

struct Command
{
    FormKind source;
    const char *name; // a menu item, or LblDate for the double-click
    FormKind target;
};

// Every switch of every main window.
std::vector<Command> commandTable()
{
    const FormKind main = FormKind::FrmMain, c1 = FormKind::FrmCalender, c3 = FormKind::FrmCalender3,
                   c6 = FormKind::FrmCalender6, c12 = FormKind::FrmCalender12;
    std::vector<Command> table{{main, "LblDate", c1}, {main, "mnuHyouzi1", c1}, {main, "mnuHyouzi3", c3},
                               {main, "mnuHyouzi6", c6}, {main, "mnuHyouzi12", c12}};
    const std::map<FormKind, const char *> items{{c1, "mnuHyouzi1"}, {c3, "mnuHyouzi3"}, {c6, "mnuHyouzi6"},
                                                 {c12, "mnuHyouzi12"}};
    for (const auto &[source, unused] : items) {
        table.push_back({source, "mnuHyouziDay", main});
        for (const auto &[target, item] : items) {
            if (target != source)
                table.push_back({source, item, target});
        }
    }
    return table;
}

void run(const Command &command)
{
    Form *form = Forms::instance(command.source);
    if (qstrcmp(command.name, "LblDate") == 0)
        QTest::mouseDClick(form->findChild<QLabel *>("LblDate"), Qt::LeftButton, {}, QPoint(4, 4));
    else
        form->findChild<QAction *>(command.name)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Resident memory with the allocator's free pages handed back first, so that
// what is measured is what the program holds, not what glibc keeps cached.
long residentKib()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int objectCount()
{
    int count = int(qApp->findChildren<QObject *>().size());
    for (QWidget *top : QApplication::topLevelWidgets())
        count += 1 + int(top->findChildren<QObject *>().size());
    return count;
}

QStringList objectsWithTimers()
{
    QStringList out;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        QList<QObject *> objects = top->findChildren<QObject *>();
        objects << top;
        for (QObject *object : objects) {
            if (!dispatcher->registeredTimers(object).isEmpty())
                out << QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
        }
    }
    return out;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noTimerAfterLoad_data();
    void noTimerAfterLoad();
    void thousandsOfSwitches();
};

void TestSoak::initTestCase()
{
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
    Forms::setProgramEnd([] { QFAIL("the program ended during a switch"); });
    Clock::setToday(QDate(2026, 12, 6));
}

void TestSoak::noTimerAfterLoad_data()
{
    QTest::addColumn<FormKind>("kind");
    for (FormKind kind : {FormKind::FrmMain, FormKind::FrmCalender, FormKind::FrmCalender3, FormKind::FrmCalender6,
                          FormKind::FrmCalender12})
        QTest::newRow(formKindName(kind)) << kind;
}

void TestSoak::noTimerAfterLoad()
{
    QFETCH(FormKind, kind);
    Form *form = Forms::Show(kind);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCoreApplication::processEvents();
    // Nothing on screen changes by itself, so nothing may wake the process.
    QCOMPARE(objectsWithTimers(), QStringList());
    Forms::Unload(kind);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestSoak::thousandsOfSwitches()
{
    const int switches = qEnvironmentVariableIntValue("MIREBO_SOAK_SWITCHES") > 0
        ? qEnvironmentVariableIntValue("MIREBO_SOAK_SWITCHES")
        : 10000;
    const std::vector<Command> table = commandTable();
    std::vector<int> runs(table.size(), 0);
    FormKind current = FormKind::FrmMain;
    Forms::Show(current);

    // A random walk over the command table, the same walk on every run: each
    // step picks one of the current window's commands.
    QRandomGenerator random(20261206);
    auto step = [&] {
        std::vector<std::size_t> choices;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].source == current)
                choices.push_back(i);
        }
        const std::size_t pick = choices[random.bounded(quint32(choices.size()))];
        ++runs[pick];
        run(table[pick]);
        current = table[pick].target;
    };
    // Windows get painted now and then, as they would on screen.
    auto switchAndPaint = [&](int i) {
        step();
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    };

    // Font and glyph caches fill during the first few thousand switches.
    const int warmUp = std::min(3000, switches / 3);
    for (int i = 0; i < warmUp; ++i)
        switchAndPaint(i);
    const FormKind warmUpEnd = current;
    const long rssBefore = residentKib();
    const int objectsBefore = objectCount();
    const int topLevelsBefore = int(QApplication::topLevelWidgets().size());

    for (int i = warmUp; i < switches; ++i)
        switchAndPaint(i);
    // Compare like with like: the same kind of window as after the warm-up.
    while (current != warmUpEnd)
        step();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(switches < 100 || *std::min_element(runs.begin(), runs.end()) > 0);
    QCOMPARE(Forms::mainWindowCount(), 1);
    QCOMPARE(Forms::loadedCount(), 1);
    QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelsBefore);
    QCOMPARE(objectCount(), objectsBefore);
    const long grown = residentKib() - rssBefore;
    qInfo("%d switches; resident memory grew by %ld KiB after the warm-up", switches, grown);
    if (!qEnvironmentVariableIsSet("MIREBO_SANITIZED"))
        QVERIFY2(grown < 1024, qPrintable(QString::number(grown)));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
