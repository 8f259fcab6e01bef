#pragma once

#include <QWidget>
#include <functional>

class QMenu;
class QMenuBar;

// The six kinds of window. Each has at most one live instance, reached by
// its kind.
enum class FormKind { FrmMain, FrmCalender, FrmCalender3, FrmCalender6, FrmCalender12, frmAbout };

const char *formKindName(FormKind kind);
bool isMainKind(FormKind kind); // every kind but the About window

// A window built from a fixed layout: a client area of a fixed size in
// twips, below its menu bar if it has one. The user cannot resize it.
class Form : public QWidget
{
    Q_OBJECT

public:
    enum class TitleButtons { MinimizeAndClose, CloseOnly, DialogClose };

    FormKind kind() const { return m_kind; }
    QWidget *client() const { return m_client; }
    QMenuBar *menuBar() const { return m_menuBar; } // nullptr for a window without menus

protected:
    Form(FormKind kind, TitleButtons buttons);

    // The load step: runs once, after the layout is built and before the
    // window is first shown.
    virtual void Form_Load() {}

    void setClientSizeTwips(int width, int height);
    QMenu *addMenu(const char *name, const QString &caption);
    static QMenu *addSubMenu(QMenu *menu, const char *name, const QString &caption);
    static QAction *addItem(QMenu *menu, const char *name, const QString &caption);
    static QAction *addSeparator(QMenu *menu, const char *name);

    // The title-bar close button unloads the window like any other Unload.
    void closeEvent(QCloseEvent *event) override;

private:
    friend Form *showForm(FormKind kind);
    // The menus show only fixed captions, which need no fallback fonts.
    void useMenuFonts();
    const FormKind m_kind;
    QWidget *m_client;
    QMenuBar *m_menuBar = nullptr;
};

namespace Forms {

using Factory = std::function<Form *()>;
void registerKind(FormKind kind, Factory factory);

// Modeless and without owner: builds and loads the window if it is not
// loaded, then makes it visible. Returns the live instance.
Form *Show(FormKind kind);

// Destroys the window without running any of its handlers. When no window
// is left, the program ends once control is back in the event loop, so a
// switch that unloads and then shows in one handler never ends it.
void Unload(FormKind kind);

// The window switch of every menu command: unload first, show second.
Form *Switch(Form *from, FormKind target);

Form *instance(FormKind kind); // nullptr when not loaded
int loadedCount();
int mainWindowCount();

// What happens when the last window is unloaded; quits the application
// unless a test puts something else here.
void setProgramEnd(std::function<void()> end);

} // namespace Forms
