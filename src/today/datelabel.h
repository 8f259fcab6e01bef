#pragma once

#include <QLabel>

// A label that reports a double-click on itself. It is sized to its text, so
// a double-click beside the text falls on the window, not on the label.
//
// Its text must fit the room the strip has. IPAPGothic, the stand-in for
// "ＭＳ Ｐゴシック", has digits of 0.63 em, and with them the longer dates run
// past the strip. Its file also carries the half-width digits that IPAGothic
// shows (Adobe-Japan1's, named aj247 to aj256), reachable by no character.
// Where the font has them, the label draws its digits 1 to 9 with those,
// half an em wide. Their zero has a slash, which no other zero of the
// program has, so the zero is the face's own plain one, narrowed to the same
// width. Everything else is drawn as the font has it: the widest date then
// fits, with no second font file loaded.
//
// Any other font, or a text that needs shaping or fallback faces, is drawn
// as a plain label draws it. Whatever the face, a text too wide for the room
// is narrowed just enough to fit, as long as it still reads as its face
// (down to seven eighths); a text wider still is cut at the edge.
class DateLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The width the text may take, from the label's left edge.
    void setRoom(int pixels) { m_room = pixels; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Line;
    Line line() const;
    qreal narrowing(const Line &line) const;

    int m_room = QWIDGETSIZE_MAX;
};
