#!/usr/bin/env bash
# Installs what building and testing the launcher needs on a Debian machine:
# the MinGW-w64 cross compilers, Wine (32-bit, and 64-bit for machines that
# cannot run 32-bit code) with its own fonts, Xvfb, CMake, GoogleTest's
# sources, and the installer builders NSIS (the demo CD's setup.exe and a
# test installer) and wixl (a test's Windows Installer package), xmllint,
# which checks install.exe's manifest, Python, which reads the edition files,
# osslsigncode and openssl, which sign programs, xorriso, which makes the CD
# images, and the Polish locale, under which Wine's code page is 1250.
# Further Debian packages may be named as arguments, and further locales as --locale NAME (tools/edition.sh asks for
# its edition's). Does nothing when everything is already there.
set -euo pipefail

locales=(pl_PL.UTF-8)
packages=()
while [ $# -gt 0 ]; do
    case $1 in
    --locale)
        locales+=("$2")
        shift 2
        ;;
    *)
        packages+=("$1")
        shift
        ;;
    esac
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# "pl_PL.UTF-8" is listed by locale -a as "pl_PL.utf8".
have_locale() { locale -a 2>/dev/null | grep -qix "${1%%.*}.utf-\?8"; }
make_locales() {
    for name in "${locales[@]}"; do
        have_locale "$name" || $sudo localedef -i "${name%%.*}" -f UTF-8 "$name"
    done
}

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine xvfb cmake googletest nsis wixl libxml2-utils python3 locales osslsigncode openssl xorriso ${packages[@]+"${packages[@]}"}; do
    have_pkg "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -eq 0 ]; then
    make_locales
    exit 0
fi
echo "Installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
make_locales
