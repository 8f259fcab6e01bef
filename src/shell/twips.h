#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cmath>

// Layouts are stored in twips, 1/1440 inch. At 96 dots per inch that is 15
// twips to a logical pixel; this is the only place that converts.
namespace Twips {

inline constexpr int PerPixel = 15;

inline int toPixels(double twips)
{
    return int(std::lround(twips / PerPixel));
}
inline float fromPixels(int pixels)
{
    return float(pixels) * PerPixel;
}

inline QPoint toPixels(double left, double top)
{
    return {toPixels(left), toPixels(top)};
}
inline QSize sizeToPixels(double width, double height)
{
    return {toPixels(width), toPixels(height)};
}
inline QRect rectToPixels(double left, double top, double width, double height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

} // namespace Twips
