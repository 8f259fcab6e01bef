#include "shell/Module1.h"

#include <QWidget>

#include <windows.h>

long Module1::SetWindowPos(QWidget *hwnd, std::intptr_t hWndInsertAfter, int X, int Y, int cx, int cy, unsigned wFlags)
{
    if (!hwnd)
        return 0;
    const BOOL done = ::SetWindowPos(reinterpret_cast<HWND>(hwnd->winId()), reinterpret_cast<HWND>(hWndInsertAfter), X,
                                     Y, cx, cy, wFlags);
    // Keep the toolkit's idea of the window in step, without it touching the
    // native window again, so that nothing it does later undoes the state.
    if (done && reinterpret_cast<HWND>(hWndInsertAfter) == HWND_TOPMOST)
        hwnd->overrideWindowFlags(hwnd->windowFlags() | Qt::WindowStaysOnTopHint);
    return done;
}
