#pragma once

#include <QLabel>

// A label that reports a double-click on itself. It is sized to its text, so
// a double-click beside the text falls on the window, not on the label.
class DateLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
