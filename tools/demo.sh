#!/usr/bin/env bash
# Runs install.exe on a demo CD under Wine. Installs what is missing and
# builds first.
#   tools/demo.sh          with a display: starts install.exe from E:\ for you
#                          to use. The first run installs the demo game and
#                          starts it; the next run shows the launcher window.
#                          Without a display (DISPLAY unset): drives both
#                          roads itself under Xvfb, saves a screenshot of each
#                          step and prints what happened.
#   tools/demo.sh --reset  removes the demo installation with its uninstaller,
#                          and checks that no record and no game folder are
#                          left.
#   tools/demo.sh --iso    writes an ISO 9660 image of the demo CD, with the
#                          32-bit programs, for a virtual machine or a disc,
#                          with tools/disc.sh.
#   tools/demo.sh --samples
#                          saves the window of the East Asian sample in
#                          Japanese and of the Hebrew one (editions/), as a
#                          player of each sees it, as PNG files in
#                          build/demo/samples (docs/publishing.md shows them).
# The builds are in build/ARCH; the demo's own Wine prefix, CD folder,
# screenshots and image are in build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case $mode in
"" | --reset | --iso | --samples) ;;
*)
    echo "usage: $0 [--reset | --iso | --samples]" >&2
    exit 2
    ;;
esac

demo=$(realpath -m build/demo)
cd_programs=(install_exe demo_setup demo_setsound demo_game)

# The CD: install.exe and setup.exe at the root, as autorun starts them.
# setup.exe, an NSIS installer, carries the game's files.
lay_out_cd() {
    local tree=$1 cd=$2
    rm -rf "$cd"
    mkdir -p "$cd"
    cp "$tree/bin/install.exe" "$tree/demo/setup.exe" "$cd/"
}

# The demo CD's image, made as a publisher makes theirs (tools/disc.sh): from
# a folder with the demo's setup.exe, and the Vexmoor edition.
write_iso() {
    local epoch
    # Every date in the image, and in setup.exe, is the last commit's, so
    # that the same commit gives the same image, byte for byte.
    epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
    # The image is for real Windows: the shipped 32-bit build.
    SOURCE_DATE_EPOCH=$epoch bash tools/build.sh i686 demo_setup
    rm -rf "$demo/folder"
    mkdir -p "$demo/folder"
    cp build/i686/demo/setup.exe "$demo/folder/"
    SOURCE_DATE_EPOCH=$epoch bash tools/disc.sh editions/vexmoor.edition "$demo/folder" \
        "$demo/vexmoor-demo.iso"
}

# Runs a Windows program in the demo's Wine session.
wine_run() {
    (
        # shellcheck source=/dev/null
        . "$demo/wine/env"
        "$WINE_LOADER" "$@"
    )
}

record_folder() {
    wine_run reg query 'HKCU\Software\Halvaro\Vexmoor\Version 1.0' /v folder 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *folder *REG_SZ *//p' || true
}

# Removes the installation as a player would, with the uninstaller that
# setup.exe registered, then checks that no record and no game folder are
# left; what an older or broken installation left is removed by hand.
reset_demo() {
    local folder unix="" default=$demo/wine/prefix/drive_c/Vexmoor
    folder=$(record_folder)
    [ -z "$folder" ] || unix=$(wine_run winepath -u "$folder" 2>/dev/null || true)
    if [ -n "$unix" ] && [ -f "$unix/Uninstall.exe" ]; then
        # NSIS's uninstaller copies itself away, starts the copy and ends at
        # once; the copy removes the folder.
        wine_run "$folder\\Uninstall.exe" /S
        for _ in $(seq 100); do
            [ -e "$unix" ] || break
            sleep 0.1
        done
        echo "The uninstaller ran."
    fi
    if [ -n "$(record_folder)" ] || { [ -n "$unix" ] && [ -e "$unix" ]; } || [ -e "$default" ]; then
        echo "Left behind, now removed by hand: the record, or the game folder."
        if [ -n "$unix" ] && [ -f "$unix/VEXDEMO.EXE" ]; then
            rm -rf "$unix"
        fi
        rm -rf "$default"
        wine_run reg delete 'HKCU\Software\Halvaro\Vexmoor' /f >/dev/null 2>&1 || true
        wine_run reg delete 'HKCU\Software\Halvaro' /f >/dev/null 2>&1 || true
    fi
    if [ -n "$(record_folder)" ] || { [ -n "$unix" ] && [ -e "$unix" ]; }; then
        echo "The demo could not be reset: ${folder:-the record} is still there." >&2
        exit 1
    fi
    echo "The demo is reset: no installation record${folder:+, and $folder is gone}."
}

# The sample editions' windows, each in a Wine session of its own language,
# with the fonts of its letters, and its game recorded as installed.
save_samples() {
    local each edition locale name
    # Not local: the trap reads it once the function has returned.
    session=$demo/samples
    bash tools/build.sh "$arch" install_eastasia install_hebrew demo_driver
    bash tools/wine-session.sh start "$session" "$arch" 96 scripts
    trap 'bash tools/wine-session.sh stop "$session"' EXIT
    for each in "eastasia ja_JP.UTF-8 japanese" "hebrew he_IL.UTF-8 hebrew"; do
        read -r edition locale name <<<"$each"
        (
            # shellcheck source=/dev/null
            . "$session/wine/env"
            "$WINE_LOADER" reg add 'HKCU\Software\Marrowgate Studios\Tidewater\2.1' /v folder \
                /d 'C:\windows' /f >/dev/null 2>&1
            LC_ALL=$locale "$WINE_LOADER" "$(realpath "$tree/demo/demo_driver.exe")" window \
                "Z:$(realpath "$tree/bin/$edition/install.exe" | tr / '\\')" \
                "Z:$(tr / '\\' <<<"$session/sample-$name.png")"
        )
    done
}

bash tools/install-deps.sh
if [ "$mode" = --iso ]; then
    write_iso
    exit 0
fi

arch=$(bash tools/wine-arch.sh)
tree=build/$arch
if [ "$mode" = --samples ]; then
    save_samples
    exit 0
fi
bash tools/build.sh "$arch" "${cd_programs[@]}" demo_driver
lay_out_cd "$tree" "$demo/cd"
[ "$arch" = i686 ] || echo "The demo runs the $arch build (this machine cannot run 32-bit x86 code)."

display=${DISPLAY:-}
CD_FOLDER=$demo/cd bash tools/wine-session.sh start "$demo" "$arch"
trap 'bash tools/wine-session.sh stop "$demo"' EXIT
driver=$(realpath "$tree/demo/demo_driver.exe")

if [ "$mode" = --reset ]; then
    reset_demo
elif [ -z "$display" ]; then
    # Nobody to click: a fresh installation, driven by the demo driver.
    reset_demo
    shots=$demo/screenshots
    rm -rf "$shots"
    mkdir -p "$shots"
    echo "No display: touring the demo under Xvfb; screenshots go to $shots"
    wine_run "$driver" tour "Z:$(echo "$shots" | tr / '\\')"
else
    echo "Starting E:\\install.exe in the Wine desktop window on $DISPLAY."
    wine_run "$driver" run
    echo "Run this command again for the next road; '$0 --reset' removes the installation."
fi
