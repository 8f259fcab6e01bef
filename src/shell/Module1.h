#pragma once

#include <cstdint>

class QWidget;

// The one native call every main window makes: raise it above all other
// windows and keep it there. The Windows build passes the window's handle to
// user32's SetWindowPos; elsewhere the same call asks the window manager for
// the equivalent state. Only one file of setwindowpos_*.cpp is built.
namespace Module1 {

inline constexpr std::intptr_t HWND_TOPMOST = -1;
inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;

long SetWindowPos(QWidget *hwnd, std::intptr_t hWndInsertAfter, int X, int Y, int cx, int cy, unsigned wFlags);

} // namespace Module1
