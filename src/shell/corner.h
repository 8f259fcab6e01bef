#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QWidget;

// Every main window puts the top-left corner of its frame, title bar and
// borders included, at the lower right corner of the primary screen minus two
// offsets of its own.
struct CornerOffsets
{
    float horizontal; // twips subtracted from the screen width
    float vertical;   // twips subtracted from the screen height
};

namespace Screen {

// The whole primary screen (not the work area) in twips, in single precision:
// its place on the desktop and its size. With several monitors the primary
// one need not be at the desktop's origin (an external monitor to the right
// of a laptop's, for one).
QRectF geometryInTwips();

// Tests give a made-up screen; an empty one returns to the real one. The
// size alone puts the screen at the origin.
void setGeometryInTwipsForTesting(QRectF twips);
inline void setSizeInTwipsForTesting(QSizeF twips)
{
    setGeometryInTwipsForTesting({QPointF(), twips});
}

} // namespace Screen

// Left and Top in twips: the screen's origin plus its size, minus the offsets.
// Done in single precision; a screen smaller than the window gives a position
// left of or above the screen, which is kept as it is.
QPointF cornerPosition(QRectF screenTwips, CornerOffsets offsets);

// Moves the window's frame to its corner of the primary screen.
void placeAtCorner(QWidget *window, CornerOffsets offsets);
