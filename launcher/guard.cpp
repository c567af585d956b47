// The stack protector's guard value and its failure handler, in place of
// GCC's libssp. libssp seeds the guard from the RSA crypto provider, which
// costs every start of the launcher a provider load. Like the guard of
// Microsoft's runtime, this one mixes the time, the process and thread ids,
// the tick count and the performance counter: not a secret from a local
// attacker, but different in every run, which is what catches an overrun.
#include <windows.h>

#include <stdint.h>

extern "C" {
// Read in every function that has an array on its stack, on entry and again
// before it returns.
uintptr_t __stack_chk_guard;

// A function's guard copy was overwritten: the stack is corrupt, and nothing
// on it can be trusted. End at once, with the code Windows uses for this.
__attribute__((noreturn)) void __stack_chk_fail(void)
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}
}

namespace
{
// Runs among the static constructors, before WinMain: no function that
// checks the guard is on the stack yet, so changing it breaks no check. It
// must not check the guard itself, which it changes.
__attribute__((constructor, no_stack_protector)) void Seed_Guard()
{
    FILETIME now;
    LARGE_INTEGER counter;

    GetSystemTimeAsFileTime(&now);
    QueryPerformanceCounter(&counter);
    uintptr_t seed = now.dwLowDateTime ^ now.dwHighDateTime;
    seed ^= GetCurrentProcessId() ^ ((uintptr_t)GetCurrentThreadId() << 8);
    seed ^= GetTickCount();
    seed ^= (uintptr_t)counter.QuadPart ^ ((uintptr_t)counter.HighPart << 16);
    __stack_chk_guard = seed;
}
} // namespace
