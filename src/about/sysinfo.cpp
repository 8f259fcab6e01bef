#include "about/sysinfo.h"

#include <cstdio>
#include <vector>

namespace SysInfo {

const char *const UnavailableMessage = "現時点ではｼｽﾃﾑ情報を使用できません";

namespace {

// Closes the key on every way out of GetKeyValue, the thrown error of a
// zero-size value included, so no handle is left behind.
class OpenKey
{
public:
    explicit OpenKey(Registry::Api &registry)
        : m_registry(registry)
    {}
    ~OpenKey()
    {
        if (m_open)
            m_registry.RegCloseKey(m_key);
    }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;

    Registry::HKEY *out() { return &m_key; }
    void opened() { m_open = true; }
    Registry::HKEY key() const { return m_key; }

private:
    Registry::Api &m_registry;
    Registry::HKEY m_key = 0;
    bool m_open = false;
};

std::string hexText(std::uint32_t number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", unsigned(number));
    return digits;
}

} // namespace

bool GetKeyValue(Registry::Api &registry, const Registry::HKEY &KeyRoot, const std::string &KeyName,
                 const std::string &SubKeyRef, std::string &KeyVal)
{
    OpenKey hKey(registry);
    if (registry.RegOpenKeyExA(KeyRoot, KeyName.c_str(), 0, KeyAccess, hKey.out()) != Registry::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    hKey.opened();

    std::vector<unsigned char> tmpVal(ValueBufferBytes, 0);
    Registry::DWORD KeyValSize = Registry::DWORD(ValueBufferBytes);
    Registry::DWORD KeyValType = 0;
    if (registry.RegQueryValueExA(hKey.key(), SubKeyRef.c_str(), nullptr, &KeyValType, tmpVal.data(), &KeyValSize)
        != Registry::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    // Looking at the last byte of no bytes at all is the invalid argument
    // that the old program raised here.
    if (KeyValSize == 0)
        throw RuntimeError("invalid procedure call or argument");
    if (KeyValSize > ValueBufferBytes)
        KeyValSize = Registry::DWORD(ValueBufferBytes); // a registry that overstates its size
    std::size_t length = KeyValSize;
    if (tmpVal[length - 1] == 0)
        --length; // at most one terminating zero goes

    switch (KeyValType) {
    case Registry::REG_SZ: KeyVal.assign(reinterpret_cast<const char *>(tmpVal.data()), length); break;
    case Registry::REG_DWORD: {
        // Least significant byte first; bytes the value does not have read
        // as the zeros the buffer was filled with.
        const std::uint32_t number = std::uint32_t(tmpVal[0]) | (std::uint32_t(tmpVal[1]) << 8)
                                     | (std::uint32_t(tmpVal[2]) << 16) | (std::uint32_t(tmpVal[3]) << 24);
        // The old runtime's general formatting leaves a hexadecimal literal
        // as it is, so the text keeps its "&h" form.
        KeyVal = "&h" + hexText(number);
        break;
    }
    default: break; // no text for other types; KeyVal keeps what it had
    }
    return true;
}

void StartSysInfo(const Platform &platform)
{
    try {
        if (!platform.registry)
            throw RuntimeError("no registry");
        std::string SysInfoPath;
        if (!GetKeyValue(*platform.registry, Registry::HKEY_LOCAL_MACHINE, MsInfoKey, MsInfoValue, SysInfoPath)) {
            if (!GetKeyValue(*platform.registry, Registry::HKEY_LOCAL_MACHINE, LocationKey, LocationValue, SysInfoPath))
                throw RuntimeError("no location");
            // Appended as it is: a folder ending in "\" gets a doubled one.
            const std::string candidate = SysInfoPath + ToolFile;
            if (platform.fileTest(candidate).empty())
                throw RuntimeError("not found");
            SysInfoPath = candidate;
        }
        platform.startProgram(SysInfoPath);
    } catch (...) {
        if (platform.messageBox)
            platform.messageBox(UnavailableMessage);
    }
}

std::string localPath(const std::string &registryPath)
{
    std::string path = registryPath;
    if (path.size() >= 2 && path[1] == ':'
        && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        path.erase(0, 2);
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace SysInfo
