#!/usr/bin/env bash
# The signed launcher and the disc image, with a throwaway certificate:
#     check_disc.sh --sign UNSIGNED SIGNED
# makes a certificate and key for "Marrowgate Studios" in SIGNED's folder
# and signs UNSIGNED into SIGNED with tools/sign.sh (the build does this for
# install_test, which starts the signed English launcher);
#     check_disc.sh BIN_DIR
# checks BIN_DIR/english-signed/install.exe against the unsigned
# BIN_DIR/english/install.exe, then the folders and certificates that
# tools/disc.sh must refuse, and an image it makes from a small folder, read
# back with xorriso.
set -uo pipefail
cd "$(dirname "$0")/.."

throwaway_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$3" \
        -keyout "$1" -out "$2" 2>/dev/null
}

if [ "${1:-}" = --sign ]; then
    set -e
    folder=$(dirname "$3")
    mkdir -p "$folder"
    throwaway_certificate "$folder/key.pem" "$folder/cert.pem" "Marrowgate Studios"
    bash tools/sign.sh --cert "$folder/cert.pem" --key "$folder/key.pem" --name Tidewater \
        --url https://tidewater.example "$2" "$3"
    exit 0
fi

bin=$1
signing=$bin/english-signed
scratch=$(mktemp -d /tmp/vexmoor-disc.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# The build's signed launcher: a good signature, with the product's name and
# URL, and without it the unsigned build's bytes.
check_signed() {
    local signed=$1 unsigned=$2 report
    report=$(osslsigncode verify -CAfile "$signing/cert.pem" -in "$signed" 2>&1) ||
        fail "$signed: the signature does not verify: $report"
    grep -q "Text description: Tidewater" <<<"$report" || fail "$signed: no product name in the signature"
    grep -q "URL description: https://tidewater.example" <<<"$report" ||
        fail "$signed: no URL in the signature"
    rm -f "$scratch/unsigned.exe"
    osslsigncode remove-signature -in "$signed" -out "$scratch/unsigned.exe" >/dev/null 2>&1
    cmp -s "$unsigned" "$scratch/unsigned.exe" ||
        fail "$signed: without its signature it is not $unsigned"
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
# The throwaway one as PKCS#12, with a password, and that password's file.
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$scratch/good.p12" \
    -passout pass:tide-2.1
printf 'tide-2.1\n' >"$scratch/good.password"
printf 'tide-2.0\n' >"$scratch/wrong.password"

# The publisher's folder: the installer, a file and a folder of data.
publisher=$scratch/publisher
mkdir -p "$publisher/DATA"
cp "$bin/english/install.exe" "$publisher/TWSETUP.EXE"
printf 'Tidewater 2.1\r\n' >"$publisher/README.TXT"
printf 'map' >"$publisher/DATA/MAP.DAT"

# One row: FOLDER_CHANGE|EDITION_CHANGE|CERTIFICATE|EXPECTED. FOLDER_CHANGE
# is "-NAME" (taken out of the folder) or "+NAME" (put in it); EDITION_CHANGE
# "disc_label = VALUE"; CERTIFICATE the signing options. EXPECTED is part of
# the message.
rows=(
    "-TWSETUP.EXE|||: there is no TWSETUP.EXE, the installer that install.exe starts"
    # Windows would run these from the CD's root, not the game folder.
    "+tidewatr.bat|||/tidewatr.bat: install.exe would start this instead of TIDEWATR.BAT in the game folder"
    "+TWSound.exe|||/TWSound.exe: install.exe would start this instead of TWSOUND.EXE in the game folder"
    "+AUTORUN.INF|||/AUTORUN.INF: the disc's autorun.inf is made here"
    "|disc_label = Tidewater||bad.edition:82: \"disc_label\" must be 1 to 16 capitals A to Z, digits and \"_\""
    "|disc_label = TIDEWATER_2_1_DISC||bad.edition:82: \"disc_label\" must be 1 to 16 capitals"
    "||--cert $old/cert.pem --key $old/key.pem|old/cert.pem: the certificate expired on Feb  1 00:00:00 2020 GMT"
    "||--pkcs12 $scratch/good.p12 --password-file $scratch/wrong.password|good.p12: the certificate does not open"
    "||--cert $publisher/README.TXT --key $signing/key.pem|README.TXT: the certificate does not open"
    "||--cert $signing/cert.pem --key $old/key.pem|old/key.pem: the key is not the certificate's"
)

for row in "${rows[@]}"; do
    IFS='|' read -r change label certificate expected <<<"$row"
    folder=$scratch/folder
    rm -rf "$folder" "$scratch/out"
    cp -R "$publisher" "$folder"
    case $change in
    -*) rm -f "$folder/${change#-}" ;;
    +*) printf 'x' >"$folder/${change#+}" ;;
    esac
    edition=$scratch/bad.edition
    sed "s/^disc_label = .*/${label:-&}/" editions/english.edition >"$edition"
    # shellcheck disable=SC2086 # the certificate's options, split
    output=$(bash tools/disc.sh "$edition" "$folder" "$scratch/out/bad.iso" $certificate 2>&1 >/dev/null)
    status=$?
    if [ $status -eq 0 ]; then
        fail "$row: accepted"
    elif ! grep -qF -- "$expected" <<<"$output"; then
        fail "$row: expected \"$expected\", got: $output"
    elif [ -e "$scratch/out/bad.iso" ] || [ -e "$scratch/out/SHA256SUMS" ]; then
        fail "$row: an image was made"
    fi
done

# The image, signed: every file of the folder and the launcher, each as
# SHA256SUMS says, and the label.
out=$scratch/out
rm -rf "$out"
if ! bash tools/disc.sh editions/english.edition "$publisher" "$out/tidewater.iso" \
    --pkcs12 "$scratch/good.p12" --password-file "$scratch/good.password" \
    --url https://tidewater.example >"$scratch/disc.log" 2>&1; then
    fail "the image of the publisher's folder: $(cat "$scratch/disc.log")"
else
    image=$out/tidewater.iso
    files=$(xorriso -indev "$image" -find / -type f 2>/dev/null | tr -d "'" | LC_ALL=C sort | tr '\n' ' ')
    [ "$files" = "/DATA/MAP.DAT /README.TXT /TWSETUP.EXE /autorun.inf /install.exe " ] ||
        fail "the image holds: $files"
    xorriso -indev "$image" -pvd_info 2>/dev/null | grep -qx "Volume Id    : TIDEWATER" ||
        fail "the image's label: $(xorriso -indev "$image" -pvd_info 2>/dev/null | grep 'Volume Id')"
    back=$scratch/back
    xorriso -indev "$image" -osirrox on -extract / "$back" >/dev/null 2>&1
    [ "$(cat "$back/autorun.inf")" = $'[autorun]\r\nopen=install.exe\r\nicon=install.exe\r\nlabel=TIDEWATER\r' ] ||
        fail "autorun.inf: $(cat -A "$back/autorun.inf")"
    cmp -s "$back/TWSETUP.EXE" "$publisher/TWSETUP.EXE" || fail "TWSETUP.EXE was changed"
    (cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files beside it"
    for file in install.exe autorun.inf DATA/MAP.DAT; do
        grep -qx "$(sha256sum "$back/$file" | cut -d' ' -f1)  tidewater/$file" "$out/SHA256SUMS" ||
            fail "$file on the image is not as SHA256SUMS says"
    done
    grep -qx "$(sha256sum "$image" | cut -d' ' -f1)  tidewater.iso" "$out/SHA256SUMS" ||
        fail "the image is not as SHA256SUMS says"
    check_signed "$back/install.exe" "$out/tidewater.build/install.exe"
fi

echo "$failures of the signing and disc checks failed"
[ $failures -eq 0 ]
