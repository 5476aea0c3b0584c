#!/usr/bin/env bash
# Unattended installations by the Windows wizard under Wine, started from a
# batch file as a deployment tool or an administrator starts them, each
# checked by the exit code Windows reports (%ERRORLEVEL%, all of it: 1603 is
# more than a POSIX exit status carries), its setup.log and the target:
#
#   unattended_under_wine.sh WINE_RUN PREFIX MEDIUM DRIVER CONTENT TRANS [--complete-only]
#
# WINE_RUN is scripts/wine-run.sh, PREFIX the build's Wine prefix, MEDIUM
# the Windows demo medium, DRIVER the program that watches the wizard's
# windows, CONTENT the folder with the trees the two archives were made
# from, TRANS the folder of the translation files.
#   1. The README's command line, as written: start /wait setup.exe /quiet
#      /lang=DE /log=C:\Logs\vg-setup.log installs the medium completely,
#      exit 0, the German log in the target and in C:\Logs.
#   2. Unless --complete-only: a version archive that is no zip gives 1603,
#      with its failure and reason lines; an unknown option with /quiet 87,
#      and no box waits.
#   3. Unless --complete-only: /passive shows the window, is never clicked,
#      installs the medium and closes itself (0); /? shows the usage in a
#      message box (0), an unknown option without /quiet the usage and what
#      is wrong in one (87).
set -euo pipefail
wine_run=$1 prefix=$2 medium=$3 driver=$4 content=$5 trans=$6 only=${7:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
translation="$trans/germany.mdl"
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

logs="$prefix/drive_c/Logs"
also_remove=$logs
wine_work_folder
rm -rf "$logs"

work_on_copy "$medium"
target_registry "$work/install.reg" "$app_dir" "$env_dir" windows
"$wine_run" "$prefix" reg import "$(windows_path "$work/install.reg")" >/dev/null 2>&1

# run_batch COMMAND: runs COMMAND in a batch file in the medium's folder and
# prints the exit code the batch file saw.
run_batch() {
    printf '@echo off\r\ncd /d %s\r\n%s\r\necho exit code %%ERRORLEVEL%%\r\n' \
        "$(windows_path "$medium")" "$1" >"$work/run.cmd"
    # cmd ends with the batch file's last exit code, which is the one read.
    { VG_SYSTEM_DIR=$(windows_path "$target/system") \
        "$wine_run" "$prefix" cmd /c "$(windows_path "$work/run.cmd")" || true; } |
        tr -d '\r' | sed -n 's/^exit code //p'
}

# 1. The README's command line.
code=$(run_batch 'start /wait setup.exe /quiet /lang=DE /log=C:\Logs\vg-setup.log')
[[ "$code" == 0 ]] || fail "the README's command line: exit code '$code', expected 0"
expect_installed "$content"
expect_log "$app_dir/16.0/setup.log" \
    "- $(windows_path "$app_dir/")" "- $(windows_path "$env_dir/")" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "" "- $(text msgCloseInstallation)"
cmp -s "$app_dir/16.0/setup.log" "$logs/vg-setup.log" || fail "no copy of the log in C:\\Logs"

# 2. A damaged version archive fails the run with the installer's 1603.
if [[ "$only" != --complete-only ]]; then
    translation="$trans/europe.mdl"
    cp "$medium/Gerrix_16.0_data.zip" "$work/version.zip"
    printf 'this is no zip archive\n' >"$medium/Gerrix_16.0_data.zip"
    rm -f "$app_dir/16.0/setup.log"
    code=$(run_batch 'start /wait setup.exe /quiet /lang=UK')
    [[ "$code" == 1603 ]] || fail "a damaged version archive: exit code '$code', expected 1603"
    m=$(windows_path "$medium")
    expect_log "$app_dir/16.0/setup.log" \
        "- $(windows_path "$app_dir/")" "- $(windows_path "$env_dir/")" "- 16.0" \
        "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
        "- $(text msgNotCopied) ($m\\Gerrix_16.0_data.zip)" \
        "- \"$m\\Gerrix_16.0_data.zip\" is not a valid Zip file." \
        "" "- $(text msgCloseInstallation)"
    code=$(run_batch 'start /wait setup.exe /quiet /bogus')
    [[ "$code" == 87 ]] || fail "an unknown option: exit code '$code', expected 87"
fi

# 3. Passive, help and a wrong option where a person sees them.
if [[ "$only" != --complete-only ]]; then
    cp "$work/version.zip" "$medium/Gerrix_16.0_data.zip"
    rm -rf "$app_dir" "$env_dir" "$target/system"
    mkdir -p "$target/system" "$app_dir/16.0" "$env_dir/16.0/environments"
    # drive PROGRAM_OPTIONS...: the driver's report of the program's end.
    drive() {
        VG_SYSTEM_DIR=$(windows_path "$target/system") \
            "$wine_run" "$prefix" "$driver" "$@" | tr -d '\r'
    }
    said=$(drive --no-click "$(windows_path "$medium/setup.exe")" /passive)
    [[ "$said" == *"the window appeared"*"ended with 0"* ]] || fail "/passive: $said"
    expect_installed "$content"
    said=$(drive --answer-box "$(windows_path "$medium/setup.exe")" "/?")
    [[ "$said" == *'message box "Usage: setup'*"ended with 0"* ]] || fail "/?: $said"
    said=$(drive --answer-box "$(windows_path "$medium/setup.exe")" /bogus)
    [[ "$said" == *'message box ""/bogus" is not an option.'*"ended with 87"* ]] || fail "/bogus: $said"
fi

[[ $e2e_failed -eq 0 ]] && echo "Every unattended run under Wine ended as it should."
exit $e2e_failed
