// libFuzzer target: any bytes parse cleanly, and the registry made of them keeps its contract.

#include "about/regfile.h"

#include <cstdlib>

using namespace Registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FileRegistry registry{Hive::parse(std::string_view(reinterpret_cast<const char *>(data), size))};
    for (const char *keyName : {"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                "SOFTWARE\\Microsoft\\Shared Tools Location", "SOFTWARE\\T", "", "A\\B"}) {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, 0x2003F, &key) != ERROR_SUCCESS)
            continue;
        for (const char *name : {"PATH", "MSINFO", "V", ""}) {
            unsigned char buffer[1024] = {};
            DWORD type = 0, bufferSize = sizeof buffer;
            if (registry.RegQueryValueExA(key, name, nullptr, &type, buffer, &bufferSize) == ERROR_SUCCESS
                && bufferSize > sizeof buffer)
                std::abort(); // reported more than it could have written
        }
        registry.RegCloseKey(key);
    }
    if (registry.openKeyCount() != 0)
        std::abort();
    return 0;
}
