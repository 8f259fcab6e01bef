#pragma once

// A read-only registry for systems without one: HKEY_LOCAL_MACHINE as
// written in a registry export file ("Windows Registry Editor Version 5.00"
// in UTF-16LE or UTF-8, or REGEDIT4). Standard C++ only, so the parser can
// be fuzzed on its own.
//
// The file is outside our control, so nothing in it may bring the program
// down: a section or value line that does not parse leaves that key or value
// missing, and everything else in the file still counts.

#include "about/registry.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace Registry {

// One value as the narrow ("A") calls hand it out: strings already in the
// narrow code page, with their terminating zero if the file stored one.
struct Value
{
    DWORD type = REG_NONE;
    std::string data;
};

class Hive
{
public:
    // Never throws for any input; a file without a known header is empty.
    static Hive parse(std::string_view fileBytes);

    // Key paths are below HKEY_LOCAL_MACHINE, components separated by "\",
    // compared without regard to ASCII case, as the registry does.
    bool hasKey(std::string_view keyPath) const;
    const Value *find(std::string_view keyPath, std::string_view valueName) const;

private:
    friend class HiveBuilder;
    std::map<std::string, std::map<std::string, Value>> m_keys;
};

// Bigger export files are not ours; they read as an empty registry rather
// than being pulled into memory.
inline constexpr std::size_t MaxFileBytes = std::size_t{16} * 1024 * 1024;

class FileRegistry : public Api
{
public:
    explicit FileRegistry(Hive hive);

    // A missing, unreadable or oversized file gives an empty registry.
    static FileRegistry fromFile(const std::string &path);

    LONG RegOpenKeyExA(HKEY key, const char *subKey, DWORD options, DWORD samDesired, HKEY *result) override;
    LONG RegQueryValueExA(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, unsigned char *data,
                          DWORD *size) override;
    LONG RegCloseKey(HKEY key) override;

    std::size_t openKeyCount() const { return m_open.size(); }

private:
    bool pathOf(HKEY key, std::string &path) const;

    Hive m_hive;
    std::map<HKEY, std::string> m_open;
    HKEY m_nextHandle = 0x100;
};

} // namespace Registry
