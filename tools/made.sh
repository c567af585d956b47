#!/usr/bin/env bash
# What the publisher's commands (edition.sh, sign.sh, disc.sh) may replace.
# Sourced by them. They overwrite or delete only what they wrote themselves:
# each file they put in place is noted with its SHA-256 in the checkout's
# build/made.sha256, and a file there is theirs while it is still as they
# wrote it. Anything else in the way is refused, and left as it is.

made_ledger=$(realpath -m "$(dirname "${BASH_SOURCE[0]}")/../build/made.sha256")

made_fail() {
    echo "$*" >&2
    exit 1
}

# The path as the caller meant it, from the caller's folder, absolute.
made_path() {
    case $1 in
    "") made_fail "an empty path was given" ;;
    *$'\n'*) made_fail "$(printf %q "$1"): a path with a line break in it is not taken" ;;
    esac
    realpath -m -- "$1"
}

# Whether PATH is INSIDE, or INSIDE itself (both absolute).
made_within() {
    case $1/ in
    "$2"/*) return 0 ;;
    esac
    return 1
}

# Whether FILE is one that these commands wrote and nobody changed since.
made_by_us() {
    local file=$1 sum
    [ -f "$file" ] && [ ! -L "$file" ] && [ -f "$made_ledger" ] || return 1
    sum=$(sha256sum <"$file" | cut -d' ' -f1)
    grep -qxF "$sum  $file" "$made_ledger"
}

# Notes FILE, just put in place, as written by these commands. Entries of
# files that are gone, or were written over, go.
made_note() {
    local file=$1 line kept
    mkdir -p "$(dirname "$made_ledger")"
    kept=$(mktemp "$made_ledger.XXXXXX")
    if [ -f "$made_ledger" ]; then
        while IFS= read -r line; do
            [ "${line:66}" != "$file" ] && made_by_us "${line:66}" && printf '%s\n' "$line"
        done <"$made_ledger" >"$kept" || true
    fi
    printf '%s  %s\n' "$(sha256sum <"$file" | cut -d' ' -f1)" "$file" >>"$kept"
    mv "$kept" "$made_ledger"
}

# Makes FOLDER and whatever is missing above it; made_unmake takes back,
# after a failure, those that are still empty.
made_folders=()
made_mkdir() {
    local above=$1 missing=()
    while [ ! -e "$above" ]; do
        missing=("$above" ${missing[@]+"${missing[@]}"})
        above=$(dirname "$above")
    done
    mkdir -p "$1"
    made_folders+=(${missing[@]+"${missing[@]}"})
}
made_unmake() {
    local i
    for ((i = ${#made_folders[@]} - 1; i >= 0; i--)); do
        rmdir -- "${made_folders[i]}" 2>/dev/null || true
    done
}
