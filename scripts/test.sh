#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# VG_PRESET picks the CMake preset: "default"; CI uses "ci" (warnings are
# errors) and "asan" (AddressSanitizer and UndefinedBehaviorSanitizer).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${VG_PRESET:-default}

"$root/scripts/install-deps.sh" build test
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" --parallel "$(nproc)"
