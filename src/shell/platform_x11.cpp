#include "shell/platform.h"

#include "shell/captions.h"

#include <QFont>

namespace Platform {

void selectQtPlatform()
{
    const QByteArray platform = forcedQtPlatform([](const char *name) { return qgetenv(name); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

// "ＭＳ Ｐゴシック" is not installed here; IPAPGothic is its metric twin.
void registerFontSubstitutes()
{
    QFont::insertSubstitution(Captions::MsPGothic, QStringLiteral("IPAPGothic"));
}

} // namespace Platform
