// Switch latency: from a command in one window to the target window being
// mapped and exposed on a real X server, as the median of many switches.
// Prints figures only; it never passes or fails on time.
#include "app.h"
#include "shell/forms.h"
#include "shell/platform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Transition
{
    const char *label;
    FormKind from;
    const char *command;
    FormKind to;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool waitExposed(Form *form)
{
    QElapsedTimer guard;
    guard.start();
    while (!(form->windowHandle() && form->windowHandle()->isExposed())) {
        if (guard.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::selectQtPlatform();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
    Forms::setProgramEnd([] {});

    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const Transition cycle[] = {
        {"today -> 1 month", FormKind::FrmMain, "mnuHyouzi1", FormKind::FrmCalender},
        {"1 -> 12 months", FormKind::FrmCalender, "mnuHyouzi12", FormKind::FrmCalender12},
        {"12 months -> today", FormKind::FrmCalender12, "mnuHyouziDay", FormKind::FrmMain},
    };
    std::vector<std::vector<double>> times(std::size(cycle));

    if (!waitExposed(Forms::Show(FormKind::FrmMain))) {
        std::fprintf(stderr, "bench_switch: the today window was never exposed\n");
        return 1;
    }
    for (int round = 0; round < rounds + 2; ++round) {
        for (std::size_t i = 0; i < std::size(cycle); ++i) {
            QAction *command = Forms::instance(cycle[i].from)->findChild<QAction *>(cycle[i].command);
            QElapsedTimer timer;
            timer.start();
            command->trigger();
            if (!waitExposed(Forms::instance(cycle[i].to))) {
                std::fprintf(stderr, "bench_switch: %s never exposed\n", cycle[i].label);
                return 1;
            }
            const double ms = timer.nsecsElapsed() / 1e6;
            if (round >= 2) // the first rounds load fonts and caches
                times[i].push_back(ms);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    std::printf("%-22s %10s %10s\n", "switch", "median ms", "frames");
    for (std::size_t i = 0; i < std::size(cycle); ++i) {
        const double m = median(times[i]);
        std::printf("%-22s %10.2f %10.2f\n", cycle[i].label, m, m / 16.0);
    }
    return 0;
}
