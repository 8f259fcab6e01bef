#pragma once

#include <QPointF>
#include <QSizeF>

class QWidget;

// Every main window puts the top-left corner of its frame, title bar and
// borders included, at the screen size minus two offsets of its own.
struct CornerOffsets
{
    float horizontal; // twips subtracted from the screen width
    float vertical;   // twips subtracted from the screen height
};

namespace Screen {

// The whole primary screen (not the work area) in twips, in single precision.
QSizeF sizeInTwips();

// Tests give a made-up screen; an empty size returns to the real one.
void setSizeInTwipsForTesting(QSizeF twips);

} // namespace Screen

// Left and Top in twips. Done in single precision; a screen smaller than the
// window gives a negative position, which is kept as it is.
QPointF cornerPosition(QSizeF screenTwips, CornerOffsets offsets);

// Moves the window's frame to its corner of the current screen.
void placeAtCorner(QWidget *window, CornerOffsets offsets);
