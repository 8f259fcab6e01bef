#include "about/sysinfo_qt.h"

#include "about/sysinfo.h"
#include "shell/appinfo.h"
#include "shell/forms.h"

#include <windows.h>

#include <map>

// The launcher's outside world on Windows: advapi32's registry, the file
// test, CreateProcessW and MessageBoxW.

namespace SysInfo {

namespace {

// The launcher passes 32-bit handles, as the program always has; the real
// ones are pointers. Predefined roots (0x80000000 and up) are sign-extended
// as the Windows headers define them; opened keys get small numbers here.
class Win32Registry : public Registry::Api
{
public:
    ~Win32Registry() override
    {
        for (const auto &[handle, key] : m_open)
            ::RegCloseKey(key);
    }

    Registry::LONG RegOpenKeyExA(Registry::HKEY key, const char *subKey, Registry::DWORD options,
                                 Registry::DWORD samDesired, Registry::HKEY *result) override
    {
        ::HKEY parent = native(key);
        if (!parent)
            return ERROR_INVALID_HANDLE;
        ::HKEY opened = nullptr;
        const LONG status = ::RegOpenKeyExA(parent, subKey, options, samDesired, &opened);
        if (status != ERROR_SUCCESS)
            return status;
        const Registry::HKEY handle = m_next++;
        m_open[handle] = opened;
        *result = handle;
        return ERROR_SUCCESS;
    }

    Registry::LONG RegQueryValueExA(Registry::HKEY key, const char *valueName, Registry::DWORD *reserved,
                                    Registry::DWORD *type, unsigned char *data, Registry::DWORD *size) override
    {
        ::HKEY handle = native(key);
        if (!handle)
            return ERROR_INVALID_HANDLE;
        DWORD nativeType = 0;
        DWORD nativeSize = size ? *size : 0;
        const LONG status = ::RegQueryValueExA(handle, valueName, reinterpret_cast<LPDWORD>(reserved), &nativeType,
                                               data, size ? &nativeSize : nullptr);
        if (type)
            *type = nativeType;
        if (size)
            *size = nativeSize;
        return status;
    }

    Registry::LONG RegCloseKey(Registry::HKEY key) override
    {
        const auto it = m_open.find(key);
        if (it == m_open.end())
            return ERROR_INVALID_HANDLE;
        const LONG status = ::RegCloseKey(it->second);
        m_open.erase(it);
        return status;
    }

private:
    ::HKEY native(Registry::HKEY key) const
    {
        if (key & 0x80000000u)
            return reinterpret_cast<::HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(key)));
        const auto it = m_open.find(key);
        return it == m_open.end() ? nullptr : it->second;
    }

    std::map<Registry::HKEY, ::HKEY> m_open;
    Registry::HKEY m_next = 1;
};

// Registry texts and paths are in the system's ANSI code page.
std::wstring wideFromAnsi(const std::string &text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

} // namespace

std::string desktopFileTest(const std::string &path)
{
    // Normal files only: folders, hidden and system files are not found.
    const DWORD attributes = GetFileAttributesW(wideFromAnsi(path).c_str());
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES
        || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        return {};
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void desktopStartProgram(const std::string &path)
{
    if (path.empty())
        throw RuntimeError("no program");
    // The path is the application name, so Windows neither searches for it
    // nor splits it at spaces; the command line only repeats it, quoted.
    const std::wstring program = wideFromAnsi(path);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        throw RuntimeError("cannot start");
    // Not waited for: the tool runs on its own.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void desktopMessageBox(const std::string &text)
{
    // Modal to the About window, whose button asked for the tool.
    const Form *about = Forms::instance(FormKind::frmAbout);
    const HWND owner = about ? reinterpret_cast<HWND>(about->winId()) : nullptr;
    const std::wstring message = QString::fromUtf8(text.data(), qsizetype(text.size())).toStdWString();
    const std::wstring title = App::Title().toStdWString();
    MessageBoxW(owner, message.c_str(), title.c_str(), MB_OK);
}

Services desktopServices()
{
    Services services;
    services.openRegistry = [] { return std::unique_ptr<Registry::Api>(new Win32Registry); };
    services.fileTest = desktopFileTest;
    services.startProgram = desktopStartProgram;
    services.messageBox = desktopMessageBox;
    return services;
}

} // namespace SysInfo
