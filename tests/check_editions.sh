#!/usr/bin/env bash
# Bad edition files: each is the English sample with one fault, and must stop
# the build with the file's name, the fault's line and what is wrong, and
# leave nothing built.
#     check_editions.sh [--fit]
# With --fit, the rows whose texts are too wide for the window, which build
# install.exe and measure it under Wine (tools/edition.sh), run too.
set -uo pipefail
cd "$(dirname "$0")/.."
sample=editions/english.edition
scratch=$(mktemp -d /tmp/vexmoor-editions.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bad=$scratch/bad.edition
failures=0

# One row: SETTING VALUE EXPECTED. VALUE "-" leaves the setting out; SETTING
# "+" adds the line VALUE at the end. EXPECTED is how the message goes on
# after "bad.edition".
rows=(
    "+|colour = red|:83: unknown setting \"colour\""
    "+|game = TIDEWATR.BAT|:83: \"game\" is set twice (first on line 66)"
    "+|just some words|:83: is not \"setting = value\""
    "game|-|: no setting \"game\""
    "start_button||:36: \"start_button\" is empty"
    "code_page|65001|:16: \"code_page\" must be one of 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258"
    # Code page 1252 has no Polish letters.
    "start_button|Graj dalej, Łucjo|:36: \"start_button\": \"Ł\" is not in code page 1252"
    "cannot_find|The folder %s or %s is gone.|:47: \"cannot_find\" must have exactly one %s and no other % (it has %s %s)"
    "cannot_find|The folder cannot be found.|:47: \"cannot_find\" must have exactly one %s and no other % (it has none)"
    "game_run_error|Error %d in %s.|:49: \"game_run_error\" must have exactly one %s and no other % (it has %d %s)"
    "install_complete|100%% done.%s|:53: \"install_complete\" must have exactly one %s and no other % (it has %% %s)"
    "folder_error|$(printf 'x%.0s' $(seq 317))%s|:51: \"folder_error\" is 319 bytes long; at most 318 fit"
    "game|GAME\\TIDEWATR.BAT|:66: \"game\" must be a program's name alone, without a folder"
    "installer|D:TWSETUP.EXE|:63: \"installer\" must be a program's name alone, without a folder"
    "continue_game|RESUME GAME.BAT|:67: \"continue_game\" has a space"
    "installer|INSTALL.EXE|:63: \"installer\" is the launcher's own name"
    "game|$(printf 'G%.0s' $(seq 256)).BAT|:66: \"game\" is 260 bytes long; at most 259 fit"
    "sound_drive_switch|-disc:$(printf 'x%.0s' $(seq 241))|:65: the sound setup's command line is 260 bytes long; at most 259 fit"
    "key_product|Tide\\water|:24: \"key_product\" has a backslash"
    "key_version|$(printf 'v%.0s' $(seq 218))|:25: the key \"Software\\Marrowgate Studios\\Tidewater\\$(printf 'v%.0s' $(seq 218))\" is 256 bytes long; at most 255 fit"
    "file_version|2.1.beta|:77: \"file_version\" must be one to four numbers up to 65535, with dots between them (\"1.0\")"
    "file_language|English|:78: \"file_language\" must be a Windows language id of four hex digits (\"0407\" German, \"0409\" English, \"0415\" Polish)"
)
# Too wide for the window: measured, so install.exe is built first. What
# Wine's fonts measure follows the message.
fit_rows=(
    "start_button|Play the whole game|:36: \"start_button\" does not fit its place in the window:"
    "line|Insert the Tidewater disc in the drive, then choose what to do.|:35: \"line\" does not fit its place in the window:"
)

make_bad() {
    local setting=$1 value=$2
    if [ "$setting" = + ]; then
        cat "$sample" >"$bad"
        printf '%s\n' "$value" >>"$bad"
    elif [ "$value" = - ]; then
        sed "s/^$setting = .*/# left out/" "$sample" >"$bad"
    else
        # From the environment: awk -v would read backslashes as escapes.
        s=$setting v=$value awk 'index($0, ENVIRON["s"] " = ") == 1 {$0 = ENVIRON["s"] " = " ENVIRON["v"]}
            {print}' "$sample" >"$bad"
    fi
}

check_row() {
    local command=$1 row=$2 setting value expected output
    IFS='|' read -r setting value expected <<<"$row"
    make_bad "$setting" "$value"
    rm -rf "$scratch/out"
    output=$($command "$bad" "$scratch/out" 2>&1 >/dev/null)
    local status=$?
    if [ $status -eq 0 ]; then
        echo "FAILED: $setting = $value: accepted"
        failures=$((failures + 1))
    elif ! want=$bad$expected awk 'index($0, ENVIRON["want"]) == 1 {found = 1} END {exit !found}' \
        <<<"$output"; then
        echo "FAILED: $setting = $value: expected \"bad.edition$expected\", got:"
        echo "$output"
        failures=$((failures + 1))
    elif [ -n "$(ls -A "$scratch/out" 2>/dev/null)" ]; then
        echo "FAILED: $setting = $value: something was built"
        failures=$((failures + 1))
    fi
}

check_file() { python3 tools/edition/edition.py "$1" "$2"; }
for row in "${rows[@]}"; do
    check_row check_file "$row"
done
if [ "${1:-}" = --fit ]; then
    for row in "${fit_rows[@]}"; do
        check_row "bash tools/edition.sh" "$row"
    done
fi
# The sample itself is good.
check_file "$sample" "$scratch/good" || failures=$((failures + 1))
echo "$failures of the bad edition files were not refused as they should be"
[ $failures -eq 0 ]
