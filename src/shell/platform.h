#pragma once

#include <QByteArray>
#include <functional>

namespace Platform {

// On a Wayland session the program must place itself and stay on top, which
// only X11 lets a client do, so it runs through XWayland unless the user
// chose a Qt platform. Returns the platform to force, or nothing.
QByteArray forcedQtPlatform(const std::function<QByteArray(const char *)> &getenv);

// Applies forcedQtPlatform() to this process's environment; call before the
// application object exists.
void selectQtPlatform();

// Every stored font names "ＭＳ Ｐゴシック". Resolve it to the proportional
// Japanese gothic with the same metrics, never to a monospaced or Latin face.
void registerFontSubstitutes();

// The font of every window and control that stores none: the same gothic at
// 9 points, as a Japanese desktop's default.
void applyDefaultFont();

} // namespace Platform
