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
#      The wizard is started with options Qt would act on (a missing
#      platform plug-in, a mirrored layout): none may have an effect.
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
cp -r "$medium" "$work/medium"
medium="$work/medium"
target="$work/target"
app_dir="$target/Programs/Varnek/Gerrix"
env_dir="$target/Data/Varnek/Environments"
mkdir -p "$target/system" "$app_dir/16.0" "$env_dir/16.0/environments" "$work/tmp"
key='HKEY_LOCAL_MACHINE\SOFTWARE\Varnek\Gerrix\16.0SR1\Setup'
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"AppDir"="%s/"\r\n"EnvDir"="%s/"\r\n"Version"="16.0"\r\n' \
    "$key" "$app_dir" "$env_dir" >"$work/registered.reg"
: >"$work/empty.reg"

# Runs the wizard in a real window: Start, then Finish once the run has
# ended; the program must end by itself after Finish.
run_wizard() {
    local registry=$1
    shift
    VG_REGISTRY_FILE="$registry" VG_SYSTEM_DIR="$target/system" TMPDIR="$work/tmp" \
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
        set -u
        medium=$1
        shift
        "$medium/setup" "$@" &
        pid=$!
        window=""
        for _ in $(seq 300); do
            window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
            [[ -n "$window" ]] && break
            sleep 0.1
        done
        [[ -n "$window" ]] || { echo "The wizard window did not appear." >&2; kill "$pid"; exit 1; }
        sleep 0.5
        # Places are client coordinates of the window at 96 dpi: Start,
        # then Finish on the button bar, clicked until the run has shown it
        # and the program has ended (before, the click lands on the bar).
        xdotool mousemove --window "$window" 355 307 click 1
        for _ in $(seq 120); do
            sleep 0.5
            kill -0 "$pid" 2>/dev/null || { wait "$pid"; exit 0; }
            xdotool mousemove --window "$window" 549 346 click 1 2>/dev/null
        done
        echo "The wizard did not end after Finish." >&2
        kill "$pid"
        exit 1
    ' -- "$medium" "$@"
}

# 1. No target registered.
run_wizard "$work/empty.reg" -platform nosuchplatform -reverse
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
