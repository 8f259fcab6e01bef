#include "shell/platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDateTime>
#include <QWidget>
#include <QWinEventNotifier>

#include <windows.h>

namespace Platform {

// Windows has only its own platform; of its two font engines, DirectWrite
// draws the Japanese texts the crisper (grey antialiasing, no GDI hinting)
// and starts the quicker: the GDI engine selects its font into a device
// context for every glyph it measures. A platform the user chose stays.
void selectQtPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=directwrite");
}

// "ＭＳ Ｐゴシック" is one of the system fonts: nothing to substitute.
void registerFontSubstitutes() {}

// The frame is the window rectangle, the one GetWindowRect and SetWindowPos
// use. Qt's frame position is the visible frame instead: Qt assumes the
// resize borders Windows 10 keeps invisible (SM_CXSIZEFRAME plus
// SM_CXPADDEDBORDER, 4 to 5 pixels) on the left, right and bottom of every
// framed window and moves the rectangle that far left, so the window would
// end short of the screen's right edge. Instead the client area goes where
// the window's own borders put it, measured on the native window, which
// exists by now with its final style.
void moveFrameTo(QWidget *window, QPoint frame)
{
    const HWND hwnd = reinterpret_cast<HWND>(window->winId());
    RECT outer{};
    POINT client{0, 0};
    GetWindowRect(hwnd, &outer);
    ClientToScreen(hwnd, &client);
    // Logical to physical pixels: the primary screen is at the origin.
    const qreal scale = window->devicePixelRatioF();
    const QPointF clientPixels = QPointF(frame) * scale + QPointF(client.x - outer.left, client.y - outer.top);
    window->setGeometry(QRect((clientPixels / scale).toPoint(), window->size()));
}

// A waitable timer for the next local midnight, its due time absolute, which
// Windows moves along when the clock is set; and the messages every
// top-level window gets when the clock or the time zone is set
// (WM_TIMECHANGE) and when the machine has woken up (the resume notice).
struct DayWatch::Native : QAbstractNativeEventFilter
{
    explicit Native(DayWatch *watch)
        : owner(watch)
    {}
    ~Native() override
    {
        if (timer)
            CloseHandle(timer);
    }
    Native(const Native &) = delete;
    Native &operator=(const Native &) = delete;

    // Armed afresh at every wake-up: a time zone moves midnight.
    void arm() const
    {
        // In 100-nanosecond steps from 1601, UTC.
        const qint64 midnight = QDate::currentDate().addDays(1).startOfDay().toMSecsSinceEpoch();
        LARGE_INTEGER due{};
        due.QuadPart = (midnight + 11644473600000LL) * 10000;
        SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        const auto *msg = static_cast<const MSG *>(message);
        if (type == "windows_generic_MSG"
            && (msg->message == WM_TIMECHANGE
                || (msg->message == WM_POWERBROADCAST && msg->wParam == PBT_APMRESUMEAUTOMATIC))) {
            arm();
            emit owner->dayMayHaveChanged();
        }
        return false;
    }

    DayWatch *owner;
    HANDLE timer = CreateWaitableTimerW(nullptr, FALSE, nullptr); // resets when waited for
};

DayWatch::DayWatch(QObject *parent)
    : QObject(parent)
    , d(new Native(this))
{
    QCoreApplication::instance()->installNativeEventFilter(d.get());
    if (d->timer) {
        d->arm();
        connect(new QWinEventNotifier(d->timer, this), &QWinEventNotifier::activated, this, [this] {
            d->arm();
            emit dayMayHaveChanged();
        });
    }
}

// The notifier goes before the timer it waits for is closed.
DayWatch::~DayWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(d.get());
    qDeleteAll(findChildren<QWinEventNotifier *>(Qt::FindDirectChildrenOnly));
}

} // namespace Platform
