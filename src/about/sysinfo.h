#pragma once

// Finds the system information tool through the registry and starts it.
// Standard C++ only, so the same routines build for Windows against the
// real registry; everything that talks to the outside comes in through
// SysInfoPlatform and can be replaced by tests.

#include "about/registry.h"

#include <functional>
#include <stdexcept>
#include <string>

namespace SysInfo {

// A run-time error of the launcher. Every one of them ends in the one
// message of StartSysInfo.
class RuntimeError : public std::runtime_error
{
public:
    explicit RuntimeError(const std::string &what)
        : std::runtime_error(what)
    {}
};

// Texts are in the narrow code page of the system (UTF-8 on Linux).
struct Platform
{
    Registry::Api *registry = nullptr;
    // The file's name when a normal file of that path exists, else empty.
    std::function<std::string(const std::string &path)> fileTest;
    // Starts the program and returns at once; throws RuntimeError when it
    // cannot be started.
    std::function<void(const std::string &path)> startProgram;
    // Modal, an OK button only, no icon; the text is UTF-8.
    std::function<void(const std::string &text)> messageBox;
};

inline constexpr const char *MsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char *MsInfoValue = "PATH";
inline constexpr const char *LocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char *LocationValue = "MSINFO";
inline constexpr const char *ToolFile = "\\MSINFO32.EXE";
// Read rights only (KEY_READ). The program once asked for write rights too
// (0x2003F) though it writes nothing, which Windows denies a standard user
// under HKEY_LOCAL_MACHINE: the tool was then never found.
inline constexpr Registry::DWORD KeyAccess = 0x20019;
inline constexpr std::size_t ValueBufferBytes = 1024;

// "現時点ではｼｽﾃﾑ情報を使用できません", the one message for every failure.
extern const char *const UnavailableMessage;

// Reads one value as text into KeyVal. False, with KeyVal empty, when the
// key cannot be opened or the value cannot be read; a value without any
// data bytes throws RuntimeError.
bool GetKeyValue(Registry::Api &registry, const Registry::HKEY &KeyRoot, const std::string &KeyName,
                 const std::string &SubKeyRef, std::string &KeyVal);

// Starts the tool from the first registry location that leads to it, or
// shows the message. Never throws.
void StartSysInfo(const Platform &platform);

// How a path from the registry names a file here. Windows paths use "\" and
// may start with a drive; this system has one tree, so "C:\usr\bin\x" and
// "\usr\bin\x" both mean /usr/bin/x: the drive is dropped (its root is
// the root of the tree) and every "\" becomes "/". A doubled "\" stays
// doubled, which the file system reads as one. Paths already written with
// "/" pass unchanged, and nothing is ever split at spaces.
std::string localPath(const std::string &registryPath);

} // namespace SysInfo
