#include "shell/platform.h"

#include "shell/captions.h"

#include <QFont>
#include <QWidget>
#include <QWindow>

namespace Platform {

// Shared libraries come from the system's own paths already.
void restrictDllSearch() {}

void selectQtPlatform()
{
    const QByteArray platform = forcedQtPlatform([](const char *name) { return qgetenv(name); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

void moveFrameTo(QWidget *window, QPoint frame)
{
    // Before the first show nobody knows the size of the frame yet, and a
    // plain move() would put the client area there. A frame position makes
    // the window manager place the frame itself (north-west gravity).
    window->winId();
    window->move(frame);
    if (QWindow *handle = window->windowHandle())
        handle->setFramePosition(frame);
}

// "ＭＳ Ｐゴシック" is not installed here; IPAPGothic is its metric twin.
void registerFontSubstitutes()
{
    QFont::insertSubstitution(Captions::MsPGothic, QStringLiteral("IPAPGothic"));
}

} // namespace Platform
