#!/usr/bin/env bash
# Failed installations by the Windows wizard under Wine, in its real window
# driven through window messages, each checked in the setup.log it saves:
#
#   install_failures_under_wine.sh WINE_RUN PREFIX MEDIUM DRIVER TRANSLATION
#
# (arguments as for install_under_wine.sh).
#   1. No target registered: each archive's failure line with the reason
#      (no such key), and Finish saves the log in TEMP and ends the program.
#   2. A target, but a version archive that is no zip and an environments
#      archive whose end record names another start disk on a fixed drive:
#      each failure line with the component's message under it.
set -euo pipefail
wine_run=$1 prefix=$2 medium=$3 driver=$4 translation=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

wine_work_folder
"$wine_run" "$prefix" reg delete "$key" /f >/dev/null 2>&1 || true

work_on_copy "$medium"
# Clicks through a run that must fail: the wizard ends with 1603.
run_wizard() {
    local said
    said=$(VG_SYSTEM_DIR=$(windows_path "$target/system") \
        "$wine_run" "$prefix" "$driver" "$(windows_path "$medium/setup.exe")" | tr -d '\r')
    echo "$said"
    [[ "$said" == *"the wizard ended with 1603"* ]]
}
m=$(windows_path "$medium")

# 1. No target registered: the log goes to Wine's TEMP.
temp=$("$wine_run" "$prefix" cmd /c echo %TEMP% | tr -d '\r')
temp=$(WINEPREFIX="$prefix" winepath -u "$temp" 2>/dev/null)
rm -f "$temp/setup.log"
run_wizard || fail "the wizard did not run to its end without a target"
not_found="The installation of version \"16.0SR1\" was not found in the registry: there is no key HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0SR1\\Setup."
expect_log "$temp/setup.log" \
    "" "" "" \
    "- $(text msgNotCopied) ($m\\Gerrix_16.0_data.zip)" "- $not_found" \
    "- $(text msgNotCopied)($m\\environments.zip)" "- $not_found" \
    "" "- $(text msgCloseInstallation)"
rm -f "$temp/setup.log"

# 2. Two damaged archives.
target_registry "$work/install.reg" "$app_dir" "$env_dir" windows
"$wine_run" "$prefix" regedit /S "$(windows_path "$work/install.reg")"
printf 'this is no zip archive\n' >"$medium/Gerrix_16.0_data.zip"
end_record_names_other_disk "$medium/environments.zip"
run_wizard || fail "the wizard did not run to its end with damaged archives"
expect_log "$app_dir/16.0/setup.log" \
    "- $(windows_path "$app_dir/")" "- $(windows_path "$env_dir/")" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "- $(text msgNotCopied) ($m\\Gerrix_16.0_data.zip)" \
    "- \"$m\\Gerrix_16.0_data.zip\" is not a valid Zip file." \
    "- $(text msgNotCopied)($m\\environments.zip)" \
    "- Error reading CentralFileHeader." \
    "" "- $(text msgCloseInstallation)"

finish
