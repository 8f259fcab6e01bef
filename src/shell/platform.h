#pragma once

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

class QWidget;

namespace Platform {

// On a Wayland session the program must place itself and stay on top, which
// only X11 lets a client do, so it runs through XWayland unless the user
// chose a Qt platform. Returns the platform to force, or nothing.
QByteArray forcedQtPlatform(const std::function<QByteArray(const char *)> &getenv);

// Applies forcedQtPlatform() to this process's environment; call before the
// application object exists.
void selectQtPlatform();

// Puts the top-left corner of the window's frame, title bar and borders
// included, at FRAME (logical pixels), before the window is first shown.
void moveFrameTo(QWidget *window, QPoint frame);

// Every stored font names "ＭＳ Ｐゴシック". Resolve it to a proportional
// Japanese gothic that stands in for it, never to a monospaced or Latin face.
void registerFontSubstitutes();

// The font of every window and control that stores none: the same gothic at
// 9 points, as a Japanese desktop's default.
void applyDefaultFont();

// The toolkit's style, less the icon of the menu bar's overflow button: the
// menu bars here never overflow, and loading that icon would load every
// image format plug-in before the first window shows.
void applyStyle();

// The font without fallback faces when its own face has every character of
// the text, else the font as it is. Looking up fallbacks is the costliest
// part of showing the first window, and Japanese texts never need them.
QFont primaryFontFor(QFont font, const QString &text);

// Tells the window that shows today when today may have become another day:
// at local midnight, and when the system clock or the time zone is set or
// the machine wakes from sleep. One wake-up a day, at midnight, and none in
// between. The owner reads the date again and changes what it shows if the
// day is not the one it shows.
class DayWatch : public QObject
{
    Q_OBJECT

public:
    explicit DayWatch(QObject *parent);
    ~DayWatch() override;

signals:
    void dayMayHaveChanged();

private:
    struct Native;
    std::unique_ptr<Native> d;
};

} // namespace Platform
