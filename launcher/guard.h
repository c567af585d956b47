// The stack protector's guard, seeded anew in every run.
#pragma once

// Seeds the guard. Call it first, before any function that checks the guard
// is on the stack; it must not check the guard itself, which it changes.
__attribute__((no_stack_protector)) void Seed_Guard();
