#!/usr/bin/env bash
# Failed installations by the Linux wizard in a real window under Xvfb,
# clicked through with xdotool, each checked in the setup.log it saves:
#
#   install_failures_under_xvfb.sh MEDIUM TRANSLATION
#
# MEDIUM is the demo medium, TRANSLATION the file of the language the
# wizard chooses from the locale (its texts are what the log must show).
#   1. No target registered: each archive's failure line with the reason
#      (no such key), and Finish saves the log in TMPDIR and ends the program.
#   2. A target, but a version archive that is no zip and an environments
#      archive whose end record names another start disk on a fixed drive:
#      each failure line with the component's message under it.
set -euo pipefail
medium=$1 translation=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/vg-e2e-XXXXXX")
trap 'rm -rf "$work"' EXIT

# A copy of the medium to break.
work_on_copy "$medium"
mkdir -p "$work/tmp"
key='HKEY_LOCAL_MACHINE\SOFTWARE\Varnek\Gerrix\16.0SR1\Setup'
target_registry "$work/registered.reg" "$app_dir" "$env_dir"
: >"$work/empty.reg"

run_wizard() {
    VG_REGISTRY_FILE="$1" VG_SYSTEM_DIR="$target/system" TMPDIR="$work/tmp" click_through "$medium"
}

# 1. No target registered.
run_wizard "$work/empty.reg"
not_found="The installation of version \"16.0SR1\" was not found in the registry: there is no key $key."
expect_log "$work/tmp/setup.log" \
    "" "" "" \
    "- $(text msgNotCopied) ($medium/Gerrix_16.0_data.zip)" "- $not_found" \
    "- $(text msgNotCopied)($medium/environments.zip)" "- $not_found" \
    "" "- $(text msgCloseInstallation)"

# 2. Two damaged archives.
printf 'this is no zip archive\n' >"$medium/Gerrix_16.0_data.zip"
end_record_names_other_disk "$medium/environments.zip"
run_wizard "$work/registered.reg"
expect_log "$app_dir/16.0/setup.log" \
    "- $app_dir/" "- $env_dir/" "- 16.0" \
    "- $(text msgCopyZipDll)" "- $(text msgCopyDataToNewVarnekGerrix)" \
    "- $(text msgNotCopied) ($medium/Gerrix_16.0_data.zip)" \
    "- \"$medium/Gerrix_16.0_data.zip\" is not a valid Zip file." \
    "- $(text msgNotCopied)($medium/environments.zip)" \
    "- Error reading CentralFileHeader." \
    "" "- $(text msgCloseInstallation)"

finish
