#!/usr/bin/env bash
# A Windows medium signed with scripts/sign-medium.sh and a throwaway
# self-signed certificate made here with openssl, read back by the medium
# checker:
#
#   signed_medium.sh SIGN MEDIUM CHECKER [WINE_RUN PREFIX]
#
# SIGN is scripts/sign-medium.sh, MEDIUM a Windows medium (setup.exe and
# .dll files: the Windows demo medium; on Linux tests/data/signing, whose
# small PE files are laid out as one), CHECKER vg-medium-check, run under Wine (WINE_RUN, PREFIX) when
# given: it then asks Windows (WinVerifyTrust), on Linux it checks the
# digests itself.
#   1. Every program is signed and verified; the reader installer is not
#      touched; the checker names the signer of each and says the signature
#      matches.
#   2. One byte changed in setup.exe: a problem, the signature no longer
#      matches.
#   3. An unsigned medium: a note of what the customer sees.
set -euo pipefail
sign=$1 source=$2 checker=$3 wine_run=${4:-} prefix=${5:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/vg-e2e-XXXXXX")
trap 'rm -rf "$work"' EXIT
check() {
    if [[ -n "$wine_run" ]]; then
        "$wine_run" "$prefix" "$checker" "$(windows_path "$1")" 2>/dev/null | tr -d '\r' || true
    else
        "$checker" "$1" || true
    fi
}
fresh_medium() {
    rm -rf "$work/medium"
    if [[ -f "$source/setup.exe" ]]; then
        cp -r "$source" "$work/medium"
    else
        # The small PE files of tests/data/signing, laid out as a medium.
        mkdir -p "$work/medium"
        cp "$source/unsigned-program.exe" "$work/medium/setup.exe"
        cp "$source/unsigned-library.dll" "$work/medium/UnzDll.dll"
        cp "$source/unsigned-library.dll" "$work/medium/vgsectiontables.dll"
    fi
    mkdir -p "$work/medium/xtra/acrobat"
    printf 'another maker'"'"'s installer\n' >"$work/medium/xtra/acrobat/AdobeReader.exe"
}

subject="/CN=VG Test Reseller/O=Testing Reseller/C=DE"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "$subject" \
    -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
printf 'throwaway\n' >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" \
    -passout "file:$work/password" -out "$work/reseller.pfx"

# 1. Signed.
fresh_medium
said=$("$sign" "$work/medium" --pfx "$work/reseller.pfx" --password-file "$work/password") ||
    fail "sign-medium.sh failed: $said"
echo "$said"
programs=$(cd "$work/medium" && ls setup.exe ./*.dll | sed 's|^\./||')
[[ $(grep -c '^signed .*verified$' <<<"$said") -eq $(wc -l <<<"$programs") ]] ||
    fail "not every program was signed and verified"
cmp -s <(printf 'another maker'"'"'s installer\n') "$work/medium/xtra/acrobat/AdobeReader.exe" ||
    fail "the reader installer was changed"
report=$(check "$work/medium")
while read -r program; do
    grep -qF "ok       $program is signed by CN=VG Test Reseller, O=Testing Reseller, C=DE; the signature matches the file" \
        <<<"$report" || fail "the checker does not say $program is signed: $(grep -F "$program" <<<"$report")"
done <<<"$programs"

# 2. Changed after signing.
printf 'X' | dd of="$work/medium/setup.exe" bs=1 seek=100 conv=notrunc 2>/dev/null
report=$(check "$work/medium")
grep -qF "PROBLEM  setup.exe was changed after it was signed by CN=VG Test Reseller" <<<"$report" ||
    fail "a changed setup.exe is no problem: $(grep -F setup.exe <<<"$report")"

# 3. Not signed.
fresh_medium
report=$(check "$work/medium")
grep -qF 'note     setup.exe is not signed: Windows shows "Unknown publisher"' <<<"$report" ||
    fail "an unsigned setup.exe gets no note: $(grep -F setup.exe <<<"$report")"

[[ $e2e_failed -eq 0 ]] && echo "The signed medium, a changed program and an unsigned medium are reported as they are."
exit $e2e_failed
