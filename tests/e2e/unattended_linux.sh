#!/usr/bin/env bash
# Unattended installations by the Linux wizard, as a deployment tool starts
# them, each checked by its exit code, its setup.log and the target:
#
#   unattended_linux.sh MEDIUM TRANS CHECK DATA SHOTS [--window]
#
# MEDIUM is the demo medium, TRANS the folder of its translation files,
# CHECK scripts/demo-install-check.py, DATA the folder of crafted archives,
# SHOTS where the passive run's screenshot goes. Every quiet run has no
# display and no Qt platform set.
#   1. --quiet installs the medium completely (exit 0) and the demo check
#      passes; with --window its setup.log equals, line for line, the one a
#      run clicked through in the real window leaves on the same medium.
#   2. --quiet --lang=PLK writes the Polish log; --log into folders that do
#      not exist makes them and holds the same log.
#   3. A wrong command line (an unknown option, a language that is none, an
#      option Qt would act on) installs nothing: exit 87.
#   4. A version archive that is no zip: its failure and reason lines,
#      exit 1603 (67: a POSIX exit status keeps 8 bits).
#   5. An entry with a wrong checksum and entries with a password: nothing
#      asks; the damage question is answered No and the password requests
#      cancelled, each answer logged; those entries are not written and the
#      run fails (1603).
#   6. With --window: --passive under Xvfb shows the progress page (a
#      screenshot, taken while a library on the medium holds the copy), is
#      never clicked, closes itself and exits 0.
set -euo pipefail
medium=$1 trans=$2 check=$3 data=$4 shots=$5 window=${6:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
translation="$trans/europe.mdl"
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/vg-e2e-XXXXXX")
trap 'rm -rf "$work"' EXIT
# A target machine laid out as the demo's: registry file, system folder and
# the installed program's folders.
work_on_copy "$medium"
mkdir -p "$work/tmp"
target_registry "$target/registry.reg" "$app_dir" "$env_dir"
export VG_REGISTRY_FILE="$target/registry.reg" VG_SYSTEM_DIR="$target/system" TMPDIR="$work/tmp"
log="$app_dir/16.0/setup.log"
reset() { python3 "$check" reset "$medium" "$target"; }
quiet() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$medium/setup" "$@"; }
installed_nothing() {
    [[ -z "$(find "$app_dir" "$env_dir" "$target/system" -type f)" ]] ||
        fail "$1 installed something: $(find "$app_dir" "$env_dir" "$target/system" -type f | head -n 3)"
}

# 1. The whole medium, quietly; compared with a clicked run.
if [[ -n "$window" ]]; then
    reset
    click_through "$medium" || fail "the clicked run did not end by itself"
    cp "$log" "$work/clicked.log" || fail "the clicked run saved no log"
fi
reset
expect_exit 0 "--quiet" quiet --quiet
python3 "$check" check "$medium" "$target" || fail "--quiet did not install the medium"
if [[ -n "$window" ]]; then
    cmp -s "$log" "$work/clicked.log" || fail "the quiet run's setup.log differs from the clicked run's:
$(diff "$work/clicked.log" "$log")"
fi
expect_log "$log" \
    "- $app_dir/" "- $env_dir/" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "" "- $(text msgCloseInstallation)"

# 2. In Polish, with a second log in folders that do not exist yet.
reset
expect_exit 0 "--quiet --lang=PLK" quiet --QUIET --lang=plk "--log=$work/logs/new folder/vg.log"
translation="$trans/poland.mdl"
expect_log "$log" \
    "- $app_dir/" "- $env_dir/" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "" "- $(text msgCloseInstallation)"
cmp -s "$log" "$work/logs/new folder/vg.log" || fail "--log did not write the same log"
translation="$trans/europe.mdl"

# 3. Wrong command lines install nothing.
reset
rm -f "$log"
expect_exit 87 "--quiet --bogus" quiet --quiet --bogus
expect_exit 87 "--quiet --lang=XX" quiet --quiet --lang=XX
expect_exit 87 "-platform nosuchplatform" quiet -platform nosuchplatform
installed_nothing "a wrong command line"
said=$(quiet --quiet --lang=XX 2>&1 || true)
[[ "$said" == *'"XX" is not a language code'* ]] || fail "a wrong language code is not named: $said"

# 4. A version archive that is no zip.
reset
cp "$medium/Gerrix_16.0_data.zip" "$work/version.zip"
printf 'this is no zip archive\n' >"$medium/Gerrix_16.0_data.zip"
expect_exit 67 "a damaged version archive" quiet --quiet
expect_log "$log" \
    "- $app_dir/" "- $env_dir/" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "- $(text msgNotCopied) ($medium/Gerrix_16.0_data.zip)" \
    "- \"$medium/Gerrix_16.0_data.zip\" is not a valid Zip file." \
    "" "- $(text msgCloseInstallation)"

# 5. A damaged entry and entries with a password: answered, logged, left out.
reset
cp "$medium/environments.zip" "$work/environments.zip"
cp "$data/crc-error.zip" "$medium/Gerrix_16.0_data.zip"
cp "$data/zipcrypto-password-secret.zip" "$medium/environments.zip"
expect_exit 67 "entries left out" quiet --quiet
[[ -f "$app_dir/good.txt" ]] || fail "the good entry beside the damaged one was not written"
[[ ! -e "$app_dir/crc-error.txt" ]] || fail "the damaged entry was written"
[[ -z "$(ls -A "$env_dir/16.0/environments")" ]] || fail "an entry without its password was written"
no_password="No password was entered so the file will not be extracted... [Yes]"
expect_log "$log" \
    "- $app_dir/" "- $env_dir/" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "- \"crc-error.txt\" may be corrupted (CRC error). [No]" \
    "- $(text msgNotCopied) ($medium/Gerrix_16.0_data.zip)" \
    "- \"crc-error.txt\" was not extracted: it is damaged (CRC error)" \
    "- A new password is required for \"one.txt\" [Cancel]" "- $no_password" \
    "- A new password is required for \"two.txt\" [Cancel]" "- $no_password" \
    "- $(text msgNotCopied)($medium/environments.zip)" \
    "- \"one.txt\" was not extracted: a password is needed" \
    "" "- $(text msgCloseInstallation)"
cp "$work/version.zip" "$medium/Gerrix_16.0_data.zip"
cp "$work/environments.zip" "$medium/environments.zip"

# 6. Passive, in a real window nobody clicks. A library on the medium that is
#    a pipe holds the copy until the screenshot is taken.
if [[ -n "$window" ]]; then
    reset
    mkdir -p "$shots"
    rm -f "$shots/passive-progress.png"
    mkfifo "$medium/zz-hold.so"
    code=0
    with_display bash -c '
        set -u
        source "$1"
        medium=$2 shot=$3
        "$medium/setup" --passive &
        pid=$!
        wait_for_window "$pid" >/dev/null || exit 1
        sleep 1
        import -window root "$shot"
        printf "held\n" >"$medium/zz-hold.so"
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || { wait "$pid"; exit $?; }
            sleep 0.1
        done
        echo "The passive window did not close itself." >&2
        kill "$pid"
        exit 1
    ' -- "$e2e_support" "$medium" "$shots/passive-progress.png" || code=$?
    [[ $code -eq 0 ]] || fail "--passive: exit code $code, expected 0"
    [[ -s "$shots/passive-progress.png" ]] || fail "no screenshot of the passive run"
    rm -f "$medium/zz-hold.so" "$target/system/zz-hold.so"
    python3 "$check" check "$medium" "$target" || fail "--passive did not install the medium"
    echo "Screenshot of the passive run: $shots/passive-progress.png"
fi

finish
