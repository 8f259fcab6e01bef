#pragma once

// The outside world of the system information launcher on this desktop: the
// registry, the file test, the program start and the message box. On Linux
// (sysinfo_x11.cpp) the registry is an export file and paths are mapped to
// the one tree; on Windows (sysinfo_win.cpp) they are advapi32's registry,
// GetFileAttributesW, CreateProcessW and MessageBoxW.

#include "about/registry.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace SysInfo {

struct Services
{
    // Opened afresh for every press of the button: nothing is remembered.
    std::function<std::unique_ptr<Registry::Api>()> openRegistry;
    std::function<std::string(const std::string &path)> fileTest;
    std::function<void(const std::string &path)> startProgram;
    std::function<void(const std::string &text)> messageBox;
};

Services desktopServices();

// Linux only. Where the registry file is read from: $MIREBO_REGISTRY when set, else the
// copy beside the program (../share/mirebo/mirebo.reg), which an uninstalled
// build has in its build tree, where the installed program has it under its prefix.
QString registryFilePath();

// Like the old runtime's file test with normal attributes: the file's name
// when `path` is an existing file, empty for a folder or nothing (and, on
// Windows, for a hidden or system file).
std::string desktopFileTest(const std::string &path);

// Starts exactly the named file, detached, with no arguments: never through
// a shell, never split at spaces, never looked up in PATH (a relative name
// is taken from the current folder). Windows shows it in a normal, focused
// window. Throws RuntimeError when it cannot start.
void desktopStartProgram(const std::string &path);

// Modal, OK only, no icon, the application title as caption.
void desktopMessageBox(const std::string &text);

} // namespace SysInfo
