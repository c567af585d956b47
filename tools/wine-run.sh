#!/usr/bin/env bash
# Runs a Windows program in the Wine session of a build tree:
#   wine-run.sh BUILD_DIR PROGRAM [ARGUMENTS...]
# CTest uses it as the emulator for every test program.
set -eu
env_file=$1/wine/env
shift
if [ ! -f "$env_file" ]; then
    echo "No Wine session in this build tree; run tools/test.sh" >&2
    exit 1
fi
# shellcheck source=/dev/null
. "$env_file"
# Its standard error, which the programs it starts share, also goes to
# C:\stderr.log, where a test reads what Wine traced of them (WINEDEBUG).
exec "$WINE_LOADER" "$@" 2> >(tee -a "$WINEPREFIX/drive_c/stderr.log" >&2)
