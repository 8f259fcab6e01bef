#include "shell/forms.h"

#include "shell/platform.h"
#include "shell/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <map>

namespace {

std::map<FormKind, Forms::Factory> g_factories;
std::map<FormKind, QPointer<Form>> g_live;
std::function<void()> g_programEnd;
bool g_endCheckQueued = false;

Qt::WindowFlags flagsFor(Form::TitleButtons buttons)
{
    // The fixed-size hint gives Windows' fixed single border; X11 ignores it
    // and reads the fixed size from the size hints.
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    switch (buttons) {
    case Form::TitleButtons::MinimizeAndClose: return Qt::Window | flags | Qt::WindowMinimizeButtonHint;
    case Form::TitleButtons::CloseOnly: return Qt::Window | flags;
    case Form::TitleButtons::DialogClose: return Qt::Dialog | flags;
    }
    return Qt::Window | flags;
}

// A screen reader announces a top-level window by its role and lists only
// frames and dialogs when switching windows. Left to itself the toolkit gives a
// plain widget the role of an unnamed pane, so every window says what it is:
// the About window a dialog, the others application windows. The name is the
// caption, and the children stay the toolkit's own.
QAccessibleInterface *formInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("Form") || !object || !object->isWidgetType())
        return nullptr;
    auto *form = static_cast<QWidget *>(object);
    return new QAccessibleWidget(form, form->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window);
}

void installFormAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(formInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void endProgramIfNothingLoaded()
{
    g_endCheckQueued = false;
    if (!g_live.empty())
        return;
    if (g_programEnd)
        g_programEnd();
    else
        QCoreApplication::quit();
}

} // namespace

const char *formKindName(FormKind kind)
{
    switch (kind) {
    case FormKind::FrmMain: return "FrmMain";
    case FormKind::FrmCalender: return "FrmCalender";
    case FormKind::FrmCalender3: return "FrmCalender3";
    case FormKind::FrmCalender6: return "FrmCalender6";
    case FormKind::FrmCalender12: return "FrmCalender12";
    case FormKind::frmAbout: return "frmAbout";
    }
    return "";
}

bool isMainKind(FormKind kind)
{
    return kind != FormKind::frmAbout;
}

Form::Form(FormKind kind, TitleButtons buttons)
    : QWidget(nullptr, flagsFor(buttons))
    , m_kind(kind)
    , m_client(new QWidget(this))
{
    installFormAccessibility();
    setObjectName(QString::fromLatin1(formKindName(kind)));
    // Fixed border: the window is exactly its menu bar plus its client area.
    // A plain layout rather than a main window: nothing here docks, and the
    // lighter window starts sooner.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Form::setClientSizeTwips(int width, int height)
{
    m_client->setFixedSize(Twips::sizeToPixels(width, height));
}

QMenu *Form::addMenu(const char *name, const QString &caption)
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        layout()->setMenuBar(m_menuBar);
    }
    QMenu *menu = m_menuBar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu *Form::addSubMenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

QAction *Form::addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction *Form::addSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

void Form::useMenuFonts()
{
    if (!m_menuBar)
        return;
    auto captions = [](const QWidget *widget) {
        QString text;
        for (const QAction *action : widget->actions())
            text += action->text();
        return text;
    };
    m_menuBar->setFont(Platform::primaryFontFor(m_menuBar->font(), captions(m_menuBar)));
    for (QMenu *menu : findChildren<QMenu *>())
        menu->setFont(Platform::primaryFontFor(menu->font(), captions(menu)));
}

void Form::closeEvent(QCloseEvent *event)
{
    event->accept();
    Forms::Unload(m_kind);
}

Form *showForm(FormKind kind)
{
    Form *form = Forms::instance(kind);
    if (!form) {
        const auto factory = g_factories.find(kind);
        if (factory == g_factories.end())
            return nullptr;
        form = factory->second();
        if (!form)
            return nullptr;
        g_live[kind] = form;
        form->useMenuFonts();
        // Settle the fixed size first, so that showing does not resize the
        // window after the load step has placed it.
        form->layout()->activate();
        form->Form_Load();
    }
    form->show();
    return form;
}

namespace Forms {

void registerKind(FormKind kind, Factory factory)
{
    g_factories[kind] = std::move(factory);
}

Form *Show(FormKind kind)
{
    return showForm(kind);
}

void Unload(FormKind kind)
{
    const auto it = g_live.find(kind);
    if (it == g_live.end())
        return;
    QPointer<Form> form = it->second;
    g_live.erase(it);
    if (form) {
        // Deleted once control is back in the event loop: the handler that
        // asked for the unload may still be running inside this window's menu.
        form->hide();
        form->deleteLater();
    }
    if (g_live.empty() && !g_endCheckQueued) {
        g_endCheckQueued = true;
        QTimer::singleShot(0, qApp, endProgramIfNothingLoaded);
    }
}

Form *Switch(Form *from, FormKind target)
{
    Unload(from->kind());
    return Show(target);
}

Form *instance(FormKind kind)
{
    const auto it = g_live.find(kind);
    return it == g_live.end() ? nullptr : it->second.data();
}

int loadedCount()
{
    return int(g_live.size());
}

int mainWindowCount()
{
    int count = 0;
    for (const auto &[kind, form] : g_live)
        count += isMainKind(kind) ? 1 : 0;
    return count;
}

void setProgramEnd(std::function<void()> end)
{
    g_programEnd = std::move(end);
}

} // namespace Forms
