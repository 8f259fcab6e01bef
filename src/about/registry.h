#pragma once

// The three registry calls the About window makes, with the meaning of
// advapi32's RegOpenKeyExA, RegQueryValueExA and RegCloseKey. Standard C++
// only: on Windows an implementation forwards to advapi32, elsewhere it
// reads a registry export file (regfile.h). Text in and out is in the
// system's narrow ("ANSI") code page, which on Linux is UTF-8.

#include <cstdint>

namespace Registry {

// Handles are 32-bit, as the program has always passed them.
using HKEY = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;

inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_MORE_DATA = 234;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

class Api
{
public:
    virtual ~Api() = default;

    // Zero on success, then *result is the opened key.
    virtual LONG RegOpenKeyExA(HKEY key, const char *subKey, DWORD options, DWORD samDesired, HKEY *result) = 0;

    // Zero on success. *size is the buffer size in and the data size out;
    // data that does not fit gives ERROR_MORE_DATA and the size it needs.
    // A null data pointer asks for the type and size only.
    virtual LONG RegQueryValueExA(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, unsigned char *data,
                                  DWORD *size) = 0;

    virtual LONG RegCloseKey(HKEY key) = 0;
};

} // namespace Registry
