#include "shell/Module1.h"

#include <QWidget>
#include <QWindow>

// Only the topmost request is used here, with the size and the position left
// alone. Qt's xcb platform turns the stays-on-top flag into
// _NET_WM_STATE_ABOVE: written on the window before it is mapped, or sent to
// the window manager as a _NET_WM_STATE message once it is. Platforms
// without a window manager (offscreen) simply keep the flag.
long Module1::SetWindowPos(QWidget *hwnd, std::intptr_t hWndInsertAfter, int, int, int, int, unsigned wFlags)
{
    if (!hwnd || hWndInsertAfter != HWND_TOPMOST || (wFlags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE))
        return 0;

    QWindow *window = hwnd->windowHandle();
    if (!window) {
        hwnd->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        return 1;
    }
    // The native window exists (placement made it): change its state in
    // place. QWidget::setWindowFlag would destroy and rebuild it, losing
    // the position just set, and unmap it if it were visible.
    hwnd->overrideWindowFlags(hwnd->windowFlags() | Qt::WindowStaysOnTopHint);
    window->setFlags(window->flags() | Qt::WindowStaysOnTopHint);
    return 1;
}
