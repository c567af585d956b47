// The stack protector's guard value and its failure handler, in place of
// GCC's libssp, whose seeding loads the RSA crypto provider on every start.
// Like Microsoft's runtime, this guard mixes the time, the process and thread
// ids, the tick count and the performance counter: different in every run,
// so that a crafted input (an installation record, say) cannot carry the
// value that an overrun would have to write over it.
#include "base/guard.h"

#include <windows.h>

#include <stdint.h>

// Both are used only by the code that the compiler adds to the functions it
// guards, which link-time optimisation does not see: it must be told to
// keep them.
extern "C" {
// Copied onto the stack on entry by every function that the protector
// guards (those with a local array, or a local whose address is taken), and
// compared before it returns.
__attribute__((used, externally_visible)) uintptr_t __stack_chk_guard;

// A function's guard copy was overwritten: the stack is corrupt, and nothing
// on it can be trusted. End at once, with the code Windows uses for this.
__attribute__((noreturn, used, externally_visible)) void __stack_chk_fail(void)
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}
}

__attribute__((no_stack_protector)) void Seed_Guard()
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
