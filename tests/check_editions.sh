#!/usr/bin/env bash
# Bad edition files: each is the English sample with one fault, and must stop
# the writing of install.exe with the file's name, the fault's line and what
# is wrong, and leave what an earlier one wrote in the output folder as it
# was. Then tools/edition.sh: an install.exe that the command did not make,
# a good one from another folder with nothing on the path but Python (no
# compiler, CMake or Wine) that replaces the earlier one, and icons.
#     check_editions.sh [--fit]
# With --fit, the rows that preview install.exe under Wine (edition.sh
# --preview) run instead: texts longer than their places.
# EDITION_LAUNCHER is the build's launcher (bin/launcher.exe), EDITION_FIT
# its previewer (bin/fit.exe); the English sample written by the build is
# beside the launcher, in english/install.exe.
set -uo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tests/refusals.sh
. tests/refusals.sh
sample=editions/english.edition
: "${EDITION_LAUNCHER:?the build's bin/launcher.exe}" "${EDITION_FIT:?the build's bin/fit.exe}"
export EDITION_LAUNCHER EDITION_FIT
scratch=$(mktemp -d /tmp/vexmoor-editions.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bad=$scratch/bad.edition

# One row: SETTING|VALUE[|SETTING|VALUE...]|EXPECTED. VALUE "-" leaves the
# setting out; SETTING "+" adds the line VALUE at the end; SETTING "~" saves
# the file in the encoding VALUE. EXPECTED is how the message goes on after
# "bad.edition", with "…" for any text, "@SETTING" for the line of SETTING
# in the sample, and "@+N" for the Nth line a row adds.
rows=(
    "+|colour = red|:@+1: unknown setting \"colour\""
    "+|game = TIDEWATR.BAT|:@+1: \"game\" is set twice (first on line @game)"
    "+|just some words|:@+1: is not \"setting = value\""
    "game|-|: no setting \"game\": add a line \"game = ...\", as editions/english.edition shows with what it is for"
    "start_button|Zurück|~|cp1252|:@start_button: is not UTF-8 text: save the file as UTF-8"
    "~|utf-16|: is UTF-16 text: save the file as UTF-8"
    # What other formats write: quotes, and a comment after the value.
    "caption|\"Tidewater\"|:@caption: \"caption\" is in quotation marks, which would be part of the text: no quotes are needed"
    "start_button|Play   # the first button|:@start_button: \"start_button\" has \" # \" in it, which would be part of the text: comments go on a line of their own"
    "start_button||:@start_button: \"start_button\" is empty"
    "code_page|65001|:@code_page: \"code_page\" must be one of 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258"
    # Code page 932 has no Korean letters. A letter whose second byte there
    # is a backslash ("ソ" is 0x83 0x5C) is no folder: the fault is the
    # space after it.
    "code_page|932|start_button|게임|:@start_button: \"start_button\": \"게\" is not in code page 932"
    "code_page|932|installer|ソフト.EXE|continue_game|RESUME GAME.BAT|:@continue_game: \"continue_game\" has a space"
    # Code page 1252 has no Polish letters.
    "start_button|Graj dalej, Łucjo|:@start_button: \"start_button\": \"Ł\" is not in code page 1252"
    "cannot_find|The folder %s or %s is gone.|:@cannot_find: \"cannot_find\" must have exactly one %s and no other % (it has %s %s)"
    "cannot_find|The folder cannot be found.|:@cannot_find: \"cannot_find\" must have exactly one %s and no other % (it has none)"
    "game_run_error|Error %d in %s.|:@game_run_error: \"game_run_error\" must have exactly one %s and no other % (it has %d %s)"
    "install_complete|100%% done.%s|:@install_complete: \"install_complete\" must have exactly one %s and no other % (it has %% %s)"
    "folder_error|$(printf 'x%.0s' $(seq 317))%s|:@folder_error: \"folder_error\" is 319 bytes long; at most 318 fit"
    "game|GAME\\TIDEWATR.BAT|:@game: \"game\" must be a program's name alone, without a folder"
    "installer|D:TWSETUP.EXE|:@installer: \"installer\" must be a program's name alone, without a folder"
    "continue_game|RESUME GAME.BAT|:@continue_game: \"continue_game\" has a space"
    "installer|INSTALL.EXE|:@installer: \"installer\" is the launcher's own name"
    "game|$(printf 'G%.0s' $(seq 256)).BAT|:@game: \"game\" is 260 bytes long; at most 259 fit"
    "sound_drive_switch|-disc:$(printf 'x%.0s' $(seq 241))|:@sound_drive_switch: the sound setup's command line is 260 bytes long; at most 259 fit"
    "key_product|Tide\\water|:@key_product: \"key_product\" has a backslash"
    "key_version|$(printf 'v%.0s' $(seq 218))|:@key_version: the key \"Software\\Marrowgate Studios\\Tidewater\\$(printf 'v%.0s' $(seq 218))\" is 256 bytes long; at most 255 fit"
    "file_version|2.1.beta|:@file_version: \"file_version\" must be one to four numbers up to 65535, with dots between them (\"1.0\")"
    "file_language|English|:@file_language: \"file_language\" must be a Windows language id of four hex digits (\"0407\" German, \"0409\" English, \"0415\" Polish)"
    # Czech in decimal, as Microsoft's tables also write it.
    "file_language|1029|:@file_language: \"file_language\": 1029 is no language Windows knows; give its id in hex (0405, Czech, cs_CZ, is 1029 in decimal?)"
    # A "&" would mark a keyboard shortcut, which the window does not have.
    "start_button|&Play|:@start_button: \"start_button\" has a \"&\", which would underline the letter after it as a keyboard shortcut that the window does not have: write \"&&\" for a \"&\""
    # A sound setup needs its switch, and a switch its sound setup.
    "sound_setup|-|:@sound_drive_switch: \"sound_drive_switch\" is set, but \"sound_setup\" is not: a sound setup needs both, a game without one neither"
    # Another language's texts, after its "[ID]".
    "+|[0407]|+|code_page = 1252|:@+1: \"[0407]\" has no \"caption\", which the default language has: add a line \"caption = ...\" after this one"
    "+|[0407]|+|line = Bitte wählen.|+|line = Wählen Sie.|:@+3: \"line\" is set twice (first on line @+2)"
    "+|[0407]|+|game = SPIEL.BAT|:@+2: \"game\" is one for all languages: give it once, above the first \"[0407]\""
    "+|[0407]|+|[0407]|:@+2: \"[0407]\" is given twice (first on line @+1)"
    "+|[0409]|:@+1: \"[0409]\" is the default language (\"file_language\"), whose texts come before the first \"[ID]\""
    "+|[German]|:@+1: [German] must be a Windows language id of four hex digits (\"0407\" German, \"0409\" English, \"0415\" Polish)"
    "+|[0499]|:@+1: [0499]: 0499 is no language Windows knows; give its id in hex"
    # The icon (icons below): a file that is missing, no picture, a BMP, a
    # PNG that is no picture, one that is not square, one too small, an ICO
    # cut short.
    "icon|gone.ico|:@icon: \"icon\": gone.ico cannot be read: No such file or directory"
    "icon|words.txt|:@icon: \"icon\": words.txt is no picture: give a PNG, or an icon (.ico)"
    "icon|picture.bmp|:@icon: \"icon\": picture.bmp is no picture: give a PNG, or an icon (.ico)"
    "icon|broken.png|:@icon: \"icon\": broken.png is no picture: give a PNG, or an icon (.ico)"
    "icon|wide.png|:@icon: \"icon\": wide.png is 64×32 pixels, not square"
    "icon|small.png|:@icon: \"icon\": small.png is 16×16 pixels; it must be at least 32×32"
    "icon|short.ico|:@icon: \"icon\": short.ico is not an icon (.ico): an image is cut short"
)
# The icons that the rows name, beside bad.edition, made with Pillow; and
# two that a publisher has, which the fit rows build with: a 256-pixel PNG,
# and an ICO of 32-bit images from 16 to 256 pixels, the largest a PNG.
cp editions/tidewater.ico "$scratch/"
/usr/bin/python3 - "$scratch" <<'ICONS'
import io, sys
from PIL import Image, ImageDraw
folder = sys.argv[1]
def write(name, data):
    open("%s/%s" % (folder, name), "wb").write(data)
def picture(size, width=None):
    image = Image.new("RGBA", (width or size, size))
    draw = ImageDraw.Draw(image)
    draw.ellipse((1, 1, (width or size) - 2, size - 2), fill=(20, 90, 200, 255),
                 outline=(250, 250, 250, 255), width=max(1, size // 16))
    return image
def png(image):
    out = io.BytesIO()
    image.save(out, "PNG")
    return out.getvalue()
write("words.txt", b"Tidewater's icon\n")
bmp = io.BytesIO()
picture(32).convert("RGB").save(bmp, "BMP")
write("picture.bmp", bmp.getvalue())
write("broken.png", b"\x89PNG\r\n\x1a\n" + bytes(100))
write("wide.png", png(picture(32, 64)))
write("small.png", png(picture(16)))
write("short.ico", open(folder + "/tidewater.ico", "rb").read()[:600])
write("picture.png", png(picture(256)))
# As Pillow and today's tools write it: each image a PNG.
picture(256).save(folder + "/modern.ico", "ICO", sizes=[(16, 16), (32, 32), (48, 48), (256, 256)])
ICONS
# German texts, every one, for a row to add after its "[0407]" line (@+1):
# each "+|LINE", the window's line the fourth added (@+4).
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
# Polish and Serbian texts, every one, each language's line at @+4.
polish=${german/1252/1250}
polish=${polish/CD einlegen, dann wählen./Włóż płytę i wybierz.}
serbian=${german/1252/1251}
serbian=${serbian/CD einlegen, dann wählen./Убаците диск Tidewater.}
# A language's own face is named in ASCII, as Windows knows it on every
# code page.
rows+=("+|[0407]|$german|+|font_name = Fonté|:@+18: \"font_name\": give the face's English name, in ASCII, as Windows knows it on every code page (\"MS UI Gothic\")")
# 32 languages besides the default, German texts each: the 32nd, on the
# 528th line added, is one too many.
many=""
for id in 0401 0402 0403 0404 0405 0406 0407 0408 040A 040B 040C 040D 040E 040F 0410 0411 \
    0412 0413 0414 0415 0416 0417 0418 0419 041A 041B 041C 041D 041E 041F 0420 0421; do
    many+="+|[$id]|$german|"
done
rows+=("$many:@+528: \"[0421]\": install.exe takes at most 32 languages, the default among them")
# Greek texts, every one, its line at @+4.
greek=${german/1252/1253}
greek=${greek/CD einlegen, dann wählen./Τοποθετήστε τον δίσκο Tidewater.}
# Texts longer than their places: built, and previewed under Wine, so
# install.exe is built first. Each row's build must succeed and say where
# the window grows ("-": nowhere). What Wine's fonts measure stands for "…".
fit_rows=(
    "start_button|Play the whole game|English on a Windows of code page 1252, in MS Sans Serif, at 96 dpi: the window grows … px wider"
    # Longer than its place, within the window.
    "line|Insert the Tidewater disc in the drive, then choose what to do.|-"
    # Left out, the caption is the product's name; Windows draws it.
    "caption|-|key_product|Tidewater: Tales of the Drowned Coast and the Lighthouse Keepers|-"
    # Another language's text, in its own window.
    "+|[0407]|${german/CD einlegen, dann wählen./Legen Sie die Tidewater-CD in das Laufwerk ein und wählen Sie dann, was geschehen soll.}|German on a Windows of code page 1252, in MS Sans Serif, at 96 dpi: the window grows … px taller"
    # "%" is half as wide again at 120 dots per inch, where the line has a
    # third more room.
    "line|Disc: %%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%|English on a Windows of code page 1252, in MS Sans Serif, at 120 dpi: the window grows … px taller"
    # A letter that no face of Wine's has on a Windows of another code page
    # ("Ђ", Serbian, which Wine's Tahoma lacks): a notice, no refusal.
    "+|[0C1A]|${serbian/Убаците диск Tidewater./Ђаци, убаците диск Tidewater.}|:@+4: notice: Serbian cannot be previewed on a Windows of code page 1252 at 96 dpi: no face here has all its letters"
    # Greek, which Windows 2000 to 11 draw in Tahoma on any code page.
    "+|[0408]|$greek|:@+4: notice: Greek cannot be previewed on a Windows of code page 1252 at 96 dpi: no face here has all its letters"
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

# COMMAND must refuse the row's file with the message EXPECTED (after
# "bad.edition" when it starts with ":"), the line of the scratch file it
# names, and leave OUTPUT as it was.
check_row() {
    local command=$1 row=$2 out=$3 fields expected
    IFS='|' read -ra fields <<<"$row"
    expected=$(at_lines "${fields[-1]}" "$sample")
    [ "${expected:0:1}" != : ] || expected=bad.edition$expected
    make_bad "${fields[@]:0:${#fields[@]}-1}"
    # shellcheck disable=SC2086 # the command, split
    check_refused "$row" "^$scratch/$expected" "$out" $command "$bad" "$out"
}

# COMMAND must build the row's file into OUTPUT and say EXPECTED, its lines
# and "…" as check_row's; "-": that the window grows nowhere.
check_preview() {
    local command=$1 row=$2 out=$3 fields expected output
    IFS='|' read -ra fields <<<"$row"
    expected=$(at_lines "${fields[-1]}" "$sample")
    [ "${expected:0:1}" != : ] || expected=bad.edition$expected
    make_bad "${fields[@]:0:${#fields[@]}-1}"
    # shellcheck disable=SC2086 # the command, split
    if ! output=$($command "$bad" "$out" 2>&1); then
        fail "$row: refused: $output"
    elif [ "$expected" = - ]; then
        ! grep -q "the window grows" <<<"$output" || fail "$row: grows: $output"
    elif ! says "$output" "$expected"; then
        fail "$row: expected \"$expected\", got:"$'\n'"$output"
    fi
}

# What an earlier good file left in the output folder: its install.exe.
check_file() {
    mkdir -p "$2" && /usr/bin/python3 tools/edition/edition.py --write "$1" "$EDITION_LAUNCHER" "$2/install.exe"
}
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
grep -qF "bad.edition:$(at_lines @key_product editions/polish.edition): notice: \"key_product\" has \"Ł\", which code page 1252 of [0407] lacks: Windows 95, 98 and ME of that code page cannot find the installation record" <<<"$output" ||
    fail "a Polish key with a German language: no notice, got:"$'\n'"$output"

edition_sh="bash $PWD/tools/edition.sh"
if [ "${1:-}" = --fit ]; then
    # An install.exe that edition.sh made: of the sample, with another caption.
    out=$scratch/fit-out
    make_bad caption "Tidewater 2"
    $edition_sh "$bad" "$out" >/dev/null 2>&1 || fail "the earlier build"
    for row in "${fit_rows[@]}"; do
        check_preview "$edition_sh --preview" "$row" "$out"
    done
else
    # An install.exe that edition.sh did not make, in the output folder.
    mkdir "$scratch/theirs"
    printf 'theirs' >"$scratch/theirs/install.exe"
    check_row "$edition_sh" "caption|Tidewater|theirs/install.exe: already there, and not written by edition.sh" \
        "$scratch/theirs"
    # A good one, from another folder, with names that need quoting, the
    # caller's LC_ALL another code page's than the edition's, and nothing on
    # the path but what a publisher has: the system's own commands and
    # Python, no compiler, CMake, Wine or X server. It replaces the earlier
    # install.exe with the sample's, as the tree's own build writes it.
    out=$scratch/fit-out
    make_bad caption "Tidewater 2"
    $edition_sh "$bad" "$out" >/dev/null 2>&1 || fail "the earlier build"
    folder="$scratch/it's [a] Łódź"
    mkdir -p "$folder" "$scratch/caller" "$scratch/path"
    cp "$sample" "$folder/it's ø.edition"
    cp editions/tidewater.ico "$folder/"
    for command in /usr/bin/* /bin/*; do
        case ${command##*/} in
        *mingw* | *gcc* | *g++* | cc | c++ | cpp* | ld* | cmake | ctest | wine* | Xvfb | make | windres) ;;
        *) [ -e "$scratch/path/${command##*/}" ] || ln -s "$command" "$scratch/path/" ;;
        esac
    done
    for tool in cmake x86_64-w64-mingw32-g++ i686-w64-mingw32-windres wine Xvfb; do
        ! PATH=$scratch/path command -v "$tool" >/dev/null || fail "the path without tools still has $tool"
    done
    (cd "$scratch/caller" && PATH=$scratch/path LC_ALL=pl_PL.UTF-8 $edition_sh "../it's [a] Łódź/it's ø.edition" ../fit-out) >"$scratch/good.log" 2>&1 ||
        fail "the sample from another folder: $(cat "$scratch/good.log")"
    cmp -s "$out/install.exe" "$(dirname "$EDITION_LAUNCHER")/english/install.exe" ||
        fail "the sample's install.exe is not the build's english/install.exe"
    [ "$(ls -A "$out")" = install.exe ] || fail "the output folder holds: $(ls -A "$out")"
    # A publisher's PNG, and an ICO of 32-bit images from 16 to 256 pixels:
    # install.exe's first icon has the images that Windows 95 to 11 draw,
    # read back with icoutils.
    for picture in picture.png modern.ico; do
        make_bad icon "$picture"
        out=$scratch/icon-${picture%.*}
        if ! $edition_sh "$bad" "$out" >"$scratch/icon.log" 2>&1; then
            fail "the icon $picture: $(cat "$scratch/icon.log")"
            continue
        fi
        rm -rf "$scratch/back" && mkdir "$scratch/back"
        wrestool -x --type=group_icon -o "$scratch/back" "$out/install.exe"
        images=$(icotool -l "$scratch/back"/*.ico |
            sed -E 's/.*--width=([0-9]+) .*--bit-depth=([0-9]+).*/\1:\2/' | paste -sd' ')
        [ "$images" = "16:4 16:8 32:4 32:8 48:32" ] ||
            fail "the icon $picture: install.exe's icon has the images $images"
    done
fi
echo "$failures of the bad edition files were not refused as they should be"
[ $failures -eq 0 ]
