#pragma once

#include <QLabel>

class QGlyphRun;

// A label that reports a double-click on itself. It is sized to its text, so
// a double-click beside the text falls on the window, not on the label.
//
// IPAPGothic, the stand-in for "ＭＳ Ｐゴシック", has digits of 0.63 em, and
// with them the longer dates run past the strip. Its file also carries the
// half-width digits that IPAGothic shows (Adobe-Japan1's, named aj247 to
// aj256), reachable by no character. Where the font has them, the label
// draws its digits with those, half an em wide, and everything else as the
// font has it: the widest date then fits, with no second font file loaded.
// Any other font, or a text that needs shaping or fallback faces, is drawn
// as a plain label draws it.
class DateLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    bool drawsHalfWidthDigits() const;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The text's glyphs, with half-width digits, and the text's advance;
    // false where the label draws as a plain one.
    bool halfWidthRun(QGlyphRun &run, qreal &advance) const;
};
