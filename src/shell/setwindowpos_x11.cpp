#include "shell/Module1.h"

#include <QWidget>
#include <QWindow>

// Only the topmost request is used here, with the size and the position left
// alone. Qt's xcb platform turns the stays-on-top flag into
// _NET_WM_STATE_ABOVE: written on the window before it is mapped, or sent to
// the window manager as a _NET_WM_STATE message once it is. Other platforms
// without a window manager (offscreen) simply keep the flag.
long Module1::SetWindowPos(QWidget *hwnd, std::intptr_t hWndInsertAfter, int, int, int, int,
                           unsigned wFlags)
{
    if (!hwnd || hWndInsertAfter != HWND_TOPMOST || (wFlags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE))
        return 0;

    if (!hwnd->isVisible()) {
        hwnd->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        return 1;
    }
    // QWidget::setWindowFlag would unmap and map a visible window again;
    // the QWindow changes the state in place.
    if (QWindow *window = hwnd->windowHandle())
        window->setFlags(window->flags() | Qt::WindowStaysOnTopHint);
    return 1;
}
