#include "shell/corner.h"

#include "shell/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {
QSizeF g_testScreen;
}

namespace Screen {

QSizeF sizeInTwips()
{
    if (!g_testScreen.isEmpty())
        return g_testScreen;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize pixels = screen->geometry().size();
    return {Twips::fromPixels(pixels.width()), Twips::fromPixels(pixels.height())};
}

void setSizeInTwipsForTesting(QSizeF twips)
{
    g_testScreen = twips;
}

} // namespace Screen

QPointF cornerPosition(QSizeF screenTwips, CornerOffsets offsets)
{
    const float top = float(screenTwips.height()) - offsets.vertical;
    const float left = float(screenTwips.width()) - offsets.horizontal;
    return {left, top};
}

void placeAtCorner(QWidget *window, CornerOffsets offsets)
{
    const QPointF twips = cornerPosition(Screen::sizeInTwips(), offsets);
    const QPoint frame = Twips::toPixels(twips.x(), twips.y());
    // Before the first show nobody knows the size of the frame yet, and a
    // plain move() would put the client area there. A frame position makes
    // the window manager place the frame itself (north-west gravity on X11).
    window->winId();
    window->move(frame);
    if (QWindow *handle = window->windowHandle())
        handle->setFramePosition(frame);
}
