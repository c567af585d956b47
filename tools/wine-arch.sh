#!/usr/bin/env bash
# Prints the Windows architecture whose programs Wine can run here: i686 when
# this machine executes 32-bit x86 code, x86_64 when it does not (some
# kernels have IA-32 emulation switched off, and 32-bit Wine cannot start).
# TEST_ARCH=i686 or TEST_ARCH=x86_64 overrides the choice.
set -u
if [ -n "${TEST_ARCH:-}" ]; then
    echo "$TEST_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
