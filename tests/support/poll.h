// Waits for a condition in 50 ms steps, with a bound.
#pragma once

#include <windows.h>

// Polls `done` every 50 ms for up to `timeout_ms`; returns whether it came
// true.
template <typename Done> bool Poll(int timeout_ms, Done done)
{
    const int step_ms = 50;
    for (int waited = 0; waited <= timeout_ms; waited += step_ms) {
        if (done())
            return true;
        Sleep(step_ms);
    }
    return false;
}
