#!/usr/bin/env bash
# The signed launcher and the disc image, with a throwaway certificate:
#     check_disc.sh --sign UNSIGNED SIGNED
# makes a certificate and key for "Marrowgate Studios" in SIGNED's folder
# and signs UNSIGNED into SIGNED with tools/sign.sh (the build does this for
# install_test, which starts the signed English launcher);
#     check_disc.sh BIN_DIR
# checks BIN_DIR/english-signed/install.exe against the unsigned
# BIN_DIR/english/install.exe; then what tools/sign.sh and tools/disc.sh
# must refuse, each refusal leaving every file as it was; then images made
# from a publisher's folder, read back with xorriso.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
# shellcheck source=tests/refusals.sh
. tests/refusals.sh

throwaway_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$3" \
        -keyout "$1" -out "$2" 2>/dev/null
}

if [ "${1:-}" = --sign ]; then
    set -e
    folder=$(dirname "$3")
    mkdir -p "$folder"
    # The build's own output, signed again from a newer build.
    rm -f "$3"
    throwaway_certificate "$folder/key.pem" "$folder/cert.pem" "Marrowgate Studios"
    bash tools/sign.sh --cert "$folder/cert.pem" --key "$folder/key.pem" --name Tidewater \
        --url https://tidewater.example "$2" "$3"
    exit 0
fi

bin=$1
signing=$bin/english-signed
# The build's English edition, which disc.sh writes too, into the build's
# launcher.
shipped=$bin/english/install.exe
export EDITION_LAUNCHER=$bin/launcher.exe
scratch=$(mktemp -d /tmp/vexmoor-disc.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
# The English edition's icon, beside each copy of the edition made below.
cp editions/tidewater.ico "$scratch/"

# Whether SIGNED, its signature taken off, is UNSIGNED byte for byte.
check_signed_bytes() {
    rm -f "$scratch/back.exe"
    osslsigncode remove-signature -in "$1" -out "$scratch/back.exe" >/dev/null 2>&1
    cmp -s "$scratch/back.exe" "$2"
}

# The build's signed launcher: a good signature, with the product's name and
# URL, and without it UNSIGNED's bytes.
check_signed() {
    local signed=$1 unsigned=$2 report
    report=$(osslsigncode verify -CAfile "$signing/cert.pem" -in "$signed" 2>&1) ||
        fail "$signed: the signature does not verify: $report"
    grep -q "Text description: Tidewater" <<<"$report" || fail "$signed: no product name in the signature"
    grep -q "URL description: https://tidewater.example" <<<"$report" ||
        fail "$signed: no URL in the signature"
    check_signed_bytes "$signed" "$unsigned" || fail "$signed: without its signature it is not $unsigned"
}
check_signed "$signing/install.exe" "$bin/english/install.exe"

# Another certificate: one expired in 2020, from a small CA configuration.
old=$scratch/old
mkdir -p "$old/ca"
: >"$old/ca/index.txt"
printf '[ca]\ndefault_ca = old\n[old]\ndatabase = %s/index.txt\nnew_certs_dir = %s\nserial = %s/serial\ndefault_md = sha256\npolicy = any\n[any]\ncommonName = supplied\n' \
    "$old/ca" "$old/ca" "$old/ca" >"$old/ca.cnf"
openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Marrowgate Studios" -keyout "$old/key.pem" \
    -out "$old/cert.csr" 2>/dev/null
openssl ca -batch -config "$old/ca.cnf" -selfsign -keyfile "$old/key.pem" -in "$old/cert.csr" \
    -out "$old/cert.pem" -startdate 20200101000000Z -enddate 20200201000000Z -rand_serial \
    -notext >/dev/null 2>&1
# The throwaway one as PKCS#12, with a password, and that password's file,
# saved on Windows (CR LF).
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$scratch/good.p12" \
    -passout pass:tide-2.1
printf 'tide-2.1\r\n' >"$scratch/good.password"
printf 'tide-2.0\n' >"$scratch/wrong.password"
key=(--cert "$signing/cert.pem" --key "$signing/key.pem")

# The publisher's folder: the installer, a file and a folder of data with a
# program of the game's in it, and a link to a file elsewhere; named as
# publishers name things.
publisher="$scratch/Tidewater's [disc] ø"
mkdir -p "$publisher/DATA" "$scratch/elsewhere"
cp "$bin/english/install.exe" "$publisher/TWSETUP.EXE"
cp "$bin/polish/install.exe" "$publisher/DATA/TOOL.DLL"
printf 'Tidewater 2.1\r\n' >"$publisher/README.TXT"
printf 'map' >"$publisher/DATA/MAP.DAT"
printf 'notes\r\n' >"$scratch/elsewhere/notes.txt"
ln -s ../elsewhere/notes.txt "$publisher/NOTES.TXT"

# An image that disc.sh made, where the rows ask for theirs: of the
# installer alone, unsigned, so that the good image below differs from it.
out=$scratch/out
mkdir -p "$scratch/small"
cp "$publisher/TWSETUP.EXE" "$scratch/small/"
bash tools/disc.sh editions/english.edition "$scratch/small" "$out/tidewater.iso" >"$scratch/small.log" 2>&1 ||
    fail "the image of the installer alone: $(cat "$scratch/small.log")"
grep -qx "install.exe: not signed, SHA-256 $(sha256sum <"$shipped" | cut -d' ' -f1)" "$scratch/small.log" ||
    fail "disc.sh does not say that install.exe is not signed, with its SHA-256: $(cat "$scratch/small.log")"
# Without a certificate, every program on the disc is named as unsigned.
for program in TWSETUP.EXE install.exe; do
    grep -qx "$out/tidewater/$program: warning: not signed: Windows 11's Smart App Control blocks an unsigned program, and SmartScreen warns of one; give a certificate, and disc.sh signs the disc's copies" "$scratch/small.log" ||
        fail "disc.sh does not warn that $program is not signed: $(cat "$scratch/small.log")"
done

# Places that are not disc.sh's to write: a folder named like the image, a
# SHA256SUMS beside it, and a publisher's folder inside the disc's folder.
mkdir -p "$scratch/theirs" "$scratch/sums" "$scratch/pub/release/files"
printf 'mine' >"$scratch/theirs/letter.txt"
printf 'mine' >"$scratch/sums/SHA256SUMS"
cp -R "$publisher/." "$scratch/pub/release/files/"

# One row: FOLDER_CHANGE|EDITION_CHANGE|ARGUMENTS|EXPECTED. The row's folder
# is a copy of the publisher's; FOLDER_CHANGE is "-NAME" (taken out of it),
# "+NAME" (a file put in it), "@NAME TARGET" (a link to TARGET), or "=PATH"
# (PATH, below the scratch folder, instead of the copy); EDITION_CHANGE
# "disc_label = VALUE". ARGUMENTS follow the edition and the folder, split
# at spaces ("IMAGE" the image in out/); EXPECTED is part of the message
# ("…" any text, "@SETTING" the line of SETTING in the sample). Whatever it
# says, nothing anywhere may change.
rows=(
    "-TWSETUP.EXE||IMAGE|: there is no TWSETUP.EXE, the installer that install.exe starts"
    # Windows would run these from the CD's root, not the game folder.
    "+tidewatr.bat||IMAGE|/tidewatr.bat: install.exe would start this instead of TIDEWATR.BAT in the game folder"
    "+TWSound.exe||IMAGE|/TWSound.exe: install.exe would start this instead of TWSOUND.EXE in the game folder"
    "+AUTORUN.INF||IMAGE|/AUTORUN.INF: the disc's autorun.inf is made here"
    "|disc_label = Tidewater|IMAGE|bad.edition:@disc_label: \"disc_label\" must be 1 to 16 capitals A to Z, digits and \"_\""
    "|disc_label = TIDEWATER_2_1_DISC|IMAGE|bad.edition:@disc_label: \"disc_label\" must be 1 to 16 capitals"
    "||IMAGE --cert $old/cert.pem --key $old/key.pem|old/cert.pem: the certificate expired on Feb  1 00:00:00 2020 GMT"
    "||IMAGE --pkcs12 $scratch/good.p12 --password-file $scratch/wrong.password|good.p12: the certificate does not open"
    "||IMAGE --cert $scratch/small/TWSETUP.EXE --key $signing/key.pem|TWSETUP.EXE: the certificate does not open"
    "||IMAGE --cert $signing/cert.pem --key $old/key.pem|old/key.pem: the key is not the certificate's"
    "||IMAGE --pfx $scratch/good.p12|unrecognized option '--pfx'"
    # A failure after the build, in signing, takes back all it made.
    "||IMAGE ${key[*]} --timestamp http://127.0.0.1:9/|the time stamp server (http://127.0.0.1:9/) cannot be reached"
    # --sign-setup on an installer that is no Windows program.
    "+TWSETUP.EXE||IMAGE --sign-setup ${key[*]}|/TWSETUP.EXE: not a Windows program, so --sign-setup cannot sign it"
    "||IMAGE --no-sign-programs|--no-sign-programs needs a certificate: without one nothing is signed"
    # A name Windows cannot give a file.
    "+NOTES:1.TXT||IMAGE|/NOTES:1.TXT: Windows allows none of"
    # A link to nothing, or to a folder: Joliet has no links.
    "@GONE.TXT ../nowhere.txt||IMAGE|/GONE.TXT: a link to ../nowhere.txt, which is not a file"
    "@MORE ../elsewhere||IMAGE|/MORE: a link to ../elsewhere, which is not a file"
    # Places disc.sh must not write.
    "||$scratch/folder/disc.iso|disc.iso: the image must not go inside"
    "=pub/release/files||$scratch/pub/release.iso|release/files: the folder lies inside $scratch/pub/release, where the disc is laid out"
    "||$scratch/theirs.iso|theirs: not made by disc.sh; it is left as it is"
    "||$scratch/sums/tidewater.iso|sums/SHA256SUMS: not made by disc.sh; it is left as it is"
)

for row in "${rows[@]}"; do
    IFS='|' read -r change label arguments expected <<<"$row"
    folder=$scratch/folder
    rm -rf "$folder"
    cp -R "$publisher" "$folder"
    case $change in
    -*) rm -f "$folder/${change#-}" ;;
    +*) printf 'x' >"$folder/${change#+}" ;;
    @*) read -r name target <<<"${change#@}" && ln -s "$target" "$folder/$name" ;;
    =*) folder=$scratch/${change#=} ;;
    esac
    edition=$scratch/bad.edition
    sed "s/^disc_label = .*/${label:-&}/" editions/english.edition >"$edition"
    # shellcheck disable=SC2086 # the arguments, split
    check_refused "$row" "$(at_lines "$expected" editions/english.edition)" "$scratch" \
        bash tools/disc.sh "$edition" "$folder" ${arguments//IMAGE/$out/tidewater.iso}
done

# sign.sh: a program signed in place, and a SIGNED that sign.sh did not
# write; a time stamp server that cannot be reached.
cp "$bin/english/install.exe" "$scratch/inplace.exe"
bash tools/sign.sh "${key[@]}" "$scratch/inplace.exe" "$scratch/inplace.exe" >"$scratch/inplace.log" 2>&1 ||
    fail "sign.sh X X: $(cat "$scratch/inplace.log")"
grep -q "inplace.exe: signed by CN=Marrowgate Studios," "$scratch/inplace.log" ||
    fail "sign.sh does not say who signed: $(cat "$scratch/inplace.log")"
check_signed_bytes "$scratch/inplace.exe" "$bin/english/install.exe" ||
    fail "sign.sh X X: without its signature, X is not what it was"
sign_rows=(
    "$scratch/theirs/letter.txt|theirs/letter.txt: already there, and not written by sign.sh"
    "$scratch/timestamped.exe --timestamp http://127.0.0.1:9/|the time stamp server (http://127.0.0.1:9/) cannot be reached, or gave no time stamp"
)
for row in "${sign_rows[@]}"; do
    IFS='|' read -r arguments expected <<<"$row"
    read -r signed more <<<"$arguments"
    # shellcheck disable=SC2086 # the options, split
    check_refused "sign.sh $arguments" "$expected" "$scratch" \
        bash tools/sign.sh "${key[@]}" $more "$bin/english/install.exe" "$signed"
done

# What install-deps.sh asks apt for, for each command, on a machine that has
# nothing: apt-get, dpkg and the rest are stand-ins that log what they are
# asked. Signing alone asks for no Wine (nor MinGW, nor a locale); writing
# an edition and making its disc for Python alone, besides the signing and
# image tools; the preview for Wine and the compilers.
stubs=$scratch/stubs
mkdir -p "$stubs"
printf '#!/bin/sh\necho "$*" >>"%s/apt.log"\n' "$stubs" >"$stubs/apt-get"
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\nexit 0\n' >"$stubs/dpkg"
printf '#!/bin/sh\necho "$*" >>"%s/locales.log"\n' "$stubs" >"$stubs/localedef"
printf '#!/bin/sh\nexit 0\n' >"$stubs/locale"
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*
deps_rows=(
    "sign|osslsigncode openssl python3-pefile|wine mingw xorriso googletest"
    "edition|python3 python3-pil python3-pefile|wine mingw cmake xvfb osslsigncode xorriso googletest"
    "preview|g++-mingw-w64-i686 cmake wine fonts-wine xvfb python3-pil python3-pefile|osslsigncode xorriso googletest"
    "disc|python3-pil python3-pefile osslsigncode xorriso|wine mingw cmake xvfb googletest nsis"
)
for row in "${deps_rows[@]}"; do
    IFS='|' read -r what wanted unwanted <<<"$row"
    rm -f "$stubs/apt.log" "$stubs/locales.log"
    PATH=$stubs:$PATH bash tools/install-deps.sh --for "$what" >/dev/null 2>&1 ||
        fail "install-deps.sh --for $what failed"
    asked=" $(grep '^install' "$stubs/apt.log" | tr '\n' ' ') "
    for package in $wanted; do
        [[ "$asked" == *" $package "* ]] || fail "install-deps.sh --for $what: no $package in: $asked"
    done
    for package in $unwanted; do
        [[ "$asked" != *" $package"* ]] || fail "install-deps.sh --for $what: asks for $package: $asked"
    done
    [ "$what" != sign ] || [ ! -e "$stubs/locales.log" ] ||
        fail "install-deps.sh --for sign makes locales: $(cat "$stubs/locales.log")"
done

# The image, signed, installer too, from another folder with relative paths:
# it replaces the earlier image, and every file of the folder and the
# launcher is on it, each as SHA256SUMS says.
before=$(snapshot "$publisher")
mkdir -p "$scratch/caller"
cp editions/english.edition "$scratch/it's.edition"
if ! (cd "$scratch/caller" && bash "$top/tools/disc.sh" "../it's.edition" "../$(basename "$publisher")" \
    ../out/tidewater.iso --pkcs12 ../good.p12 --password-file ../good.password \
    --url https://tidewater.example --name Tidewater --sign-setup) >"$scratch/disc.log" 2>&1; then
    fail "the image of the publisher's folder: $(cat "$scratch/disc.log")"
else
    [ "$(snapshot "$publisher")" = "$before" ] || fail "the publisher's folder was changed"
    image=$out/tidewater.iso
    grep -q "^install.exe: signed by CN=Marrowgate Studios, SHA-256 " "$scratch/disc.log" ||
        fail "disc.sh does not say who signed: $(cat "$scratch/disc.log")"
    [ "$(ls -A "$out")" = "$(printf 'SHA256SUMS\ntidewater\ntidewater.iso')" ] ||
        fail "beside the image: $(ls -A "$out")"
    # What Windows reads: the Joliet names.
    files=$(xorriso -read_fs norock -indev "$image" -find / -type f 2>/dev/null | tr -d "'" | LC_ALL=C sort | tr '\n' ' ')
    [ "$files" = "/DATA/MAP.DAT /DATA/TOOL.DLL /NOTES.TXT /README.TXT /TWSETUP.EXE /autorun.inf /install.exe " ] ||
        fail "the image's Joliet names: $files"
    xorriso -indev "$image" -pvd_info 2>/dev/null | grep -qx "Volume Id    : TIDEWATER" ||
        fail "the image's label: $(xorriso -indev "$image" -pvd_info 2>/dev/null | grep 'Volume Id')"
    back=$scratch/back
    xorriso -indev "$image" -osirrox on -extract / "$back" >/dev/null 2>&1
    [ "$(cat "$back/autorun.inf")" = $'[autorun]\r\nopen=install.exe\r\nicon=install.exe\r\nlabel=TIDEWATER\r' ] ||
        fail "autorun.inf: $(cat -A "$back/autorun.inf")"
    cmp -s "$back/NOTES.TXT" "$scratch/elsewhere/notes.txt" || fail "NOTES.TXT is not the file its link names"
    # Every program of the folder signed on the disc, with the same
    # certificate; the publisher's files as they were (the snapshot above).
    for program in TWSETUP.EXE DATA/TOOL.DLL; do
        osslsigncode verify -CAfile "$signing/cert.pem" -in "$back/$program" >/dev/null 2>&1 ||
            fail "$program on the disc: the signature does not verify"
        check_signed_bytes "$back/$program" "$publisher/$program" ||
            fail "$program, without its signature, is not the publisher's"
    done
    ! grep -q "warning: not signed" "$scratch/disc.log" ||
        fail "a signed disc warns of unsigned programs: $(cat "$scratch/disc.log")"
    (cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files beside it"
    for file in install.exe autorun.inf DATA/MAP.DAT NOTES.TXT; do
        grep -qx "$(sha256sum "$back/$file" | cut -d' ' -f1)  tidewater/$file" "$out/SHA256SUMS" ||
            fail "$file on the image is not as SHA256SUMS says"
    done
    grep -qx "$(sha256sum "$image" | cut -d' ' -f1)  tidewater.iso" "$out/SHA256SUMS" ||
        fail "the image is not as SHA256SUMS says"
    check_signed "$back/install.exe" "$shipped"
    # Held to what the build's launcher is (the x86_64 road's is 64-bit).
    machine=$(/usr/bin/python3 tools/lib/pe.py machine "$EDITION_LAUNCHER")
    /usr/bin/python3 tools/lib/pe.py check --machine "$machine" "$back/install.exe" editions/tidewater.ico >"$scratch/binary.log" 2>&1 || fail "the image's install.exe: $(cat "$scratch/binary.log")"
fi

# --no-sign-programs: install.exe signed, the publisher's programs on the
# disc as they are, each named in a warning.
if ! bash tools/disc.sh editions/english.edition "$publisher" "$scratch/plain/tidewater.iso" "${key[@]}" \
    --no-sign-programs >"$scratch/plain.log" 2>&1; then
    fail "the image with --no-sign-programs: $(cat "$scratch/plain.log")"
else
    for program in TWSETUP.EXE DATA/TOOL.DLL; do
        cmp -s "$scratch/plain/tidewater/$program" "$publisher/$program" ||
            fail "--no-sign-programs: $program on the disc is not the publisher's"
        grep -qx "$scratch/plain/tidewater/$program: warning: not signed: Windows 11's Smart App Control blocks an unsigned program, and SmartScreen warns of one; leave out --no-sign-programs, and disc.sh signs the disc's copy" "$scratch/plain.log" ||
            fail "--no-sign-programs: no warning for $program: $(cat "$scratch/plain.log")"
    done
    ! grep -q "install.exe: warning" "$scratch/plain.log" || fail "--no-sign-programs: install.exe unsigned"
fi

echo "$failures of the signing and disc checks failed"
[ $failures -eq 0 ]
