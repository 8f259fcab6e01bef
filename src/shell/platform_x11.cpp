#include "shell/platform.h"

#include "shell/captions.h"

#include <QDateTime>
#include <QFont>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>

#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace Platform {

void selectQtPlatform()
{
    const QByteArray platform = forcedQtPlatform([](const char *name) { return qgetenv(name); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

void moveFrameTo(QWidget *window, QPoint frame)
{
    // Before the first show nobody knows the size of the frame yet, and a
    // plain move() would put the client area there. A frame position makes
    // the window manager place the frame itself (north-west gravity).
    window->winId();
    window->move(frame);
    if (QWindow *handle = window->windowHandle())
        handle->setFramePosition(frame);
}

// "ＭＳ Ｐゴシック" is not installed here. IPAPGothic stands in for it, a
// proportional Japanese gothic as it is, though not cut to its widths: its
// digits, for one, are 0.63 em wide (see the date strip's label).
void registerFontSubstitutes()
{
    QFont::insertSubstitution(Captions::MsPGothic, QStringLiteral("IPAPGothic"));
}

// A timer on the wall clock for the next local midnight, which the kernel
// also ends when the clock is set (by hand, by a time server's step, or by
// the time the machine slept); and a watch on /etc, where a new time zone
// replaces /etc/localtime.
struct DayWatch::Native
{
    int timer = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    int zone = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);

    ~Native()
    {
        for (int fd : {timer, zone}) {
            if (fd >= 0)
                close(fd);
        }
    }

    // Armed afresh at every wake-up, whatever woke it: a timer the clock
    // set ended stays ended, and a time zone moves midnight.
    void arm() const
    {
        const qint64 midnight = QDate::currentDate().addDays(1).startOfDay().toMSecsSinceEpoch();
        itimerspec at{};
        at.it_value.tv_sec = midnight / 1000;
        at.it_value.tv_nsec = midnight % 1000 * 1000000;
        timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr);
    }

    // Whether the timer ran out or was ended by a setting of the clock
    // (ECANCELED); false when nothing is waiting.
    bool timerWoke() const
    {
        quint64 expirations = 0;
        return read(timer, &expirations, sizeof expirations) == sizeof expirations || errno == ECANCELED;
    }

    // Whether /etc/localtime came or went among the changes in /etc.
    bool zoneChanged() const
    {
        bool changed = false;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        for (ssize_t size; (size = read(zone, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t at = 0; at < size;) {
                inotify_event event{};
                std::memcpy(&event, buffer.data() + at, sizeof event);
                changed =
                    changed || (event.len > 0 && std::strcmp(buffer.data() + at + sizeof event, "localtime") == 0);
                at += ssize_t(sizeof event + event.len);
            }
        }
        return changed;
    }
};

DayWatch::DayWatch(QObject *parent)
    : QObject(parent)
    , d(new Native)
{
    if (d->timer >= 0) {
        d->arm();
        connect(new QSocketNotifier(d->timer, QSocketNotifier::Read, this), &QSocketNotifier::activated, this, [this] {
            if (d->timerWoke()) {
                d->arm();
                emit dayMayHaveChanged();
            }
        });
    }
    if (d->zone >= 0 && inotify_add_watch(d->zone, "/etc", IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE) >= 0) {
        connect(new QSocketNotifier(d->zone, QSocketNotifier::Read, this), &QSocketNotifier::activated, this, [this] {
            if (d->zoneChanged()) {
                d->arm();
                emit dayMayHaveChanged();
            }
        });
    }
}

// The notifiers go before the descriptors they watch are closed.
DayWatch::~DayWatch()
{
    qDeleteAll(findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly));
}

} // namespace Platform
