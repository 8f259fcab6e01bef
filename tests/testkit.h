#pragma once

// Set-up and small helpers shared by the tests of the real windows.

#include "app.h"
#include "datatable.h"
#include "shell/corner.h"
#include "shell/forms.h"
#include "shell/platform.h"

#include <QCoreApplication>
#include <QImage>
#include <QMenu>
#include <QTest>

Q_DECLARE_METATYPE(FormKind)

namespace TestKit {

inline constexpr FormKind Main = FormKind::FrmMain, C1 = FormKind::FrmCalender, C3 = FormKind::FrmCalender3,
                          C6 = FormKind::FrmCalender6, C12 = FormKind::FrmCalender12, About = FormKind::frmAbout;
inline constexpr FormKind MainKinds[] = {Main, C1, C3, C6, C12}, AllKinds[] = {Main, C1, C3, C6, C12, About};

inline FormKind kindNamed(const QString &name)
{
    for (FormKind kind : AllKinds) {
        if (name == QLatin1String(formKindName(kind)))
            return kind;
    }
    qFatal("no window called %s", qPrintable(name));
}

// The program's windows on a 1920 x 1080 screen.
inline void setUpWindows()
{
    Platform::registerFontSubstitutes();
    Platform::applyDefaultFont();
    mirebo::registerForms();
    Screen::setSizeInTwipsForTesting({28800, 16200});
}

// Unloaded windows go, and a program end queued by the last one happens.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline void unloadAll()
{
    for (FormKind kind : AllKinds)
        Forms::Unload(kind);
    flushDeletes();
}

// Where a window with these offsets from the lower right corner lands on that screen.
inline QPoint cornerPixels(QPoint offsetsTwips)
{
    return {(28800 - offsetsTwips.x()) / 15, (16200 - offsetsTwips.y()) / 15};
}

// Whether the today window's date ends inside its client area, as laid out
// and as drawn: the client's last column is all of its first pixel's colour.
inline bool dateWhole(Form *today)
{
    const QImage drawn = today->client()->grab().toImage();
    for (int y = 0; y < drawn.height(); ++y) {
        if (drawn.pixel(drawn.width() - 1, y) != drawn.pixel(0, 0))
            return false;
    }
    return today->findChild<QWidget *>(QStringLiteral("LblDate"))->geometry().right() < today->client()->width();
}

inline Form *mainWindow()
{
    for (FormKind kind : MainKinds) {
        if (Form *form = Forms::instance(kind))
            return form;
    }
    return nullptr;
}

// Every menu entry in order as name=caption, a sub-menu's entries after its own.
inline void listMenus(const QList<QAction *> &actions, QStringList &out)
{
    for (QAction *action : actions) {
        out << action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (action->menu())
            listMenus(action->menu()->actions(), out);
    }
}

} // namespace TestKit
