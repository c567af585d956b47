#!/usr/bin/env bash
# Makes the CD image of an edition from the publisher's folder:
#     disc.sh EDITION_FILE FOLDER [IMAGE] [CERTIFICATE [--name TEXT] [--url URL]
#             [--timestamp URL] [--no-sign-programs [--sign-setup]]]
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
# by --name (the edition's file_product by default) and --url, and so is
# every other Windows program of the folder (.exe, .dll, whatever its name)
# that is not signed yet: its copy on the disc, never the publisher's file.
# Windows 11's Smart App Control blocks an unsigned program, and SmartScreen
# warns of one. --no-sign-programs leaves them as they are (--sign-setup
# then signs the installer alone). Every program the disc holds unsigned is
# named in a warning.
#
# Every date on the disc and in the image is the last commit's
# (SOURCE_DATE_EPOCH when set), so the same commit and folder give the same
# image, byte for byte, when nothing is signed; a signature carries the time
# of signing.
#
# What it must not lose: FOLDER is only read, and may not hold the image nor
# lie inside the laid-out disc. The image, SHA256SUMS and the laid-out disc
# are made under other names in a folder beside the image, checked, and
# only then put in place of the ones an earlier run made. An image, folder
# or SHA256SUMS of that name that this command did not make (or that was
# changed since) is refused before anything is built. A fault at any step
# says what is wrong and leaves everything as it was. Paths are read from
# the caller's folder.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
top=$(dirname "$here")
# shellcheck source=tools/sign.sh
. "$here/sign.sh"

usage() {
    echo "usage: tools/disc.sh EDITION_FILE FOLDER [IMAGE] [--pkcs12 FILE | --cert FILE --key FILE]" >&2
    echo "           [--password-file FILE] [--name TEXT] [--url URL] [--timestamp URL]" >&2
    echo "           [--no-sign-programs [--sign-setup]]" >&2
    exit 2
}

sign_setup=0 sign_programs=1
options=$(getopt -n disc.sh -o h -l "help,sign-setup,no-sign-programs,$sign_long" -- "$@") || usage
eval set -- "$options"
while [ "$1" != -- ]; do
    case $1 in
    -h | --help) usage ;;
    --sign-setup) sign_setup=1 && shift ;;
    --no-sign-programs) sign_programs=0 && shift ;;
    *) sign_take "$1" "$2" && shift 2 ;;
    esac
done
shift
[ $# -ge 2 ] && [ $# -le 3 ] || usage
if [ $sign_setup -eq 1 ] && ! sign_wanted; then
    sign_fail "--sign-setup needs a certificate"
fi
if [ $sign_programs -eq 0 ] && ! sign_wanted; then
    sign_fail "--no-sign-programs needs a certificate: without one nothing is signed"
fi
unsigned_programs=()
edition=$(made_path "$1")
folder=$(made_path "$2")
name=$(basename "$edition")
name=${name%.*}
image=$(made_path "${3:-$top/build/discs/$name/$name.iso}")
case $image in
*.iso) ;;
*) sign_fail "$image: the image's name must end in .iso" ;;
esac
case $(basename "$image") in
*\\*) sign_fail "$image: a backslash in the image's name would not stand as it is in SHA256SUMS" ;;
esac
place=$(dirname "$image")
sums=$place/SHA256SUMS
tree=${image%.iso}
base=$(basename "$tree")

# The root entry named NAME in any case, as Windows finds it.
at_root() { find "$folder" -mindepth 1 -maxdepth 1 -iname "$1" -printf '%f\n' -quit; }

# What an earlier run left, as SHA256SUMS says: the image, and the laid-out
# disc with no file more or less. SHA256SUMS lists those alone.
listed() { cut -c 67- "$sums"; }
in_tree() { awk -v dir="$base/" 'index($0, dir) == 1'; }
earlier_run_is_whole() {
    [ -z "$(listed | awk -v iso="$base.iso" -v dir="$base/" '$0 != iso && index($0, dir) != 1')" ] ||
        return 1
    [ -e "$image" ] || [ -e "$tree" ] || return 0
    (cd "$place" && sha256sum --quiet --strict --ignore-missing -c SHA256SUMS) >/dev/null 2>&1 || return 1
    [ ! -e "$tree" ] || [ "$(cd "$place" && find "$base" ! -type d | LC_ALL=C sort)" = \
        "$(listed | in_tree | LC_ALL=C sort)" ]
}

# Refuses what the disc must not be made from, or over.
check_places() {
    local path
    [ -d "$folder" ] || sign_fail "$folder: there is no such folder"
    if made_within "$place" "$folder"; then
        sign_fail "$image: the image must not go inside $folder, the folder it is made from"
    fi
    if made_within "$folder" "$tree"; then
        sign_fail "$folder: the folder lies inside $tree, where the disc is laid out; name another image"
    fi
    for path in "$image" "$sums" "$tree"; do
        [ ! -L "$path" ] || sign_fail "$path: a link, which disc.sh does not replace; move it away"
    done
    if [ -e "$image" ] || [ -e "$sums" ] || [ -e "$tree" ]; then
        made_by_us "$sums" ||
            sign_fail "$(existing): not made by disc.sh; it is left as it is (move it away, or name another image)"
        earlier_run_is_whole ||
            sign_fail "$(existing): changed since disc.sh made it, or of another image; it is left as it is (move it away, or name another image)"
    fi
}
existing() {
    local path found=()
    for path in "$sums" "$image" "$tree"; do
        [ ! -e "$path" ] || found+=("$path")
    done
    printf '%s' "${found[0]}"
    [ ${#found[@]} -lt 2 ] || printf ' (with %s)' "${found[*]:1}"
}

# Refuses a folder whose disc would not be what the publisher sees in it.
check_folder() {
    local found program link
    found=$(at_root "$installer")
    [ -n "$found" ] && [ -f "$folder/$found" ] ||
        sign_fail "$folder: there is no $installer, the installer that install.exe starts"
    for program in "${disc[@]:2:3}"; do
        # A game without a sound setup names none.
        [ -n "$program" ] || continue
        found=$(at_root "$program")
        [ -z "$found" ] ||
            sign_fail "$folder/$found: install.exe would start this instead of $program in the game folder (Windows looks in the launcher's own folder first); move it off the root"
    done
    for program in install.exe autorun.inf; do
        found=$(at_root "$program")
        [ -z "$found" ] || sign_fail "$folder/$found: the disc's $program is made here; take it out of the folder"
    done
    # Joliet, which Windows reads, has no links: the disc gets the file a
    # link names. A link to nothing, or to a folder, is refused.
    while IFS= read -r -d '' link; do
        [ -f "$link" ] ||
            sign_fail "$link: a link to $(readlink -- "$link"), which is not a file; put the file itself there"
    done < <(find "$folder" -type l -print0)
    found=$(find "$folder" ! -type d ! -type f ! -type l -print -quit)
    [ -z "$found" ] || sign_fail "$found: neither a file nor a folder, so it cannot go on a disc"
    found=$(find "$folder" -mindepth 1 -name '*[\\:*?"<>|[:cntrl:]]*' -print -quit)
    [ -z "$found" ] || sign_fail "$found: Windows allows none of \\ : * ? \" < > | in a name"
    if [ $sign_setup -eq 1 ]; then
        found=$(at_root "$installer")
        sign_is_program "$folder/$found" ||
            sign_fail "$folder/$found: not a Windows program, so --sign-setup cannot sign it"
    fi
}

# The disc in WORK/BASE, its image WORK/BASE.iso and WORK/SHA256SUMS.
make_disc() {
    local disc=$work/$base found state path
    bash "$top/tools/edition.sh" "$edition" "$work/build"
    mkdir "$disc"
    cp -RL --no-preserve=ownership "$folder/." "$disc/"
    if sign_wanted; then
        sign_file "$work/build/install.exe" "$disc/install.exe"
        found=$(at_root "$installer")
        # The publisher's programs, from their files into the disc's
        # copies; one the publisher signed keeps its signature.
        while read -r state path; do
            [ "$state" = unsigned ] || continue
            if [ $sign_programs -eq 1 ] || { [ $sign_setup -eq 1 ] && [ "$path" = "$found" ]; }; then
                sign_file "$folder/$path" "$disc/$path"
            fi
        done < <(/usr/bin/python3 "$top/tools/lib/pe.py" programs "$folder")
    else
        cp "$work/build/install.exe" "$disc/install.exe"
    fi
    mapfile -t unsigned_programs < <(/usr/bin/python3 "$top/tools/lib/pe.py" programs "$disc" |
        sed -n 's/^unsigned //p')
    # Windows reads autorun.inf in its ANSI code page; the lines end in CR LF.
    printf '[autorun]\r\nopen=install.exe\r\nicon=install.exe\r\nlabel=%s\r\n' "$label" >"$disc/autorun.inf"
    find "$disc" -exec touch -h -d "@$epoch" {} +
    # Joliet and Rock Ridge keep the names' case; plain ISO 9660 names stay 8.3.
    SOURCE_DATE_EPOCH=$epoch xorriso -as mkisofs -quiet -V "$label" -J -r -o "$work/$base.iso" "$disc" 2>/dev/null ||
        sign_fail "$image: xorriso could not make the image"
    (
        cd "$work"
        sha256sum -- "$base.iso"
        find "$base" -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum --
    ) >"$work/SHA256SUMS"
    (cd "$work" && sha256sum --quiet --strict -c SHA256SUMS) ||
        sign_fail "$image: the image or the disc's files are not as SHA256SUMS says"
}

# Puts the new image, SHA256SUMS and disc in place; the earlier ones (an
# earlier run's, checked above) go into WORK/earlier first.
put_in_place() {
    local path
    mkdir "$work/earlier"
    for path in "$image" "$sums" "$tree"; do
        [ ! -e "$path" ] || mv -T -- "$path" "$work/earlier/$(basename "$path")"
    done
    mv -T -- "$work/$base.iso" "$image"
    mv -T -- "$work/SHA256SUMS" "$sums"
    mv -T -- "$work/$base" "$tree"
    made_note "$sums"
}

# After a failure: whatever put_in_place had moved goes back.
put_back() {
    local path earlier
    for path in "$image" "$sums" "$tree"; do
        earlier=$work/earlier/$(basename "$path")
        if [ -e "$earlier" ]; then
            # What stands there now was made by this run.
            [ ! -e "$path" ] || rm -rf -- "$path"
            mv -T -- "$earlier" "$path"
        fi
    done
}

work=""
finish() {
    local status=$?
    if [ -n "$work" ]; then
        [ $status -eq 0 ] || put_back
        rm -rf -- "$work"
    fi
    [ $status -eq 0 ] || made_unmake
}
trap finish EXIT

[ "$base" != SHA256SUMS ] || sign_fail "$image: the disc's folder would be named like SHA256SUMS"
[ -f "$edition" ] || sign_fail "$edition: there is no such file"
bash "$top/tools/install-deps.sh" --for disc
/usr/bin/python3 "$top/tools/edition/edition.py" --check "$edition"
mapfile -t disc < <(/usr/bin/python3 "$top/tools/edition/edition.py" --disc "$edition")
label=${disc[0]} installer=${disc[1]}
[ -n "$sign_name" ] || sign_name=${disc[5]}
check_places
check_folder
! sign_wanted || sign_open
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct)}

made_mkdir "$place"
work=$(mktemp -d "$place/.$base.iso.XXXXXX")
make_disc
put_in_place

unsigned=$(sha256sum <"$work/build/install.exe" | cut -d' ' -f1)
echo "CD image: $image ($(stat -c %s "$image") bytes), label $label, dated $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S UTC')"
if sign_wanted; then
    echo "install.exe: signed by $sign_subject, SHA-256 $(sha256sum <"$tree/install.exe" | cut -d' ' -f1)"
    echo "  unsigned: SHA-256 $unsigned (what osslsigncode remove-signature gives back)"
else
    echo "install.exe: not signed, SHA-256 $unsigned"
fi
xorriso -indev "$image" -find / -type f 2>/dev/null | sed 's/^/  /'
echo "Checksums: $sums (check them with: cd $(printf %q "$place") && sha256sum -c SHA256SUMS)"
sed 's/^/  /' "$sums"
if ! sign_wanted; then
    advice="give a certificate, and disc.sh signs the disc's copies"
else
    advice="leave out --no-sign-programs, and disc.sh signs the disc's copy"
fi
for path in ${unsigned_programs[@]+"${unsigned_programs[@]}"}; do
    echo "$tree/$path: warning: not signed: Windows 11's Smart App Control blocks an unsigned program, and SmartScreen warns of one; $advice" >&2
done
