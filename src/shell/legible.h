#pragma once

#include <QColor>

// Text colours that stay readable whatever palette the desktop hands us.
// The windows mix colours of their own (the About texts, the month view's
// month areas) with colours of the system's (button text), and a dark or
// high-contrast palette can turn such a mix into light text on a light
// ground. Readable means a contrast ratio of 4.5:1 (WCAG, level AA) on the
// pixels, and small text never reaches its own colour there: the one-pixel
// stems of a 9-point digit are antialiased, and a white digit on blue peaks
// at about nine tenths of the colours' ratio. So the colours aim higher.
namespace Legible {

inline constexpr double TargetContrast = 5.5;

double luminance(const QColor &colour);            // relative luminance, 0 (black) to 1 (white)
double contrast(const QColor &a, const QColor &b); // 1 to 21

// `wanted` if it reads on `background`, else `fallback` if that does (the
// palette's own text colour for that ground), else `wanted` moved towards
// black or white, whichever contrasts more with the ground. That always
// succeeds: every ground reads with black or with white at 4.58:1 or more,
// and all but the mid-greys at the target.
// Contrast is symmetric, so this also finds a ground for a given text.
QColor on(const QColor &background, const QColor &wanted, const QColor &fallback = QColor());

} // namespace Legible
