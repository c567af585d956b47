#!/usr/bin/env bash
# Starts or stops the Wine session the tests run in:
#   wine-session.sh start BUILD_DIR ARCH [DPI [scripts]]   (ARCH: i686 or x86_64)
#   wine-session.sh stop BUILD_DIR
# The session lives in BUILD_DIR/wine: a scratch prefix (never ~/.wine), an
# Xvfb display when DISPLAY is unset, one persistent wineserver, and the
# drives the tests use: E: a CD-like drive (shared as \\vexmoor\cd too), G:
# a game drive. Its Windows draws at DPI dots per inch (96 unless given) and
# has the fonts a real one has: Wine's own, so that "MS Sans Serif" is
# itself, and none of the host's. CD_FOLDER, when set, is the folder E:
# shows instead of BUILD_DIR/wine/cd. With "scripts", its Windows has the
# fonts of East Asian, Thai, Hebrew and Arabic letters too (see
# install_script_fonts). tools/wine-run.sh runs a Windows program inside it.
set -Eeuo pipefail
# A step that fails says which (in functions too: -E): several of them are
# quiet on success.
trap 'echo "wine-session.sh: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR

action=$1
state=$(realpath -m "$2/wine")
prefix=$state/prefix
top=$(dirname "$(dirname "$(realpath "$0")")")

wine_env() {
    # shellcheck source=/dev/null
    [ -f "$state/env" ] && . "$state/env"
}

start_display() {
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$state/display"
        return
    fi
    rm -f "$state/display"
    # -displayfd picks a free display and writes its number once it is ready.
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
        3>"$state/display.fd" >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do
        if [ -s "$state/display.fd" ]; then
            echo ":$(head -n 1 "$state/display.fd")" >"$state/display"
            return
        fi
        sleep 0.1
    done
    echo "Xvfb did not start; see $state/xvfb.log" >&2
    exit 1
}

write_env() {
    local arch=$1 loader winearch
    if [ "$arch" = i686 ]; then
        loader=/usr/lib/wine/wine winearch=win32
    else
        loader=/usr/lib/wine/wine64 winearch=win64
    fi
    # uxtheme=n,b: a uxtheme.dll beside a program comes before Wine's own,
    # as Windows prefers one for a DLL that is not a known system DLL. The
    # tests plant one beside install.exe, which must not load it.
    {
        printf 'export WINEPREFIX=%q\n' "$prefix"
        printf 'export WINEARCH=%q\n' "$winearch"
        printf 'export WINE_LOADER=%q\n' "$loader"
        printf 'export WINEDEBUG=%q\n' -all
        printf 'export WINEDLLOVERRIDES=%q\n' 'mscoree,mshtml=;winemenubuilder.exe=d;uxtheme=n,b'
        printf 'export DISPLAY=%q\n' "$(cat "$state/display")"
        printf 'export FONTCONFIG_FILE=%q\n' "$state/no-host-fonts.conf"
    } >"$state/env"
}

# Wine takes every font that fontconfig knows on the host (DejaVu and
# others), which no Windows has: GDI's font mapper would then pick one of
# them where a real Windows picks one of its own. A fontconfig that knows
# no font leaves Wine its own, and Wine's own bitmap fonts are those of the
# session's code page alone, as on Windows (Windows NT lists its screen
# fonts for the system's code page in HKLM\...\CurrentVersion\Fonts). A
# prefix that once saw the host's fonts keeps them in its registry: it is
# made anew.
hide_host_fonts() {
    printf '%s\n' '<?xml version="1.0"?>' '<!DOCTYPE fontconfig SYSTEM "fonts.dtd">' \
        '<fontconfig></fontconfig>' >"$state/no-host-fonts.conf"
    if [ -f "$prefix/system.reg" ] && [ ! -f "$prefix/.no-host-fonts" ]; then
        rm -rf -- "$prefix"
    fi
}

map_drives() {
    local cd=${CD_FOLDER:-$state/cd}
    mkdir -p "$state/cd/SETUP" "$state/game"
    ln -sfn "$(realpath "$cd")" "$prefix/dosdevices/e:"
    ln -sfn "$state/game" "$prefix/dosdevices/g:"
    # The CD shared on the network too, as \\vexmoor\cd.
    mkdir -p "$prefix/dosdevices/unc/vexmoor"
    ln -sfn "$(realpath "$cd")" "$prefix/dosdevices/unc/vexmoor/cd"
    # E: reports itself as a CD-ROM drive, as the launcher's CD would.
    "$WINE_LOADER" reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null 2>&1
}

# Debian's Wine neither copies its fonts (package fonts-wine) into a new
# prefix nor finds them where they are; without them every face, "MS Sans
# Serif" and the caption buttons' "Marlett" among them, falls back to a host
# font. In the prefix's Fonts folder Wine loads them at its next start.
install_fonts() {
    local fonts=/usr/share/wine/fonts
    if ! compgen -G "$fonts/*" >/dev/null; then
        echo "Wine's fonts are missing ($fonts); run tools/install-deps.sh" >&2
        exit 1
    fi
    cp -u "$fonts"/* "$prefix/drive_c/windows/Fonts/"
}

# Wine has no fonts of its own for East Asian, Thai or Hebrew letters, nor
# all of Vietnamese's, which a Windows of those languages has (and 2000 and
# XP with their support installed). Debian's stand in for them, in this
# session's prefix alone: WenQuanYi Micro Hei under the names of the East
# Asian dialog faces (MS UI Gothic, SimSun, PMingLiU, Gulim, to which Wine's
# Tahoma links as Windows' does); DejaVu Sans (Hebrew, Arabic, Vietnamese)
# and Loma (Thai), which Wine gives where Tahoma or "MS Sans Serif" is
# asked for those letters, as Windows' faces have them; DejaVu Sans also
# under the name of Microsoft Sans Serif, which has Vietnamese letters.
script_fonts=(/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/tlwg/Loma.ttf)
script_faces=("MS UI Gothic=WenQuanYi Micro Hei" "SimSun=WenQuanYi Micro Hei"
    "PMingLiU=WenQuanYi Micro Hei" "Gulim=WenQuanYi Micro Hei" "Microsoft Sans Serif=DejaVu Sans")
install_script_fonts() {
    local font face
    for font in "${script_fonts[@]}"; do
        if [ ! -f "$font" ]; then
            echo "$font is missing; run tools/install-deps.sh" >&2
            exit 1
        fi
        cp -u "$font" "$prefix/drive_c/windows/Fonts/"
    done
    # Wine's own "MS Sans Serif" has placeholders where a Windows of the
    # Thai, Hebrew or Arabic code page has letters: in its bitmap faces of
    # those code pages, boxes; in its outline face, blanks for Thai's marks.
    # Left out, a face with the letters draws them.
    rm -f "$prefix"/drive_c/windows/Fonts/*{874,1255,1256}.fon \
        "$prefix/drive_c/windows/Fonts/ms_sans_serif.ttf"
    for face in "${script_faces[@]}"; do
        "$WINE_LOADER" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" \
            /d "${face#*=}" /f >/dev/null 2>&1
    done
    wineserver -w
}

configure_prefix() {
    local reg=("$WINE_LOADER" reg add)
    # No sound driver: the tests' warning beeps have nowhere to go.
    "${reg[@]}" 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
    # One virtual desktop window: with no window manager on the display, each
    # window Wine maps on its own takes about 2 s to appear.
    "${reg[@]}" 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "${reg[@]}" 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # A program that crashes ends with its exception code, as on Windows,
    # instead of waiting in Wine's crash dialog for someone to close it.
    "${reg[@]}" 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# The dots per inch the session's Windows draws at: 96, or 120 as Windows
# XP's large fonts and Windows 7 at 125 %. Wine reads them when its server
# starts.
set_dpi() {
    "$WINE_LOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1
    wineserver -w
}

start() {
    local arch=$1 dpi=$2 fonts=$3
    stop_session
    mkdir -p "$state"
    # Each command of the start, with the seconds since it began, in
    # start.log: a start that fails or hangs shows where it stood.
    exec 8>"$state/start.log"
    BASH_XTRACEFD=8
    PS4='+ ${SECONDS}s line $LINENO: '
    set -x
    start_display
    write_env "$arch"
    wine_env
    hide_host_fonts
    [ -f "$prefix/system.reg" ] || copy_fresh_prefix "$arch"
    set_dpi "$dpi"
    install_fonts
    [ "$fonts" != scripts ] || install_script_fonts
    wineserver -p >"$state/wineserver.log" 2>&1 </dev/null
    configure_prefix
    map_drives
    # The copy of the programs' standard error (wine-run.sh), begun anew.
    : >"$prefix/drive_c/stderr.log"
}

# A new prefix takes wineboot some 15 s of one processor, and the tests
# start several sessions side by side: the first to need one makes a fresh
# prefix once, for this Wine and width, in the checkout's
# build/.wine-fresh-ARCH-VERSION (under a lock, written under another name
# and moved into place), and every new prefix is a copy of it.
copy_fresh_prefix() {
    local arch=$1 fresh
    fresh=$top/build/.wine-fresh-$arch-$("$WINE_LOADER" --version | tr -c 'A-Za-z0-9.\n-' _)
    mkdir -p "$top/build"
    (
        flock 9
        if [ ! -f "$fresh/.no-host-fonts" ]; then
            # A start stopped while it made the prefix left its server.
            WINEPREFIX=$fresh.part wineserver -k >/dev/null 2>&1 9>&- || true
            rm -rf -- "$fresh.part"
            # The lock's descriptor closed for Wine: its server and the
            # programs wineboot starts would otherwise hold the lock for as
            # long as they live, and a start stopped here leaves them behind.
            WINEPREFIX=$fresh.part "$WINE_LOADER" wineboot -i >"$state/wineboot.log" 2>&1 9>&-
            WINEPREFIX=$fresh.part wineserver -w 9>&-
            touch "$fresh.part/.no-host-fonts"
            mv -- "$fresh.part" "$fresh"
        fi
    ) 9>"$fresh.lock"
    # Copied under another name: a start stopped halfway through the copy
    # must not leave a prefix that the next one would take as whole.
    rm -rf -- "$prefix" "$prefix.part"
    cp -a -- "$fresh" "$prefix.part"
    mv -- "$prefix.part" "$prefix"
}

stop_session() {
    # In a subshell: the old session's DISPLAY must not be taken for the user's.
    # "wineserver -k" waits for the server to end: one that does not end on
    # the polite signal is killed outright.
    (wine_env && { timeout 20 wineserver -k || wineserver -k9; } >/dev/null 2>&1) || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
}

case $action in
start)
    # A start that fails (a "reg add" was once seen to fail while a build
    # started its session) is tried again from the beginning, in a process
    # of its own: "set -e" holds there, where a test of its status here
    # would turn it off. One that hangs is stopped: a start takes some 5 s,
    # or 30 s with the fresh prefix to make (64-bit), 150 s leaves a slow
    # machine room. Without a limit, one start that hung once held the
    # whole test run until its CI gave up. What a try prints goes to a
    # file, shown when it fails: a program it leaves running (Xvfb, the
    # wineserver, Wine's services) must not hold the caller's output open,
    # which CTest reads to its end.
    limit=150
    mkdir -p "$state"
    for try in 1 2 3; do
        status=0
        timeout -k 10 "$limit" bash "$0" start-once "$2" "$3" "${4:-96}" "${5:-}" \
            >"$state/start.out" 2>&1 </dev/null || status=$?
        [ "$status" -ne 0 ] || exit 0
        stop_session
        if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
            echo "wine-session.sh: the session did not start within $limit s (try $try of 3)" >&2
        else
            echo "wine-session.sh: the session did not start (try $try of 3)" >&2
        fi
        cat "$state/start.out" >&2
        echo "its last steps:" >&2
        tail -n 4 "$state/start.log" >&2 || true
    done
    exit 1
    ;;
start-once) start "$3" "${4:-96}" "${5:-}" ;;
stop) stop_session ;;
*)
    echo "usage: $0 start BUILD_DIR ARCH [DPI [scripts]] | stop BUILD_DIR" >&2
    exit 2
    ;;
esac
