#!/usr/bin/env bash
# Signs the programs of a Windows installation medium with the reseller's
# code-signing certificate, so that Windows names the publisher when
# setup.exe asks for administrator rights and browsers and SmartScreen do
# not warn of an unknown program:
#
#   scripts/sign-medium.sh MEDIUM --pfx FILE [--password-file FILE]
#                          [--timestamp URL] [--url URL]
#
# Signs setup.exe, UnzDll.dll and every other .dll in the medium's top
# folder (Authenticode, SHA-256, with the product's name and, with --url,
# its web address), each with a time stamp from the time-stamping
# authority at URL when --timestamp is given (a signature without one
# expires with the certificate). The PDF reader's installer below xtra/ is
# another maker's program: it is never signed here. A file that is signed
# already is signed anew. Each signature is verified against the
# certificates of FILE before the signed file replaces the old one; one
# line per file says what happened. Exit code 0 when every file is signed
# and verified, 1 when one is not, 2 for a wrong command line.
#
# The certificate is the reseller's own (a PKCS #12 file, .pfx or .p12); its
# password, if it has one, is read from the first line of --password-file.
# Installs Debian's osslsigncode and openssl when they are missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage() {
    sed -n '7,8p' "${BASH_SOURCE[0]}" | sed 's/^# *//' >&2
    exit 2
}

medium="" pfx="" password_file="" timestamp="" url=""
while [[ $# -gt 0 ]]; do
    case "$1" in
        --pfx) pfx=${2:-}; shift 2 || usage ;;
        --password-file) password_file=${2:-}; shift 2 || usage ;;
        --timestamp) timestamp=${2:-}; shift 2 || usage ;;
        --url) url=${2:-}; shift 2 || usage ;;
        -*) echo "sign-medium: unknown option $1" >&2; usage ;;
        *) [[ -z "$medium" ]] || usage; medium=$1; shift ;;
    esac
done
[[ -n "$medium" && -n "$pfx" ]] || usage
[[ -f "$medium/setup.exe" ]] || { echo "sign-medium: $medium holds no setup.exe" >&2; exit 2; }
[[ -f "$pfx" ]] || { echo "sign-medium: no certificate file $pfx" >&2; exit 2; }
[[ -z "$password_file" || -f "$password_file" ]] ||
    { echo "sign-medium: no password file $password_file" >&2; exit 2; }

"$root/scripts/install-deps.sh" sign

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
password=(-pass "")
passin=(-passin pass:)
if [[ -n "$password_file" ]]; then
    password=(-readpass "$password_file")
    passin=(-passin "file:$password_file")
fi
# The certificates of the file (the signer's and any chain), to verify the
# signatures against: a reseller's certificate need not chain to an
# authority of this machine.
if ! openssl pkcs12 -in "$pfx" "${passin[@]}" -nokeys -out "$work/certificates.pem" 2>"$work/openssl.log" &&
    ! openssl pkcs12 -legacy -in "$pfx" "${passin[@]}" -nokeys -out "$work/certificates.pem" 2>>"$work/openssl.log"; then
    echo "sign-medium: $pfx cannot be read (a wrong password?):" >&2
    cat "$work/openssl.log" >&2
    exit 1
fi

options=(-h sha256 -n "Varnek Gerrix Morvellin setup")
[[ -z "$url" ]] || options+=(-i "$url")
[[ -z "$timestamp" ]] || options+=(-ts "$timestamp")

files=("$medium/setup.exe")
shopt -s nullglob
for library in "$medium"/*.dll; do
    files+=("$library")
done
failed=0
for file in "${files[@]}"; do
    name=$(basename "$file")
    input=$file
    # A signed file is signed anew: its old signature goes first.
    if osslsigncode extract-signature -in "$file" -out "$work/old.p7" >/dev/null 2>&1; then
        rm -f "$work/unsigned"
        osslsigncode remove-signature -in "$file" -out "$work/unsigned" >/dev/null
        input=$work/unsigned
    fi
    rm -f "$work/signed"
    if ! osslsigncode sign -pkcs12 "$pfx" "${password[@]}" "${options[@]}" \
        -in "$input" -out "$work/signed" >"$work/sign.log" 2>&1; then
        echo "not signed  $name: $(tail -n 1 "$work/sign.log")"
        failed=1
        continue
    fi
    if ! osslsigncode verify -in "$work/signed" -CAfile "$work/certificates.pem" \
        >"$work/verify.log" 2>&1; then
        echo "not signed  $name: the signature does not verify: $(grep -m1 -i 'error\|fail' "$work/verify.log")"
        failed=1
        continue
    fi
    cp "$work/signed" "$file"
    subject=$(sed -n 's/^[[:space:]]*Subject: //p' "$work/verify.log" | head -n 1)
    echo "signed      $name  by $subject, verified"
done
exit $failed
