#include "shell/legible.h"

#include <algorithm>
#include <cmath>

namespace Legible {

namespace {

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

// The colour composed over the ground, as it lands on the screen.
QColor opaqueOver(const QColor &colour, const QColor &background)
{
    const double a = colour.alphaF();
    auto mix = [a](int c, int b) { return int(std::lround(c * a + b * (1 - a))); };
    return QColor(mix(colour.red(), background.red()), mix(colour.green(), background.green()),
                  mix(colour.blue(), background.blue()));
}

QColor towards(const QColor &colour, const QColor &end, double t)
{
    auto mix = [t](int c, int e) { return int(std::lround(c + (e - c) * t)); };
    return QColor(mix(colour.red(), end.red()), mix(colour.green(), end.green()), mix(colour.blue(), end.blue()));
}

} // namespace

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor on(const QColor &background, const QColor &wanted, const QColor &fallback)
{
    const QColor ground = background.toRgb();
    const QColor text = opaqueOver(wanted.toRgb(), ground);
    if (contrast(text, ground) >= TargetContrast)
        return wanted;
    if (fallback.isValid() && contrast(opaqueOver(fallback.toRgb(), ground), ground) >= TargetContrast)
        return fallback;
    // Keep as much of the wanted colour as the ground allows: the smallest
    // step that reads, towards the end (black or white) that contrasts more.
    const QColor end = contrast(Qt::black, ground) >= contrast(Qt::white, ground) ? Qt::black : Qt::white;
    for (int step = 1; step < 20; ++step) {
        const QColor candidate = towards(text, end, step / 20.0);
        if (contrast(candidate, ground) >= TargetContrast)
            return candidate;
    }
    return end;
}

} // namespace Legible
