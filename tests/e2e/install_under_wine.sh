#!/usr/bin/env bash
# A whole installation by the Windows wizard under Wine, on its own target:
#
#   install_under_wine.sh WINE_RUN PREFIX MEDIUM DRIVER CONTENT TRANSLATION
#
# WINE_RUN is scripts/wine-run.sh, PREFIX the build's Wine prefix, MEDIUM
# the Windows demo medium (setup.exe beside its data), DRIVER the program
# that clicks Start and Finish through window messages, CONTENT the folder
# with the trees the two archives were made from, TRANSLATION the file of
# the language the wizard must choose from the locale (LANG) and write its
# log in. The installed program is
# registered in the prefix's registry for the run and removed afterwards, in
# the view VG_E2E_REGISTRY_VIEW names: 64 (the default) or 32, the one 32-bit
# programs see (a 32-bit installation on 64-bit Windows);
# the extracted trees, the copied libraries and setup.log are compared with
# what the medium holds.
set -euo pipefail
wine_run=$1 prefix=$2 medium=$3 driver=$4 content=$5 translation=$6

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

view=${VG_E2E_REGISTRY_VIEW:-64}
wine_work_folder

target="$work/target"
app_dir="$target/Programs/Varnek/Gerrix"
env_dir="$target/Data/Varnek/Environments"
mkdir -p "$target/system" "$app_dir/16.0" "$env_dir/16.0/environments"

target_registry "$work/install.reg" "$app_dir" "$env_dir" windows
"$wine_run" "$prefix" reg import "$(windows_path "$work/install.reg")" "/reg:$view" >/dev/null

said=$(VG_SYSTEM_DIR=$(windows_path "$target/system") \
    "$wine_run" "$prefix" "$driver" "$(windows_path "$medium/setup.exe")" | tr -d '\r')
[[ "$said" == *"the wizard ended with 0"* ]] || fail "the clicked run: $said"

expect_installed "$content"

expect_log "$app_dir/16.0/setup.log" \
    "- $(windows_path "$app_dir/")" \
    "- $(windows_path "$env_dir/")" \
    "- 16.0" \
    "- $(text msgCopyZipDll)" \
    "- $(text msgCopyDataToNewVarnekGerrix)" \
    "" \
    "- $(text msgCloseInstallation)"
[[ $e2e_failed -eq 0 ]] && echo "The installation under Wine is complete and matches the medium."
exit $e2e_failed
