#!/usr/bin/env bash
# Installs what is missing, builds, and starts the wizard on the demo medium.
# Without a display the wizard runs under Xvfb: a screenshot of the window
# is saved and its path printed, then the wizard is ended. Either way the
# outcome is checked afterwards (setup.log saved without a failure line,
# both archives unpacked, the libraries copied): the script says so in one
# line, or prints what went wrong and exits non-zero.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh" build demo
cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default --target setup demo_medium >/dev/null

medium="$root/build/demo-medium"
# The demo target machine: its registry and system folder live in the build
# tree, so the demo never touches the real ones.
export VG_REGISTRY_FILE="$root/build/demo-target/registry.reg"
export VG_SYSTEM_DIR="$root/build/demo-target/system"
check() { python3 "$root/scripts/demo-install-check.py" "$@" "$medium" "$root/build/demo-target"; }
# What an earlier run left in the target must not pass for this one's work.
check reset
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    "$medium/setup" || true
    check check
    exit
fi

shots="$root/build/screenshots"
mkdir -p "$shots"
rm -f "$shots"/wizard*.png
export VG_MEDIUM="$medium" VG_SHOTS="$shots"
# The wizard runs the whole installation onto the demo target: a click on
# Start, a screenshot of each page, a click on Finish (which saves the log).
# Places are client coordinates of the window at 96 dpi.
"$root/scripts/xvfb.sh" bash -c '
    set -u
    "$VG_MEDIUM/setup" &
    pid=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        echo "The wizard window did not appear." >&2
        kill "$pid" 2>/dev/null
        exit 1
    fi
    sleep 0.5
    import -window "$window" "$VG_SHOTS/wizard-language.png"
    xdotool mousemove --window "$window" 355 307 click 1
    sleep 4
    import -window "$window" "$VG_SHOTS/wizard-progress.png"
    xdotool mousemove --window "$window" 549 346 click 1
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    true
'
echo "No display: the wizard ran the installation under Xvfb."
echo "Screenshots: $shots/wizard-language.png and $shots/wizard-progress.png"
check check
