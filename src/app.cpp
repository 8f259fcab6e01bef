#include "app.h"

#include "shell/forms.h"
#include "shell/platform.h"
#include "calendar/frmcalender.h"
#include "today/frmmain.h"

#include <QApplication>

namespace mirebo {

void registerForms()
{
    Forms::registerKind(FormKind::FrmMain, [] { return new FrmMain; });
    Forms::registerKind(FormKind::FrmCalender, [] { return new FrmCalender; });
    Forms::registerKind(FormKind::FrmCalender3, [] { return new FrmCalender3; });
    Forms::registerKind(FormKind::FrmCalender6, [] { return new FrmCalender6; });
    Forms::registerKind(FormKind::FrmCalender12, [] { return new FrmCalender12; });
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
    Platform::applyDefaultFont();
    registerForms();

    Forms::Show(FormKind::FrmMain);
    return app.exec();
}

} // namespace mirebo
