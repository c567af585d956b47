#!/usr/bin/env bash
# The figures the documentation gives that a build can check, and its links:
#     check_docs.sh INSTALL_EXE
# INSTALL_EXE is the shipped build of the Vexmoor edition, whose SHA-256
# docs/publishing.md gives; every link from README.md and docs/ to a file of
# the tree must find it, and a link to a heading must find the heading.
set -uo pipefail
program=$(realpath "$1")
cd "$(dirname "$0")/.."
# shellcheck source=tests/refusals.sh
. tests/refusals.sh

given=$(sed -n 's/^ *SHA-256 of the Vexmoor edition: \([0-9a-f]*\)$/\1/p' docs/publishing.md)
built=$(sha256sum <"$program" | cut -d' ' -f1)
[ "$given" = "$built" ] ||
    fail "docs/publishing.md gives the Vexmoor edition's SHA-256 as \"$given\"; the build's is $built"

# GitHub's name for a heading: lower case, spaces as "-", no punctuation.
anchors() { sed -n 's/^#\{1,6\} //p' "$1" | tr '[:upper:]' '[:lower:]' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'; }
for page in README.md docs/*.md; do
    while read -r link; do
        target=${link%%#*} anchor=${link#*#}
        [ "$anchor" != "$link" ] || anchor=""
        file=$page
        [ -z "$target" ] || file=$(dirname "$page")/$target
        if [ ! -e "$file" ]; then
            fail "$page links to $link, which is not there"
        elif [ -n "$anchor" ] && ! anchors "$file" | grep -qx -- "$anchor"; then
            fail "$page links to $link, and $file has no such heading"
        fi
    done < <(grep -o '](\([^)]*\))' "$page" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*://')
done

echo "$failures of the documentation's checks failed"
[ $failures -eq 0 ]
