#!/usr/bin/env bash
# Installs the Debian packages the project needs that are missing, and
# nothing else. Quiet when everything is there. Uses sudo when not root.
#
#   scripts/install-deps.sh build [test] [demo] [windows]
set -euo pipefail

declare -A wanted=()
add() { for p in "$@"; do wanted[$p]=1; done; }

for group in "$@"; do
    case "$group" in
        build) add g++ cmake ninja-build pkg-config qt6-base-dev zip zlib1g-dev libisal-dev libbz2-dev liblzma-dev nettle-dev ;;
        test) add libgtest-dev libgmock-dev fonts-dejavu-core unzip p7zip-full libarchive-tools python3 clang xvfb xauth xdotool ;;
        demo) add xvfb xauth xdotool imagemagick fonts-dejavu-core python3 ;;
        # The Windows build: cross-compiled, its tests run under Wine.
        windows) add cmake ninja-build pkg-config zip python3 mingw-w64 libz-mingw-w64-dev googletest wine wine64 fonts-wine locales-all ;;
        *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${!wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
