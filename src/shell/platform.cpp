#include "shell/platform.h"

#include "shell/captions.h"

#include <QApplication>
#include <QFont>

namespace Platform {

QByteArray forcedQtPlatform(const std::function<QByteArray(const char *)> &getenv)
{
    if (!getenv("QT_QPA_PLATFORM").isEmpty())
        return {};
    const bool wayland = getenv("XDG_SESSION_TYPE") == "wayland" || !getenv("WAYLAND_DISPLAY").isEmpty();
    if (!wayland || getenv("DISPLAY").isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void selectQtPlatform()
{
    const QByteArray platform = forcedQtPlatform([](const char *name) { return qgetenv(name); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

void registerFontSubstitutes()
{
    QFont::insertSubstitution(Captions::MsPGothic, QStringLiteral("IPAPGothic"));
}

void applyDefaultFont()
{
    QApplication::setFont(QFont(Captions::MsPGothic, 9));
}

} // namespace Platform
