#!/usr/bin/env bash
# Installs from Debian what a command of this project needs, and does
# nothing when it is all there:
#     install-deps.sh [--for WHAT] [--locale NAME]... [PACKAGE...]
# WHAT is
#     sign      tools/sign.sh: osslsigncode and openssl, which sign programs,
#               and Debian's Python with pefile, which reads them;
#     edition   tools/edition.sh: Debian's Python with Pillow, which reads
#               the edition file and makes its icon, and pefile, which
#               writes the edition into the launcher and checks it;
#     preview   tools/edition.sh --preview: the edition's, the MinGW-w64
#               cross compilers and CMake, which build the previewer, Wine
#               (32-bit, and 64-bit for machines that cannot run 32-bit code)
#               with its own fonts and those that stand in for Windows'
#               East Asian, Thai, Hebrew and Arabic faces (WenQuanYi Micro
#               Hei, Loma, DejaVu Sans), and Xvfb;
#     disc      tools/disc.sh: the edition's and signing's, and xorriso,
#               which makes the disc image;
#     tests     (the default) everything a developer needs: all of the
#               above, GoogleTest's sources, the installer builders NSIS
#               (the demo CD's setup.exe and a test installer) and wixl (a
#               test's Windows Installer package), icoutils, which reads
#               install.exe's icon back on its own, and the
#               locales the tests run the launcher under: Polish (Wine's
#               code page 1250), German, Austrian German, French, Spanish,
#               English (1252), Russian (1251), Greek (1253), Czech, Hindi
#               (Wine's code page 65001, UTF-8), Japanese (932), Simplified
#               Chinese (936), Korean (949), Traditional Chinese (950),
#               Hebrew (1255), Arabic (1256), Thai (874) and Vietnamese
#               (1258).
# Further Debian packages may be named as arguments, and further locales as
# --locale NAME (tools/edition.sh asks for its edition's languages').
set -euo pipefail

usage() {
    echo "usage: tools/install-deps.sh [--for sign|edition|preview|disc|tests] [--locale NAME]... [PACKAGE...]" >&2
    exit 2
}
what=tests locales=()
options=$(getopt -n install-deps.sh -o '' -l for:,locale: -- "$@") || usage
eval set -- "$options"
while [ "$1" != -- ]; do
    case $1 in
    --for) what=$2 ;;
    --locale) locales+=("$2") ;;
    esac
    shift 2
done
shift
packages=("$@")

sign=(osslsigncode openssl python3 python3-pefile)
edition=(python3 python3-pil python3-pefile)
preview=(mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake wine wine64 fonts-wine xvfb locales
    fonts-wqy-microhei fonts-tlwg-loma-ttf fonts-dejavu-core)
case $what in
sign) packages+=("${sign[@]}") ;;
edition) packages+=("${edition[@]}") ;;
preview) packages+=("${edition[@]}" "${preview[@]}") ;;
disc) packages+=("${edition[@]}" "${sign[@]}" xorriso) ;;
tests)
    packages+=("${edition[@]}" "${preview[@]}" "${sign[@]}" xorriso googletest nsis wixl icoutils)
    locales+=(pl_PL.UTF-8 de_DE.UTF-8 de_AT.UTF-8 fr_FR.UTF-8 es_ES.UTF-8 ru_RU.UTF-8 en_US.UTF-8
        el_GR.UTF-8 cs_CZ.UTF-8 hi_IN.UTF-8 ja_JP.UTF-8 zh_CN.UTF-8 ko_KR.UTF-8 zh_TW.UTF-8
        he_IL.UTF-8 ar_SA.UTF-8 th_TH.UTF-8 vi_VN.UTF-8)
    ;;
*) usage ;;
esac

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# "pl_PL.UTF-8" is listed by locale -a as "pl_PL.utf8".
have_locale() { locale -a 2>/dev/null | grep -qix "${1%%.*}.utf-\?8"; }
make_locales() {
    for name in ${locales[@]+"${locales[@]}"}; do
        have_locale "$name" || $sudo localedef -i "${name%%.*}" -f UTF-8 "$name"
    done
}

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing() {
    local pkg
    for pkg in "$@"; do
        have_pkg "$pkg" || echo "$pkg"
    done
}
mapfile -t need < <(missing "${packages[@]}")
# 32-bit Wine runs the shipped i686 build, where Wine is wanted at all.
# Without it the tests take the x86_64 road; so when a mirror cannot give
# it, the rest is installed, and it is not asked for again for some hours
# (the stamp's age).
stamp=$(dirname "$(realpath "$0")")/../build/.no-wine32
want=()
if [[ " ${packages[*]} " == *" wine "* ]]; then
    mapfile -t want < <(missing wine32:i386)
fi
if [ ${#want[@]} -gt 0 ] && [ -n "$(find "$stamp" -mmin -360 2>/dev/null)" ]; then
    want=()
fi
if [ ${#need[@]} -eq 0 ] && [ ${#want[@]} -eq 0 ]; then
    make_locales
    exit 0
fi
echo "Installing: ${need[*]} ${want[*]}"
if [ ${#want[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive

# A mirror in the middle of a sync serves an index of the wrong size ("File
# has unexpected size ... Mirror sync in progress?"), and apt-get update
# fails. Try again after a pause, then install with what the indexes hold.
updated=0
for try in 1 2 3 4; do
    if $sudo apt-get update -qq; then
        updated=1
        break
    fi
    if [ "$try" -lt 4 ]; then
        echo "apt-get update failed (try $try of 4); trying again in 20 s" >&2
        sleep 20
    fi
done
apt_install() { $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
out_of_step="The package mirror is out of step (its indexes could not be fetched whole); run this command again later."
if apt_install ${need[@]+"${need[@]}"} ${want[@]+"${want[@]}"}; then
    rm -f "$stamp"
elif [ ${#want[@]} -gt 0 ] && { [ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"; }; then
    # An index of one architecture missing leaves the two out of step.
    mkdir -p "$(dirname "$stamp")"
    touch "$stamp"
    [ $updated -eq 1 ] || echo "$out_of_step" >&2
    echo "32-bit Wine could not be installed: the tests take the x86_64 road." >&2
else
    [ $updated -eq 1 ] || echo "$out_of_step" >&2
    exit 1
fi
make_locales
