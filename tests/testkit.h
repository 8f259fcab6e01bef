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
    Platform::applyStyle();
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

// Whether the today window's date is drawn whole: drawn on a wider label,
// its ink ends inside the label as laid out, and the label inside the client area.
inline bool dateWhole(Form *today)
{
    auto *label = today->findChild<QWidget *>(QStringLiteral("LblDate"));
    const QRect laidOut = label->geometry();
    label->resize(laidOut.width() + 40, laidOut.height());
    const QImage drawn = label->grab().toImage();
    label->setGeometry(laidOut);
    int inkEnd = 0; // in logical pixels, past the last column with ink
    for (int i = 0; i < drawn.width() * drawn.height(); ++i) {
        if (drawn.pixel(i % drawn.width(), i / drawn.width()) != drawn.pixel(0, 0))
            inkEnd = std::max(inkEnd, int(std::ceil((i % drawn.width() + 1) / drawn.devicePixelRatio())));
    }
    return inkEnd <= laidOut.width() && laidOut.right() < today->client()->width();
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
