// The executable's load configuration directory, for its one setting that
// matters here: DependentLoadFlags, with which Windows 10 1607 and later take
// every DLL the executable imports from the system folder only, never from
// the executable's own folder. The layout is Windows' IMAGE_LOAD_CONFIG_
// DIRECTORY64 up to SEHandlerCount (112 bytes, the size Windows 8 knew);
// mingw-w64's header still calls DependentLoadFlags Reserved1, so it is
// spelled out here. Everything else is zero: no security cookie (the stack
// protector keeps its own), no guard tables.
//
// GNU ld 2.40 makes no directory entry for _load_config_used, so
// cmake/pe_load_config.py writes it after the link: it finds the structure
// as the section .loadcfg, which holds nothing else. Under Wine (8.0) the
// flags do nothing: its loader does not read them.

#include <windows.h>

#include <cstddef>

// Of external linkage, as the object is.
struct LoadConfig64
{
    DWORD Size;
    DWORD TimeDateStamp;
    WORD MajorVersion;
    WORD MinorVersion;
    DWORD GlobalFlagsClear;
    DWORD GlobalFlagsSet;
    DWORD CriticalSectionDefaultTimeout;
    ULONGLONG DeCommitFreeBlockThreshold;
    ULONGLONG DeCommitTotalFreeThreshold;
    ULONGLONG LockPrefixTable;
    ULONGLONG MaximumAllocationSize;
    ULONGLONG VirtualMemoryThreshold;
    ULONGLONG ProcessAffinityMask;
    DWORD ProcessHeapFlags;
    WORD CSDVersion;
    WORD DependentLoadFlags;
    ULONGLONG EditList;
    ULONGLONG SecurityCookie;
    ULONGLONG SEHandlerTable;
    ULONGLONG SEHandlerCount;
};
static_assert(sizeof(LoadConfig64) == 112 && offsetof(LoadConfig64, DependentLoadFlags) == 78);

constexpr LoadConfig64 loadConfig()
{
    LoadConfig64 config{};
    config.Size = sizeof(LoadConfig64);
    config.DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return config;
}

// Kept by the link (-u) though nothing refers to it.
extern "C" {
extern const LoadConfig64 _load_config_used;
__attribute__((used, section(".loadcfg"))) const LoadConfig64 _load_config_used = loadConfig();
}
