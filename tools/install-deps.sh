#!/usr/bin/env bash
# Installs what building and testing the launcher needs on a Debian machine:
# the MinGW-w64 cross compilers, Wine (32-bit, and 64-bit for machines that
# cannot run 32-bit code) with its own fonts, Xvfb, CMake, GoogleTest's
# sources, and the installer builders NSIS (the demo CD's setup.exe and a
# test installer) and wixl (a test's Windows Installer package), and xmllint,
# which checks install.exe's manifest.
# Further Debian packages may be named as arguments (the demo's CD image needs
# xorriso). Does nothing when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine xvfb cmake googletest nsis wixl libxml2-utils "$@"; do
    have_pkg "$pkg" || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
