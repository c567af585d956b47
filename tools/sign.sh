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
set -euo pipefail

sign_pkcs12="" sign_cert="" sign_key="" sign_password_file=""
sign_name="" sign_url="" sign_timestamps=()
sign_password=""
sign_rest=()

sign_fail() {
    echo "$*" >&2
    exit 1
}

# Takes the signing options out of the arguments; the others are left in
# sign_rest, in their order.
sign_parse() {
    while [ $# -gt 0 ]; do
        case $1 in
        --pkcs12 | --cert | --key | --password-file | --name | --url | --timestamp)
            [ $# -ge 2 ] || sign_fail "$1 needs a value"
            case $1 in
            --pkcs12) sign_pkcs12=$2 ;;
            --cert) sign_cert=$2 ;;
            --key) sign_key=$2 ;;
            --password-file) sign_password_file=$2 ;;
            --name) sign_name=$2 ;;
            --url) sign_url=$2 ;;
            --timestamp) sign_timestamps+=("$2") ;;
            esac
            shift 2
            ;;
        *)
            sign_rest+=("$1")
            shift
            ;;
        esac
    done
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
}

# Signs PROGRAM into SIGNED (sign_open first).
sign_file() {
    local program=$1 signed=$2 back same=1
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
    rm -f "$signed"
    osslsigncode sign "${options[@]}" -readpass <(printf '%s\n' "$sign_password") \
        -in "$program" -out "$signed" >/dev/null ||
        { rm -f "$signed"; sign_fail "$program: osslsigncode could not sign it"; }
    # osslsigncode writes only a file that is not there yet.
    back=$(mktemp -d)
    osslsigncode remove-signature -in "$signed" -out "$back/unsigned" >/dev/null 2>&1 || true
    cmp -s "$program" "$back/unsigned" || same=0
    rm -rf "$back"
    if [ $same -eq 0 ]; then
        rm -f "$signed"
        sign_fail "$program: without its signature, the signed program is not the same"
    fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    sign_parse "$@"
    if ! sign_wanted || [ ${#sign_rest[@]} -ne 2 ]; then
        echo "usage: tools/sign.sh (--pkcs12 FILE | --cert FILE --key FILE) [--password-file FILE]" >&2
        echo "                     [--name TEXT] [--url URL] [--timestamp URL] PROGRAM SIGNED" >&2
        exit 2
    fi
    bash "$(dirname "$0")/install-deps.sh"
    sign_open
    sign_file "${sign_rest[0]}" "${sign_rest[1]}"
    echo "${sign_rest[1]}: signed, $(stat -c %s "${sign_rest[1]}") bytes, SHA-256 $(sha256sum "${sign_rest[1]}" | cut -d' ' -f1)"
fi
