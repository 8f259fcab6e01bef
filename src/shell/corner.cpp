#include "shell/corner.h"

#include "shell/platform.h"
#include "shell/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
QRectF g_testScreen;
}

namespace Screen {

QRectF geometryInTwips()
{
    if (!g_testScreen.isEmpty())
        return g_testScreen;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect pixels = screen->geometry();
    return {Twips::fromPixels(pixels.x()), Twips::fromPixels(pixels.y()), Twips::fromPixels(pixels.width()),
            Twips::fromPixels(pixels.height())};
}

void setGeometryInTwipsForTesting(QRectF twips)
{
    g_testScreen = twips;
}

} // namespace Screen

QPointF cornerPosition(QRectF screenTwips, CornerOffsets offsets)
{
    const float bottom = float(screenTwips.y()) + float(screenTwips.height());
    const float right = float(screenTwips.x()) + float(screenTwips.width());
    const float top = bottom - offsets.vertical;
    const float left = right - offsets.horizontal;
    return {left, top};
}

void placeAtCorner(QWidget *window, CornerOffsets offsets)
{
    const QPointF twips = cornerPosition(Screen::geometryInTwips(), offsets);
    Platform::moveFrameTo(window, Twips::toPixels(twips.x(), twips.y()));
}
