#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# VG_PRESET picks the CMake preset: "default"; CI uses "ci" (warnings are
# errors) and "asan" (AddressSanitizer and UndefinedBehaviorSanitizer), and
# "windows" (the Windows build, cross-compiled, its tests run under Wine).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${VG_PRESET:-default}

if [[ "$preset" == windows ]]; then
    "$root/scripts/install-deps.sh" windows
else
    "$root/scripts/install-deps.sh" build test
fi
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
if [[ "$preset" == windows ]]; then
    # One Wine server for the whole run: without it every test program
    # waits for the server of the one before to go away.
    # The prefix is made (or found), its server ends, and a persistent one
    # takes over until the tests are done. Wine's own services start with
    # the first program and keep its output open: that program is this one,
    # not a test, which ctest would wait for until the services end.
    export WINEPREFIX="$root/build-win/wine-prefix"
    "$root/scripts/wine-run.sh" "$WINEPREFIX" cmd /c exit
    wineserver -w
    wineserver -p
    trap 'wineserver -k || true' EXIT
    "$root/scripts/wine-run.sh" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1
fi
ctest --preset "$preset" --parallel "$(nproc)"
