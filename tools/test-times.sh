#!/usr/bin/env bash
# The last test run's time and its slowest tests, from CTest's own log of
# it:
#     test-times.sh [BUILD_DIR [COUNT]]
# BUILD_DIR defaults to build/i686 (the x86_64 road's is build/x86_64),
# COUNT to 5. Run it after tools/test.sh or ctest.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
build=$(realpath -m "${1:-$top/build/i686}")
count=${2:-5}
log=$build/Testing/Temporary/LastTest.log
[ -f "$log" ] || { echo "$log: no test run to read" >&2; exit 1; }
# Each test's log ends with "<end of output>" and "Test time = N sec"; the
# whole run's start and end are the log's first and last time stamps.
awk -v count="$count" '
    /^[0-9]+\/[0-9]+ Test: / { name = $3 }
    /^Test time = / { times[name] = $4 }
    /^Start testing: / { start = substr($0, 16) }
    /^End testing: / { end = substr($0, 14) }
    END {
        n = 0
        for (name in times) { n++; total += times[name] }
        printf "%d tests, %.0f s of test time; run from %s to %s\n", n, total, start, end
        printf "slowest %d:\n", count
        for (i = 1; i <= count; i++) {
            best = ""
            for (name in times) if (best == "" || times[name] + 0 > times[best] + 0) best = name
            if (best == "") break
            printf "  %7.1f s  %s\n", times[best], best
            delete times[best]
        }
    }' "$log"
