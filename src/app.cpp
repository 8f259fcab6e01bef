#include "app.h"

#include "about/frmabout.h"
#include "calendar/frmcalender.h"
#include "shell/forms.h"
#include "shell/platform.h"
#include "today/frmmain.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

// The program icon, the same drawings the Windows icon group is made from.
#include "mirebo_16.xpm"
#include "mirebo_32.xpm"

namespace mirebo {

namespace {

// Every window shows the program icon; none has one of its own. Built from
// the two 16-colour drawings compiled in, so start-up reads no file.
QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap(mirebo_16_xpm));
    icon.addPixmap(QPixmap(mirebo_32_xpm));
    return icon;
}

} // namespace

void registerForms()
{
    Forms::registerKind(FormKind::FrmMain, [] { return new FrmMain; });
    Forms::registerKind(FormKind::FrmCalender, [] { return new FrmCalender; });
    Forms::registerKind(FormKind::FrmCalender3, [] { return new FrmCalender3; });
    Forms::registerKind(FormKind::FrmCalender6, [] { return new FrmCalender6; });
    Forms::registerKind(FormKind::FrmCalender12, [] { return new FrmCalender12; });
    Forms::registerKind(FormKind::frmAbout, [] { return new frmAbout; });
}

void configureApplication()
{
    QApplication::setApplicationName(QStringLiteral("mirebo"));
    QApplication::setWindowIcon(programIcon());
    // Lets a desktop match the windows to mirebo.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("mirebo"));
    // The window runtime decides when the program ends: after the last
    // unload, not when the last visible window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::registerFontSubstitutes();
    // The style first: setting it gives menus and menu bars the platform
    // theme's menu font again (on Windows one without Japanese glyphs under
    // Wine), while the default font set afterwards holds for every class.
    Platform::applyStyle();
    Platform::applyDefaultFont();
}

int run(int argc, char *argv[])
{
    Platform::selectQtPlatform();
    QApplication app(argc, argv);
    configureApplication();
    registerForms();

    Forms::Show(FormKind::FrmMain);
    return app.exec();
}

} // namespace mirebo
