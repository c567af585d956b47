#!/usr/bin/env bash
# Signs a Windows program with Authenticode, with Debian's osslsigncode:
#     sign.sh CERTIFICATE [--name TEXT] [--url URL] [--timestamp URL] PROGRAM SIGNED
# CERTIFICATE is the publisher's certificate and key: --pkcs12 FILE (a .pfx or
# .p12 file), or --cert FILE --key FILE (PEM or DER); --password-file FILE
# names a file whose first line is the key's password. Without it, a key
# that has a password asks for it on the terminal. --name and --url go into
# the signature (Windows shows the name in User Account Control's prompt);
# --timestamp is a time stamp server (RFC 3161), so that the signature stays
# good after the certificate has expired; give it more than once for a
# second server to try.
#
# Refuses, before signing, a certificate that does not open, that has
# expired or is not valid yet, or whose key is not the one given. The
# password goes to openssl and osslsigncode through a pipe, never on a
# command line, and is never written to a file or a log; the key is never
# written anywhere. After signing, the signature is taken off a copy again,
# which must give back PROGRAM byte for byte: so anyone can check a signed
# program against the build it was made from. tools/disc.sh uses the same
# functions (it sources this file).
#
# SIGNED may be PROGRAM itself (signed in place), a file this command signed
# before, or a new one; any other file of that name is refused and left as
# it is. Paths are read from the caller's folder. It prints who signed, and
# the SHA-256 of the signed program and of the unsigned one.
set -euo pipefail
# shellcheck source=tools/made.sh
. "$(dirname "${BASH_SOURCE[0]}")/made.sh"
# The reader of Windows programs (Debian's pefile).
sign_lib=$(realpath "$(dirname "${BASH_SOURCE[0]}")/lib")

sign_pkcs12="" sign_cert="" sign_key="" sign_password_file=""
sign_name="" sign_url="" sign_timestamps=()
sign_password="" sign_subject=""

sign_fail() { made_fail "$@"; }

# The signing options, for getopt -l; sign_take sets each. Files are taken
# from the caller's folder.
sign_long=pkcs12:,cert:,key:,password-file:,name:,url:,timestamp:
sign_take() {
    case $1 in
    --pkcs12) sign_pkcs12=$(made_path "$2") ;;
    --cert) sign_cert=$(made_path "$2") ;;
    --key) sign_key=$(made_path "$2") ;;
    --password-file) sign_password_file=$(made_path "$2") ;;
    --name) sign_name=$2 ;;
    --url) sign_url=$2 ;;
    --timestamp) sign_timestamps+=("$2") ;;
    esac
}

# Whether a certificate was given at all.
sign_wanted() { [ -n "$sign_pkcs12$sign_cert$sign_key" ]; }

# The password reaches each program on a pipe of its own (printf is the
# shell's own, so no process shows it).
sign_openssl() { openssl "$@" -passin fd:3 3< <(printf '%s\n' "$sign_password"); }

# The certificate in PEM on stdout; fails when it does not open.
sign_certificate() {
    if [ -n "$sign_pkcs12" ]; then
        sign_openssl pkcs12 -in "$sign_pkcs12" -nokeys -clcerts 2>/dev/null ||
            sign_openssl pkcs12 -legacy -in "$sign_pkcs12" -nokeys -clcerts 2>/dev/null
    else
        openssl x509 -in "$sign_cert" 2>/dev/null ||
            openssl x509 -inform DER -in "$sign_cert" 2>/dev/null
    fi
}

# The public half of the key; the private half goes through a pipe only.
sign_public_key() {
    if [ -n "$sign_pkcs12" ]; then
        { sign_openssl pkcs12 -in "$sign_pkcs12" -nocerts -nodes 2>/dev/null ||
            sign_openssl pkcs12 -legacy -in "$sign_pkcs12" -nocerts -nodes 2>/dev/null; } |
            openssl pkey -pubout 2>/dev/null
    else
        sign_openssl pkey -in "$sign_key" -pubout 2>/dev/null
    fi
}

# Empty when the key does not open.
sign_key_opens() { [ -n "$(sign_public_key)" ]; }

sign_read_password() {
    if [ -n "$sign_password_file" ]; then
        [ -r "$sign_password_file" ] || sign_fail "$sign_password_file: the password file cannot be read"
        IFS= read -r sign_password <"$sign_password_file" || true
        # A file saved on Windows ends its line in CR LF.
        sign_password=${sign_password%$'\r'}
        return
    fi
    # A key without a password opens with an empty one.
    if sign_key_opens; then
        return
    fi
    if [ -t 0 ]; then
        IFS= read -rsp "Password for ${sign_pkcs12:-$sign_key}: " sign_password
        echo >&2
    fi
}

# Checks the certificate and key before anything is built with them.
sign_open() {
    local file=${sign_pkcs12:-$sign_cert} pem public end start
    if [ -n "$sign_pkcs12" ]; then
        [ -z "$sign_cert$sign_key" ] || sign_fail "give either --pkcs12, or --cert and --key"
    else
        [ -n "$sign_cert" ] && [ -n "$sign_key" ] || sign_fail "--cert and --key go together"
    fi
    for given in "$file" ${sign_key:+"$sign_key"}; do
        [ -r "$given" ] || sign_fail "$given: the file cannot be read"
    done
    sign_read_password
    pem=$(sign_certificate) ||
        sign_fail "$file: the certificate does not open (a wrong password, or not a certificate)"
    public=$(sign_public_key) || true
    [ -n "$public" ] ||
        sign_fail "${sign_key:-$file}: the key does not open (a wrong password, or not a key)"
    [ "$public" = "$(openssl x509 -pubkey -noout <<<"$pem")" ] ||
        sign_fail "${sign_key:-$file}: the key is not the certificate's"
    end=$(openssl x509 -enddate -noout <<<"$pem" | cut -d= -f2)
    start=$(openssl x509 -startdate -noout <<<"$pem" | cut -d= -f2)
    openssl x509 -checkend 0 -noout <<<"$pem" >/dev/null ||
        sign_fail "$file: the certificate expired on $end"
    [ "$(date -u -d "$start" +%s)" -le "$(date -u +%s)" ] ||
        sign_fail "$file: the certificate is not valid before $start"
    sign_subject=$(openssl x509 -subject -noout -nameopt RFC2253 <<<"$pem")
    sign_subject=${sign_subject#subject=}
}

# Whether FILE is a Windows program: "MZ", and where its header says, "PE".
sign_is_program() { /usr/bin/python3 "$sign_lib/pe.py" is-program "$1"; }

# Signs PROGRAM into SIGNED (sign_open first), which may be PROGRAM itself:
# the signed program is made beside it under another name, checked, and only
# then put in its place.
sign_file() {
    # Not "work": disc.sh's trap reads its own after a failure in here.
    local program=$1 signed=$2 sign_work same=1 report
    local options=(-h sha256)
    [ -z "$sign_name" ] || options+=(-n "$sign_name")
    [ -z "$sign_url" ] || options+=(-i "$sign_url")
    for server in ${sign_timestamps[@]+"${sign_timestamps[@]}"}; do
        options+=(-ts "$server")
    done
    if [ -n "$sign_pkcs12" ]; then
        options+=(-pkcs12 "$sign_pkcs12")
    else
        options+=(-certs "$sign_cert" -key "$sign_key")
    fi
    sign_is_program "$program" || sign_fail "$program: not a Windows program, so it cannot be signed"
    sign_work=$(mktemp -d "$(dirname "$signed")/.sign.XXXXXX")
    # osslsigncode writes only a file that is not there yet.
    if ! report=$(osslsigncode sign "${options[@]}" -readpass <(printf '%s\n' "$sign_password") \
        -in "$program" -out "$sign_work/signed" 2>&1); then
        rm -rf "$sign_work"
        if grep -q 'timestamping failed' <<<"$report"; then
            sign_fail "$program: not signed: the time stamp server (${sign_timestamps[*]}) cannot be reached, or gave no time stamp"
        fi
        # osslsigncode's own lines, without OpenSSL's internals.
        sign_fail "$program: osslsigncode could not sign it: $(grep -vE '^[0-9A-F]+:error:' <<<"$report")"
    fi
    osslsigncode remove-signature -in "$sign_work/signed" -out "$sign_work/unsigned" >/dev/null 2>&1 || true
    cmp -s "$program" "$sign_work/unsigned" || same=0
    if [ $same -eq 1 ]; then
        mv "$sign_work/signed" "$signed"
    fi
    rm -rf "$sign_work"
    [ $same -eq 1 ] || sign_fail "$program: without its signature, the signed program is not the same"
}

sign_usage() {
    echo "usage: tools/sign.sh (--pkcs12 FILE | --cert FILE --key FILE) [--password-file FILE]" >&2
    echo "                     [--name TEXT] [--url URL] [--timestamp URL] PROGRAM SIGNED" >&2
    exit 2
}

sign_main() {
    local options program signed unsigned
    options=$(getopt -n sign.sh -o h -l "help,$sign_long" -- "$@") || sign_usage
    eval set -- "$options"
    while [ "$1" != -- ]; do
        case $1 in
        -h | --help) sign_usage ;;
        *) sign_take "$1" "$2" && shift 2 ;;
        esac
    done
    shift
    sign_wanted && [ $# -eq 2 ] || sign_usage
    program=$(made_path "$1")
    signed=$(made_path "$2")
    [ -f "$program" ] || sign_fail "$program: there is no such file"
    # SIGNED is PROGRAM itself, one this command signed before, or new.
    if [ -e "$signed" ] || [ -L "$signed" ]; then
        [ "$program" -ef "$signed" ] || made_by_us "$signed" ||
            sign_fail "$signed: already there, and not written by sign.sh; it is left as it is (name another file, or move it away)"
    fi
    [ -d "$(dirname "$signed")" ] || sign_fail "$(dirname "$signed"): there is no such folder"
    bash "$(dirname "$0")/install-deps.sh" --for sign
    sign_open
    unsigned=$(sha256sum <"$program" | cut -d' ' -f1)
    sign_file "$program" "$signed"
    made_note "$signed"
    echo "$signed: signed by $sign_subject, $(stat -c %s "$signed") bytes, SHA-256 $(sha256sum <"$signed" | cut -d' ' -f1)"
    echo "  unsigned: SHA-256 $unsigned (what osslsigncode remove-signature gives back)"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    sign_main "$@"
fi
