#include "about/sysinfo_qt.h"

#include "about/regfile.h"
#include "about/sysinfo.h"
#include "shell/appinfo.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>

namespace SysInfo {

namespace {

// Registry text is in the system's narrow code page; so are file names.
QString fromNarrow(const std::string &text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

} // namespace

QString registryFilePath()
{
    QString fromEnv = qEnvironmentVariable("MIREBO_REGISTRY");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/mirebo/mirebo.reg"));
    return QFileInfo::exists(beside) ? QDir::cleanPath(beside) : QString();
}

std::string desktopFileTest(const std::string &path)
{
    const QFileInfo info(fromNarrow(localPath(path)));
    if (!info.isFile())
        return {};
    return QFile::encodeName(info.fileName()).toStdString();
}

void desktopStartProgram(const std::string &path)
{
    const std::string local = localPath(path);
    if (local.empty())
        throw RuntimeError("no program");
    // An absolute path keeps QProcess from searching PATH for a bare name.
    const QString program = QFileInfo(fromNarrow(local)).absoluteFilePath();
    if (!QProcess::startDetached(program, {}))
        throw RuntimeError("cannot start");
}

void desktopMessageBox(const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, App::Title(), QString::fromUtf8(text.data(), qsizetype(text.size())),
                    QMessageBox::Ok);
    // Some desktops' styles put an icon on every dialog button; a message
    // box with OK alone shows none, as on Windows.
    for (QAbstractButton *button : box.buttons())
        button->setIcon(QIcon());
    // Nor does it keep room for an icon: the text starts at the margin, as
    // far in as it ends on the right.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        for (int i = grid->count() - 1; i >= 0; --i) {
            if (grid->itemAt(i)->spacerItem())
                delete grid->takeAt(i);
        }
        grid->setHorizontalSpacing(0);
        grid->setColumnStretch(1, 1);
    }
    box.exec();
}

Services desktopServices()
{
    Services services;
    services.openRegistry = [] {
        return std::unique_ptr<Registry::Api>(new Registry::FileRegistry(
            Registry::FileRegistry::fromFile(QFile::encodeName(registryFilePath()).toStdString())));
    };
    services.fileTest = desktopFileTest;
    services.startProgram = desktopStartProgram;
    services.messageBox = desktopMessageBox;
    return services;
}

} // namespace SysInfo
