// winprobe: what Windows itself says about a window, for the Wine run.
//   winprobe rect TITLE    LEFT TOP RIGHT BOTTOM of GetWindowRect, then TOPMOST (0 or 1),
//                          the DPI and the screen's width and height, in physical pixels
//   winprobe texts TITLE   the texts of the window's controls, one a line (a message box's text)
// Waits up to 20 seconds for a visible top-level window of that exact title;
// exits 1 when none comes.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void print(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), size, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

HWND waitForWindow(const wchar_t *title)
{
    for (int i = 0; i < 400; ++i) {
        const HWND window = FindWindowW(nullptr, title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK printText(HWND child, LPARAM)
{
    wchar_t text[1024];
    if (GetWindowTextW(child, text, 1024) > 0)
        print(std::wstring(text) + L"\n");
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    // Physical pixels, as a Windows user at that scale sees them.
    SetProcessDPIAware();
    if (argc != 3) {
        std::fputs("usage: winprobe rect|texts TITLE\n", stderr);
        return 2;
    }
    const HWND window = waitForWindow(argv[2]);
    if (!window)
        return 1;
    if (std::wstring(argv[1]) == L"texts") {
        EnumChildWindows(window, printText, 0);
        return 0;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    const HDC screen = GetDC(nullptr);
    std::printf("%ld %ld %ld %ld %d %d %d %d\n", rect.left, rect.top, rect.right, rect.bottom,
                (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0, GetDeviceCaps(screen, LOGPIXELSX),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ReleaseDC(nullptr, screen);
    return 0;
}
