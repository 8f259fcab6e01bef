// libFuzzer target for the registry export parser: any bytes must parse
// without a crash, leak or undefined behaviour, and the registry built from
// them must answer the About window's queries within their contract.

#include "about/regfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace Registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FileRegistry registry{Hive::parse(std::string_view(reinterpret_cast<const char *>(data), size))};

    static const char *const keys[] = {"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                       "SOFTWARE\\Microsoft\\Shared Tools Location", "SOFTWARE\\T", "", "A\\B"};
    static const char *const names[] = {"PATH", "MSINFO", "V", ""};
    for (const char *keyName : keys) {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, 0x2003F, &key) != ERROR_SUCCESS)
            continue;
        for (const char *name : names) {
            unsigned char buffer[1024] = {};
            DWORD type = 0;
            DWORD bufferSize = sizeof buffer;
            const LONG result = registry.RegQueryValueExA(key, name, nullptr, &type, buffer, &bufferSize);
            if (result == ERROR_SUCCESS && bufferSize > sizeof buffer)
                std::abort(); // reported more than it could have written
        }
        registry.RegCloseKey(key);
    }
    if (registry.openKeyCount() != 0)
        std::abort();
    return 0;
}
