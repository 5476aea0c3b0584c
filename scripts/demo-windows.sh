#!/usr/bin/env bash
# The Windows build on its demo medium: installs what is missing,
# cross-compiles setup.exe and UnzDll.dll into build-win/demo-medium, and
# runs the whole installation under Wine onto the demo target in
# build-win/demo-target (registered in a Wine prefix of the build, which
# holds the only registry this touches). With a display the wizard opens
# there; without one it runs under Xvfb, clicked through by wizard_driver,
# and screenshots of both pages are saved in build-win/screenshots.
# Either way the outcome is checked afterwards, as scripts/demo.sh does.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh" windows demo
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target setup demo_medium wizard_driver >/dev/null

build="$root/build-win"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX="$build/wine-prefix-x11" VG_WINE_GRAPHICS=x11
export VG_SYSTEM_DIR
VG_SYSTEM_DIR=$(windows_path "$build/demo-target/system")
run() { "$root/scripts/wine-run.sh" "$WINEPREFIX" "$@"; }
check() { python3 "$root/scripts/demo-install-check.py" "$@" "$build/demo-medium" "$build/demo-target"; }
# What an earlier run left in the target must not pass for this one's work.
check reset

if [[ -n "${DISPLAY:-}" ]]; then
    run regedit /S "$(windows_path "$build/demo-target/registry.reg")"
    run "$(windows_path "$build/demo-medium/setup.exe")" || true
    check check
    exit
fi

shots="$build/screenshots"
mkdir -p "$shots"
rm -f "$shots"/wizard*.png
export VG_BUILD="$build" VG_SHOTS="$shots" VG_ROOT="$root"
"$root/scripts/xvfb.sh" bash -c '
    set -euo pipefail
    windows_path() { printf "Z:%s" "${1//\//\\}"; }
    run() { "$VG_ROOT/scripts/wine-run.sh" "$WINEPREFIX" "$@"; }
    run regedit /S "$(windows_path "$VG_BUILD/demo-target/registry.reg")"
    # The driver waits 6 s before each click; the pages are taken meanwhile.
    run "$(windows_path "$VG_BUILD/tests/e2e/wizard_driver.exe")" --pause 6 \
        "$(windows_path "$VG_BUILD/demo-medium/setup.exe")" &
    driver=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --classname "setup.exe" 2>/dev/null | head -n 1 || true)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        echo "The wizard window did not appear." >&2
        exit 1
    fi
    # The screen where the window lies, so that the progress dialog shows
    # above it.
    shoot() {
        eval "$(xdotool getwindowgeometry --shell "$window")"
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
    }
    sleep 3
    shoot "$VG_SHOTS/wizard-language.png"
    sleep 8
    shoot "$VG_SHOTS/wizard-progress.png"
    wait "$driver"
'
echo "No display: the Windows wizard ran the installation under Wine and Xvfb."
echo "Screenshots: $shots/wizard-language.png and $shots/wizard-progress.png"
check check
