#include "shell/Module1.h"

#include <QWidget>

#include <windows.h>

long Module1::SetWindowPos(QWidget *hwnd, std::intptr_t hWndInsertAfter, int X, int Y, int cx, int cy,
                           unsigned wFlags)
{
    if (!hwnd)
        return 0;
    return ::SetWindowPos(reinterpret_cast<HWND>(hwnd->winId()),
                          reinterpret_cast<HWND>(hWndInsertAfter), X, Y, cx, cy, wFlags);
}
