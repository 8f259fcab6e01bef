#include "shell/platform.h"

#include "shell/captions.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QProxyStyle>

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

namespace {

class Style : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void applyStyle()
{
    QApplication::setStyle(new Style);
}

QFont primaryFontFor(QFont font, const QString &text)
{
    QFont primary = font;
    primary.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoFontMerging));
    const QFontMetrics metrics(primary);
    for (char32_t c : text.toUcs4()) {
        if (!metrics.inFontUcs4(c))
            return font;
    }
    return primary;
}

void applyDefaultFont()
{
    QApplication::setFont(QFont(Captions::MsPGothic, 9));
}

} // namespace Platform
