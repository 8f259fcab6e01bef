#include "shell/platform.h"

#include <QWidget>

#include <windows.h>

namespace Platform {

// Windows looks in the program's folder first for a DLL it does not always
// take from the system folder (not a KnownDLL): a version.dll left in a
// download folder beside Mirebo.exe would run inside it. The DLLs the
// program imports that are not KnownDLLs are delay-loaded, so that they are
// loaded by name after this; the load configuration's DependentLoadFlags
// (loadconfig_win.cpp) covers what the loader itself loads, on Windows 10
// 1607 and later. (The executable needs Windows 8 anyway: Qt imports API
// sets that came with it, and SetDefaultDllDirectories.)
void restrictDllSearch()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

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

} // namespace Platform
