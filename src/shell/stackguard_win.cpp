// The stack protector's guard and the failure handlers of the stack
// protector and of the fortified functions, for the program's own code.
// GCC's libssp has them too, but it sets its guard in a constructor that
// asks the crypto provider for random bytes (CryptAcquireContext): that
// loads rsaenh.dll by name before main() restricts the DLL search, so from
// the program's folder first if one lies there, and under Wine it costs
// tens of milliseconds of every start. Here the guard comes from
// RtlGenRandom (advapi32, imported anyway), in the first constructor to
// run: before it runs only the runtime's start-up code, which the protector
// does not instrument. A failure ends the process at once, as Windows' own
// stack cookie check does (__fastfail).

#include <windows.h>

#include <ntsecapi.h>

#include <cstdint>

// The names the compiler calls.
extern "C" {
std::uintptr_t __stack_chk_guard;     // NOLINT(bugprone-reserved-identifier)
[[noreturn]] void __stack_chk_fail(); // NOLINT(bugprone-reserved-identifier)
[[noreturn]] void __chk_fail();       // NOLINT(bugprone-reserved-identifier)
}

namespace {

[[noreturn]] void fastFail(unsigned int code)
{
    asm volatile("int $0x29" : : "c"(code));
    __builtin_unreachable();
}

__attribute__((constructor(101), no_stack_protector)) void setStackGuard()
{
    std::uintptr_t guard = 0;
    // Without random bytes, libssp's terminator canary: a zero byte, a line
    // feed and 0xff stop most string copies.
    if (!RtlGenRandom(&guard, sizeof guard) || guard == 0)
        guard = 0xff0a000000000000;
    __stack_chk_guard = guard;
}

} // namespace

void __stack_chk_fail()
{
    fastFail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}

void __chk_fail()
{
    fastFail(FAST_FAIL_RANGE_CHECK_FAILURE);
}
