#pragma once

#include "about/registry.h"
#include "about/sysinfo_qt.h"
#include "shell/forms.h"

#include <optional>
#include <string>

class QLabel;
class QPushButton;

// The About window: title, version, where support is found, the terms of
// use, and a button that starts the system information tool. A fixed dialog
// that opens where its layout puts it, beside the main window, never on top.
class frmAbout : public Form
{
    Q_OBJECT

public:
    frmAbout();

    void StartSysInfo();
    bool GetKeyValue(const Registry::HKEY &KeyRoot, const std::string &KeyName, const std::string &SubKeyRef,
                     std::string &KeyVal);

    // Tests put a fake registry, launcher and message box here; nullopt
    // goes back to the desktop's own.
    static void setServicesForTesting(std::optional<SysInfo::Services> services);

protected:
    void Form_Load() override;
    // Enter and Esc: only a dialog has default and cancel buttons of its own.
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Layout;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void showStoredColours();

    QPushButton *cmdOK = nullptr;
    QLabel *picIcon = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
};
