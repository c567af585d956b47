#!/usr/bin/env bash
# Bad edition files: each is the English sample with one fault, and must stop
# the build with the file's name, the fault's line and what is wrong, and
# leave what an earlier build made in the output folder as it was.
#     check_editions.sh [--fit]
# With --fit, the rows that run tools/edition.sh, which builds install.exe
# and measures it under Wine, run instead: texts too wide for the window, an
# install.exe that the command did not make, and a good build from another
# folder that replaces the earlier one.
set -uo pipefail
cd "$(dirname "$0")/.."
sample=editions/english.edition
scratch=$(mktemp -d /tmp/vexmoor-editions.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bad=$scratch/bad.edition
failures=0

# One row: SETTING|VALUE[|SETTING|VALUE...]|EXPECTED. VALUE "-" leaves the
# setting out; SETTING "+" adds the line VALUE at the end; SETTING "~" saves
# the file in the encoding VALUE. EXPECTED is how the message goes on after
# "bad.edition", with "…" for any text.
rows=(
    "+|colour = red|:89: unknown setting \"colour\""
    "+|game = TIDEWATR.BAT|:89: \"game\" is set twice (first on line 66)"
    "+|just some words|:89: is not \"setting = value\""
    "game|-|: no setting \"game\": add a line \"game = ...\", as editions/english.edition shows with what it is for"
    "start_button|Zurück|~|cp1252|:36: is not UTF-8 text: save the file as UTF-8"
    "~|utf-16|: is UTF-16 text: save the file as UTF-8"
    # What other formats write: quotes, and a comment after the value.
    "caption|\"Tidewater\"|:32: \"caption\" is in quotation marks, which would be part of the text: no quotes are needed"
    "start_button|Play   # the first button|:36: \"start_button\" has \" # \" in it, which would be part of the text: comments go on a line of their own"
    "start_button||:36: \"start_button\" is empty"
    "code_page|65001|:16: \"code_page\" must be one of 874, 1250, 1251, 1252, 1253, 1254, 1257, 1258"
    # The window reads left to right.
    "code_page|1255|:16: \"code_page\": 1255 is Hebrew, written right to left, and the launcher's window reads left to right: it cannot show it as it is read"
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
    # Czech in decimal, as Microsoft's tables also write it.
    "file_language|1029|:78: \"file_language\": 1029 is no language Windows knows; give its id in hex (0405, Czech, cs_CZ, is 1029 in decimal?)"
    # A "&" would mark a keyboard shortcut, which the window does not have.
    "start_button|&Play|:36: \"start_button\" has a \"&\", which would underline the letter after it as a keyboard shortcut that the window does not have: write \"&&\" for a \"&\""
    # A sound setup needs its switch, and a switch its sound setup.
    "sound_setup|-|:65: \"sound_drive_switch\" is set, but \"sound_setup\" is not: a sound setup needs both, a game without one neither"
    # Another language's texts, after its "[ID]".
    "+|[0407]|+|code_page = 1252|:89: \"[0407]\" has no \"caption\", which the default language has: add a line \"caption = ...\" after this one"
    "+|[0407]|+|line = Bitte wählen.|+|line = Wählen Sie.|:91: \"line\" is set twice (first on line 90)"
    "+|[0407]|+|game = SPIEL.BAT|:90: \"game\" is one for all languages: give it once, above the first \"[0407]\""
    "+|[0407]|+|[0407]|:90: \"[0407]\" is given twice (first on line 89)"
    "+|[0409]|:89: \"[0409]\" is the default language (\"file_language\"), whose texts come before the first \"[ID]\""
    "+|[German]|:89: [German] must be a Windows language id of four hex digits (\"0407\" German, \"0409\" English, \"0415\" Polish)"
    "+|[0499]|:89: [0499]: 0499 is no language Windows knows; give its id in hex"
    # The icon (icons below): a file that is missing, another picture named
    # .ico, and an ICO without both images or with more than they need.
    "icon|gone.ico|:88: \"icon\": gone.ico cannot be read: No such file or directory"
    "icon|picture.png.ico|:88: \"icon\": picture.png.ico is a PNG picture, not an icon (.ico): save it as an icon"
    "icon|picture.bmp.ico|:88: \"icon\": picture.bmp.ico is a BMP picture, not an icon (.ico): save it as an icon"
    "icon|no16.ico|:88: \"icon\": no16.ico has no 16×16 image; it must have one 16×16 and one 32×32 image of 16 or 256 colours (4 or 8 bits), at most 3,638 bytes: Windows 95 to 11 draw install.exe's icon from those, and whatever else the file holds would make install.exe larger for nothing"
    "icon|big.ico|:88: \"icon\": big.ico has a 48×48 image of 4 bits; it must have one 16×16"
    "icon|deep.ico|:88: \"icon\": deep.ico has a 32×32 image of 32 bits; it must have one 16×16"
    "icon|tail.ico|:88: \"icon\": tail.ico is larger than its images; it must have one 16×16"
)
# The icons that the rows name, beside bad.edition: the sample's, and each
# fault made from it.
cp editions/tidewater.ico "$scratch/"
python3 - "$scratch" <<'ICONS'
import struct, sys
folder = sys.argv[1]
good = open(folder + "/tidewater.ico", "rb").read()
def write(name, data):
    open("%s/%s" % (folder, name), "wb").write(data)
def icon(images):
    out, offset = struct.pack("<HHH", 0, 1, len(images)), 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)
def image(size, bits):
    row, mask = (size * bits + 31) // 32 * 4, (size + 31) // 32 * 4
    colours = 4 << bits if bits <= 8 else 0
    return (struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, 0, 0, 0, 0, 0) +
            bytes(colours + size * (row + mask)))
big, small = image(32, 4), image(16, 4)
write("picture.png.ico", b"\x89PNG\r\n\x1a\n" + bytes(100))
write("picture.bmp.ico", b"BM" + bytes(100))
write("no16.ico", icon([(32, 4, big)]))
write("big.ico", icon([(32, 4, big), (16, 4, small), (48, 4, image(48, 4))]))
write("deep.ico", icon([(16, 4, small), (32, 32, image(32, 32))]))
write("tail.ico", good + bytes(16))
ICONS
# German texts, every one, for a row to add after its "[0407]" line (89):
# each "+|LINE", the window's line on line 92.
german=()
for line in "code_page = 1252" "caption = Tidewater" "line = CD einlegen, dann wählen." \
    "start_button = Spielen" "continue_button = Fortsetzen" "install_button = Installieren" \
    "cancel_button = Beenden" "warning_caption = Tidewater" "untitled = (ohne Namen)" \
    "cannot_find = Nicht gefunden: %s" "game_run_error = Spielfehler %s" \
    "folder_error = Ordnerfehler %s" "install_complete = Installiert.%s" \
    "install_incomplete = Nicht installiert.%s" "first_run_incomplete = Nicht installiert.%s" \
    "file_description = Installiert und startet Tidewater"; do
    german+=("+|$line")
done
german=$(IFS='|' && echo "${german[*]}")
# Polish and Serbian texts, every one, each language's line on line 92.
polish=${german/1252/1250}
polish=${polish/CD einlegen, dann wählen./Włóż płytę i wybierz.}
serbian=${german/1252/1251}
serbian=${serbian/CD einlegen, dann wählen./Убаците диск Tidewater.}
# Too wide for the window: measured, so install.exe is built first. What
# Wine's fonts measure stands for "…" in the message.
fit_rows=(
    "start_button|Play the whole game|:36: \"start_button\" does not fit its place in the window: … on a Windows of its own code page (1252), at 96 dots per inch"
    "line|Insert the Tidewater disc in the drive, then choose what to do.|:35: \"line\" does not fit its place in the window:"
    # Left out, the caption is the product's name.
    "caption|-|key_product|Tidewater: Tales of the Drowned Coast and the Lighthouse Keepers|:24: \"caption\" (left out, so the product's name, \"key_product\") does not fit its place in the window:"
    # Another language's text, measured in its own window, on its own line.
    "+|[0407]|${german/CD einlegen, dann wählen./Legen Sie die Tidewater-CD in das Laufwerk ein und wählen Sie dann.}|:92: \"line\" does not fit its place in the window:"
    # Polish fits in "MS Sans Serif" at home, not in the wider Tahoma that
    # a Windows of another code page draws it in.
    "+|[0415]|${polish/Włóż płytę i wybierz./Płyta z grą znajduje się w napędzie CD-ROM.}|:92: \"line\" does not fit its place in the window: … on a Windows of another code page (1252), in Tahoma, at 96 dots per inch"
    # "%" is half as wide again at 120 dots per inch, where the line has a
    # third more room: this fits at 96 alone.
    "line|Disc: %%%%%%%%%%%%%%%%%%%%%%%%|:35: \"line\" does not fit its place in the window: … on a Windows of its own code page (1252), at 120 dots per inch"
    # A letter that the face it is drawn in lacks ("Ђ", Serbian, in Wine's
    # Tahoma) is no fit.
    "+|[0C1A]|${serbian/Убаците диск Tidewater./Ђаци, убаците диск Tidewater.}|:92: \"line\" cannot be measured on a Windows of another code page (1252), in Tahoma, at 96 dots per inch, so the build cannot tell that it fits: \"Ђ\" (U+0402) is not in \"Tahoma\" (in the fonts that measure it here)"
)

# The sample with SETTING VALUE pairs changed, as bad.edition.
make_bad() {
    cp "$sample" "$bad"
    while [ $# -ge 2 ]; do
        local setting=$1 value=$2
        shift 2
        if [ "$setting" = + ]; then
            printf '%s\n' "$value" >>"$bad"
        elif [ "$setting" = "~" ]; then
            iconv -f UTF-8 -t "$value" "$bad" >"$bad.encoded" && mv "$bad.encoded" "$bad"
        elif [ "$value" = - ]; then
            sed -i "s/^$setting = .*/# left out/" "$bad"
        else
            # From the environment: awk -v would read backslashes as escapes.
            s=$setting v=$value awk 'index($0, ENVIRON["s"] " = ") == 1 {$0 = ENVIRON["s"] " = " ENVIRON["v"]}
                {print}' "$bad" >"$bad.changed" && mv "$bad.changed" "$bad"
        fi
    done
}

# Every name below FOLDER, and each file's size, date and content.
snapshot() {
    (cd "$1" 2>/dev/null && find . \( -type d -printf '%p %y\n' \) -o -printf '%p %y %s %T@\n' | LC_ALL=C sort &&
        find . -type f -exec sha256sum {} + | LC_ALL=C sort)
}

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# COMMAND must refuse the row's file with the message EXPECTED (after
# "bad.edition" when it starts with ":"), and leave OUTPUT as it was.
check_row() {
    local command=$1 row=$2 out=$3 fields expected output before
    IFS='|' read -ra fields <<<"$row"
    expected=${fields[-1]}
    [ "${expected:0:1}" != : ] || expected=bad.edition$expected
    make_bad "${fields[@]:0:${#fields[@]}-1}"
    before=$(snapshot "$out")
    output=$($command "$bad" "$out" 2>&1 >/dev/null)
    local status=$?
    if [ $status -eq 0 ]; then
        fail "$row: accepted"
    elif ! want=$scratch/$expected awk 'BEGIN {n = split(ENVIRON["want"], part, "…")}
        # The first part starts the line, the others follow it in order.
        index($0, part[1]) == 1 {
            rest = substr($0, length(part[1]) + 1)
            for (i = 2; i <= n && (at = index(rest, part[i])) > 0; i++)
                rest = substr(rest, at + length(part[i]))
            if (i > n) found = 1
        }
        END {exit !found}' <<<"$output"; then
        fail "$row: expected \"$expected\", got:"$'\n'"$output"
    elif [ "$(snapshot "$out")" != "$before" ]; then
        fail "$row: $out was changed"
    fi
}

# What an earlier good build left in the output folder: edition.h and the
# manifest.
check_file() { python3 tools/edition/edition.py "$1" "$2"; }
check_file "$sample" "$scratch/earlier" || fail "the sample"
for row in "${rows[@]}"; do
    rm -rf "$scratch/out"
    cp -a "$scratch/earlier" "$scratch/out"
    check_row check_file "$row" "$scratch/out"
done

# A key with a letter that one of the edition's code pages lacks is no
# fault: the build goes on, and says that Windows 95 to ME of that code page
# cannot find the record.
IFS='|' read -ra german_rows <<<"+|[0407]|$german"
sample=editions/polish.edition make_bad "${german_rows[@]}"
output=$(check_file "$bad" "$scratch/notice" 2>&1) ||
    fail "a Polish key with a German language: refused: $output"
grep -qF "bad.edition:10: notice: \"key_product\" has \"Ł\", which code page 1252 of [0407] lacks: Windows 95, 98 and ME of that code page cannot find the installation record" <<<"$output" ||
    fail "a Polish key with a German language: no notice, got:"$'\n'"$output"

if [ "${1:-}" = --fit ]; then
    edition_sh="bash $PWD/tools/edition.sh"
    # An install.exe that edition.sh made: of the sample, with another caption.
    out=$scratch/fit-out
    make_bad caption "Tidewater 2"
    $edition_sh "$bad" "$out" >/dev/null 2>&1 || fail "the earlier build"
    cp "$out/install.exe" "$scratch/earlier.exe"
    for row in "${fit_rows[@]}"; do
        check_row "$edition_sh" "$row" "$out"
    done
    # An install.exe that edition.sh did not make, in the output folder.
    mkdir "$scratch/theirs"
    printf 'theirs' >"$scratch/theirs/install.exe"
    check_row "$edition_sh" "caption|Tidewater|theirs/install.exe: already there, and not written by edition.sh" \
        "$scratch/theirs"
    # A good build, from another folder, with names that need quoting, and
    # the caller's LC_ALL another code page's than the edition's: it
    # replaces the earlier install.exe with the sample's, as the tree's own
    # build makes it.
    folder="$scratch/it's [a] Łódź"
    mkdir -p "$folder" "$scratch/caller"
    cp "$sample" "$folder/it's ø.edition"
    cp editions/tidewater.ico "$folder/"
    (cd "$scratch/caller" && LC_ALL=pl_PL.UTF-8 $edition_sh "../it's [a] Łódź/it's ø.edition" ../fit-out) >"$scratch/good.log" 2>&1 ||
        fail "the sample from another folder: $(cat "$scratch/good.log")"
    cmp -s "$out/install.exe" build/i686/bin/english/install.exe ||
        fail "the sample's install.exe is not the tree's build/i686/bin/english/install.exe"
    [ "$(ls -A "$out")" = install.exe ] || fail "the output folder holds: $(ls -A "$out")"
fi
echo "$failures of the bad edition files were not refused as they should be"
[ $failures -eq 0 ]
