#include "app.h"

#include "about/frmabout.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "today/frmmain.h"

#include <QApplication>

namespace mirebo {

void registerForms()
{
    Forms::registerKind(FormKind::FrmMain, [] { return new FrmMain; });
    Forms::registerKind(FormKind::frmAbout, [] { return new frmAbout; });
}

int run(int argc, char *argv[])
{
    Platform::selectQtPlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mirebo"));
    // The window runtime decides when the program ends: after the last
    // unload, not when the last visible window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::registerFontSubstitutes();
    registerForms();

    Forms::Show(FormKind::FrmMain);
    return app.exec();
}

} // namespace mirebo
