# What the shell checks share (check_editions.sh, check_disc.sh and
# check_docs.sh source it): a failure counted, a folder's snapshot, a row
# that must be refused with its message and nothing changed, and the line
# of a sample's setting.
# shellcheck shell=bash

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Every name below FOLDER, and each file's size, date, link and content.
snapshot() {
    (cd "$1" 2>/dev/null && find . \( -type d -printf '%p %y\n' \) -o -printf '%p %y %s %T@ %l\n' |
        LC_ALL=C sort && find . -type f -exec sha256sum {} + | LC_ALL=C sort)
}

# Whether a line of OUTPUT holds EXPECTED, "…" standing for any text; an
# EXPECTED that starts with "^" must start the line.
says() {
    want=$2 awk 'BEGIN {
            want = ENVIRON["want"]
            anchored = substr(want, 1, 1) == "^"
            n = split(anchored ? substr(want, 2) : want, part, "…")
        }
        {
            at = index($0, part[1])
            if (at == 0 || (anchored && at != 1)) next
            rest = substr($0, at + length(part[1]))
            for (i = 2; i <= n && (at = index(rest, part[i])) > 0; i++)
                rest = substr(rest, at + length(part[i]))
            if (i > n) found = 1
        }
        END {exit !found}' <<<"$1"
}

# Runs COMMAND..., which must fail, say EXPECTED (as says() reads it) and
# leave FOLDER as it was; ROW names it in a failure.
check_refused() {
    local row=$1 expected=$2 folder=$3 before output
    shift 3
    before=$(snapshot "$folder")
    if output=$("$@" 2>&1 >/dev/null); then
        fail "$row: accepted"
    elif ! says "$output" "$expected"; then
        fail "$row: expected \"$expected\", got:"$'\n'"$output"
    elif [ "$(snapshot "$folder")" != "$before" ]; then
        fail "$row: files were changed: $(diff <(echo "$before") <(snapshot "$folder") | head -n 6)"
    fi
}

# TEXT with each "@SETTING" the line of SETTING in the edition file SAMPLE,
# and each "@+N" the Nth line added after its last, so that a row's
# expected message follows the sample as it changes. A setting the sample
# lacks gives "?", which no message has.
at_lines() {
    local text=$1 sample=$2 name line
    while [[ $text =~ @(\+[0-9]+|[a-z_]+) ]]; do
        name=${BASH_REMATCH[1]}
        if [ "${name:0:1}" = + ]; then
            line=$(($(wc -l <"$sample") + ${name:1}))
        else
            line=$(grep -n -m 1 "^$name = " "$sample" | cut -d: -f1)
        fi
        text=${text/"@$name"/${line:-?}}
    done
    printf '%s' "$text"
}
