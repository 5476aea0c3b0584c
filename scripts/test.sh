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
selection=()
if [[ "$preset" == windows32 && -e /proc/sys/fs/binfmt_misc/vg-i386 ]]; then
    # 32-bit programs run under qemu's emulation here: starting one takes
    # about a minute and a half, and it runs about 50 times slower. Wine's
    # client also fails now and then under it ("wine client error",
    # "uncaught target signal 11") in the middle of the engine's GoogleTest
    # suite, at a different case each time, where the same suite passes on
    # a kernel that runs 32-bit programs. The run keeps the C caller (the
    # records, the callback, passwords, overwrite answers, file specs,
    # every extracted byte), the engine's unit tests, the records' layout,
    # the medium's binaries, one whole installation clicked through and one
    # unattended; the rest is left to the 64-bit run, which shares the code.
    echo "32-bit programs run emulated: the C caller, the engine's unit tests, the medium, one clicked and one unattended installation are tested"
    selection=(-R '^(engine_unit_tests|EngineHeader\..*|EngineInterface\..*|WindowsPrograms|WindowsInstallationUnderWine\.English|WindowsUnattendedUnderWine)$')
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
ctest --preset "$preset" --parallel "$(nproc)" "${selection[@]}"
