#!/usr/bin/env bash
# Makes the CD image of an edition from the publisher's folder:
#     disc.sh EDITION_FILE FOLDER [IMAGE] [CERTIFICATE [--name TEXT] [--url URL]
#             [--timestamp URL] [--sign-setup]]
# FOLDER holds what goes on the disc: at its root the edition's installer
# (setup.exe for Vexmoor), and whatever else. The disc gets all of it, and
# at its root install.exe, built for the edition (tools/edition.sh), and an
# autorun.inf that starts it, with its icon and the edition's disc_label.
# IMAGE (default build/discs/NAME/NAME.iso, NAME the edition file's name
# without its extension) is an ISO 9660 image with Joliet and Rock Ridge
# names; beside it go SHA256SUMS, of the image and of every file on it, and
# the disc laid out in a folder named like the image without ".iso".
#
# With a certificate (the options of tools/sign.sh: --pkcs12 FILE, or --cert
# FILE --key FILE, and --password-file FILE), install.exe is signed, named
# by --name (the edition's file_product by default) and --url; with
# --sign-setup the installer too. The publisher's folder is never changed.
#
# Every date on the disc and in the image is the last commit's
# (SOURCE_DATE_EPOCH when set), so the same commit and folder give the same
# image, byte for byte, when nothing is signed; a signature carries the time
# of signing. A fault stops it with what is wrong, and no image.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
# shellcheck source=tools/sign.sh
. "$here/sign.sh"

usage() {
    echo "usage: tools/disc.sh EDITION_FILE FOLDER [IMAGE] [--pkcs12 FILE | --cert FILE --key FILE]" >&2
    echo "           [--password-file FILE] [--name TEXT] [--url URL] [--timestamp URL] [--sign-setup]" >&2
    exit 2
}

sign_setup=0
arguments=()
for argument in "$@"; do
    if [ "$argument" = --sign-setup ]; then
        sign_setup=1
    else
        arguments+=("$argument")
    fi
done
sign_parse ${arguments[@]+"${arguments[@]}"}
[ ${#sign_rest[@]} -ge 2 ] && [ ${#sign_rest[@]} -le 3 ] || usage
if [ $sign_setup -eq 1 ] && ! sign_wanted; then
    sign_fail "--sign-setup needs a certificate"
fi
edition=$(realpath "${sign_rest[0]}")
folder=${sign_rest[1]}
name=$(basename "$edition")
name=${name%.*}
cd "$here/.."
image=$(realpath -m "${sign_rest[2]:-build/discs/$name/$name.iso}")
case $image in
*.iso) ;;
*) sign_fail "$image: the image's name must end in .iso" ;;
esac
sums=$(dirname "$image")/SHA256SUMS
tree=${image%.iso}

# A failure leaves no image and no checksums of an older one.
rm -f "$image" "$sums"
bash tools/install-deps.sh
python3 tools/edition/edition.py --check "$edition"
mapfile -t disc < <(python3 tools/edition/edition.py --disc "$edition")
label=${disc[0]} installer=${disc[1]}
[ -n "$sign_name" ] || sign_name=${disc[5]}

# The root entry named NAME in any case, as Windows finds it.
at_root() { find "$folder" -mindepth 1 -maxdepth 1 -iname "$1" -printf '%f\n' -quit; }

[ -d "$folder" ] || sign_fail "$folder: there is no such folder"
folder=$(realpath "$folder")
case $tree/ in
"$folder"/*) sign_fail "$image: the image must not go inside $folder" ;;
esac
found=$(at_root "$installer")
[ -n "$found" ] && [ -f "$folder/$found" ] ||
    sign_fail "$folder: there is no $installer, the installer that install.exe starts"
for program in "${disc[@]:2:3}"; do
    found=$(at_root "$program")
    [ -z "$found" ] ||
        sign_fail "$folder/$found: install.exe would start this instead of $program in the game folder (Windows looks in the launcher's own folder first); move it off the root"
done
for ours in install.exe autorun.inf; do
    found=$(at_root "$ours")
    [ -z "$found" ] || sign_fail "$folder/$found: the disc's $ours is made here; take it out of the folder"
done
! sign_wanted || sign_open

# install.exe, built for the edition and checked in its window.
program=$tree.build/install.exe
bash tools/edition.sh "$edition" "$(dirname "$program")"

rm -rf "$tree"
mkdir -p "$tree"
cp -R --no-preserve=ownership "$folder/." "$tree/"
if sign_wanted; then
    sign_file "$program" "$tree/install.exe"
    if [ $sign_setup -eq 1 ]; then
        found=$(at_root "$installer")
        sign_file "$folder/$found" "$tree/$found"
    fi
else
    cp "$program" "$tree/install.exe"
fi
# Windows reads autorun.inf in its ANSI code page; the lines end in CR LF.
printf '[autorun]\r\nopen=install.exe\r\nicon=install.exe\r\nlabel=%s\r\n' "$label" >"$tree/autorun.inf"

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
find "$tree" -exec touch -h -d "@$epoch" {} +
# Joliet and Rock Ridge keep the names' case; plain ISO 9660 names stay 8.3.
SOURCE_DATE_EPOCH=$epoch xorriso -as mkisofs -quiet -V "$label" -J -r -o "$image.part" "$tree"
(
    cd "$(dirname "$image")"
    find "$(basename "$tree")" -type f | LC_ALL=C sort | xargs -d '\n' sha256sum "$(basename "$image").part" |
        sed "s/\.iso\.part\$/.iso/"
) >"$sums.part"
mv "$image.part" "$image"
mv "$sums.part" "$sums"

echo "CD image: $image ($(stat -c %s "$image") bytes), label $label, dated $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S UTC')"
xorriso -indev "$image" -find / -type f 2>/dev/null | sed 's/^/  /'
echo "Checksums: $sums (check them with: cd $(dirname "$image") && sha256sum -c SHA256SUMS)"
sed 's/^/  /' "$sums"
