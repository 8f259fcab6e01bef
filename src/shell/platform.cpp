#include "shell/platform.h"

#include "shell/captions.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

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
    // Fusion ends the line under the menu bar half a pixel short of each
    // title's right edge and of the bar's own, which on a scaled screen
    // leaves a gap of a device pixel. Each piece is drawn again a pixel to
    // the right, kept to where the line lies in its last column; an open
    // menu's title has no line but a frame, which stays as it is.
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        const State open = State_Selected | State_Sunken;
        if (!item || (element != CE_MenuBarItem && element != CE_MenuBarEmptyArea) || (item->state & open) == open)
            return;
        QStyleOptionMenuItem moved = *item;
        moved.rect.translate(1, 0);
        painter->save();
        painter->setClipRect(QRectF(item->rect.right(), item->rect.bottom() - 0.5, 1, 1.5), Qt::IntersectClip);
        QProxyStyle::drawControl(element, &moved, painter, widget);
        painter->restore();
    }

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
