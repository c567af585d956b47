// The stack protector's guard, seeded anew in every run.
#pragma once

// Seeds the guard. Call it first, before any function that checks the guard
// is on the stack; it must not check the guard itself, which it changes.
__attribute__((no_stack_protector)) void Seed_Guard();

// Marks a function that keeps no buffer of its own: the only locals that
// Windows writes through are a structure or a number that it fills to its
// declared size (a MSG, a WNDCLASS, a key's handle, an exit code), which no
// input can make longer. The guard would cost each some 24 bytes of code
// and two relocations, for nothing to protect. A function that the compiler
// copies into one of these (from any file, as install.exe is linked with
// link-time optimisation) runs there without the guard: what they call
// keeps its buffers, if any, in a frame of its own.
#define NO_BUFFER __attribute__((no_stack_protector))
