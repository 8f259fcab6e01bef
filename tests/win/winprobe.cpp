// winprobe: what Windows itself says about a window, for the Wine run.
//   winprobe rect TITLE    LEFT TOP RIGHT BOTTOM of GetWindowRect, then TOPMOST (0 or 1),
//                          the DPI and the screen's width and height, in physical pixels
//   winprobe texts TITLE   the texts of the window's controls, one a line (a message box's text)
//   winprobe state TITLE   VISIBLE MINIMIZED FOREGROUND, each 0 or 1: whether a user sees the
//                          window come up in front
// Waits up to 60 seconds for a visible top-level window of that exact title;
// exits 1 when none comes.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

BOOL CALLBACK printText(HWND child, LPARAM)
{
    wchar_t text[1024];
    char utf8[4096];
    const int length = GetWindowTextW(child, text, 1024);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, nullptr, nullptr);
    if (size > 0)
        std::printf("%.*s\n", size, utf8);
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t *argv[]); // the entry point with -municode, as main is without

int wmain(int argc, wchar_t *argv[])
{
    // Physical pixels, as a Windows user at that scale sees them.
    SetProcessDPIAware();
    if (argc != 3)
        return 2;
    // A limit in time, not a count of tries: on a loaded machine each try takes longer.
    const ULONGLONG end = GetTickCount64() + 60000;
    HWND window = FindWindowW(nullptr, argv[2]);
    while (!(window && IsWindowVisible(window)) && GetTickCount64() < end) {
        Sleep(50);
        window = FindWindowW(nullptr, argv[2]);
    }
    if (!window || !IsWindowVisible(window))
        return 1;
    if (std::wstring(argv[1]) == L"texts")
        return !EnumChildWindows(window, printText, 0);
    if (std::wstring(argv[1]) == L"state") {
        std::printf("%d %d %d\n", IsWindowVisible(window) ? 1 : 0, IsIconic(window) ? 1 : 0,
                    GetForegroundWindow() == window ? 1 : 0);
        return 0;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    const HDC screen = GetDC(nullptr);
    std::printf("%ld %ld %ld %ld %d %d %d %d\n", rect.left, rect.top, rect.right, rect.bottom,
                (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0, GetDeviceCaps(screen, LOGPIXELSX),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}
