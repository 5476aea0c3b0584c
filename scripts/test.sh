#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# VG_PRESET picks the CMake preset: "default"; CI uses "ci" (warnings are
# errors) and "asan" (AddressSanitizer and UndefinedBehaviorSanitizer), and
# "windows" (the Windows build, cross-compiled, its tests run under Wine) and
# "windows32" (the 32-bit Windows build: the tests that depend on bitness).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${VG_PRESET:-default}

case "$preset" in
    windows | windows32) "$root/scripts/install-deps.sh" windows ;;
    *) "$root/scripts/install-deps.sh" build test ;;
esac
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
if [[ "$preset" == windows32 && -e /proc/sys/fs/binfmt_misc/vg-i386 ]]; then
    # 32-bit programs run under qemu's emulation here, about 50 times
    # slower: the engine's bulk cases (an entry of over 4 GiB, whose stop is
    # also timed, and an archive of more than 65535 entries) are left to the
    # 64-bit build, where they run as well.
    echo "32-bit programs run emulated: EngineLargeEntry and EngineManyEntries are left to the 64-bit suite"
    export GTEST_FILTER="-EngineLargeEntry.*:EngineManyEntries.*"
fi
if [[ "$preset" == windows || "$preset" == windows32 ]]; then
    # One Wine server for the whole run: without it every test program
    # waits for the server of the one before to go away.
    # The prefix is made (or found), its server ends, and a persistent one
    # takes over until the tests are done. Wine's own services start with
    # the first program and keep its output open: that program is this one,
    # not a test, which ctest would wait for until the services end.
    export WINEPREFIX="$root/$([[ "$preset" == windows ]] && echo build-win || echo build-win32)/wine-prefix"
    "$root/scripts/wine-run.sh" "$WINEPREFIX" cmd /c exit
    wineserver -w
    wineserver -p
    trap 'wineserver -k || true' EXIT
    "$root/scripts/wine-run.sh" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1
fi
ctest --preset "$preset" --parallel "$(nproc)"
