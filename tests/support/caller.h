// Where a checking helper was called from. Its failures report the helper's
// own line; this adds the caller's, as Wine's tests do with their file and
// line arguments. A helper takes `const Caller & = {}` as its last
// parameter: the default argument is made at the call, with its place.
#pragma once

#include <gtest/gtest.h>

class Caller
{
  public:
    Caller(const char *file = __builtin_FILE(), int line = __builtin_LINE())
        : trace_(file, line, "called from here")
    {
    }

  private:
    testing::ScopedTrace trace_;
};
