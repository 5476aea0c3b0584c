#!/usr/bin/env bash
# Installs the Debian packages the project needs that are missing, and
# nothing else. Quiet when everything is there. Uses sudo when not root.
#
#   scripts/install-deps.sh build [test] [demo] [windows] [sign]
#
# The windows group also brings Wine's 32-bit part (wine32:i386, after adding
# the i386 architecture), so that one prefix runs the 32-bit and the 64-bit
# build. Where the kernel runs no 32-bit program itself, Wine's 32-bit loader
# runs under qemu's user-mode emulation, registered with binfmt_misc here
# (again after every reboot, as the kernel forgets it).
set -euo pipefail

declare -A wanted=()
add() { for p in "$@"; do wanted[$p]=1; done; }
windows=0

for group in "$@"; do
    case "$group" in
        build) add g++ cmake ninja-build pkg-config qt6-base-dev zip zlib1g-dev libisal-dev libbz2-dev liblzma-dev nettle-dev ;;
        test) add libgtest-dev libgmock-dev fonts-dejavu-core unzip p7zip-full libarchive-tools python3 clang xvfb xauth xdotool osslsigncode openssl ;;
        demo) add xvfb xauth xdotool imagemagick fonts-dejavu-core python3 ;;
        # Signing a Windows medium (scripts/sign-medium.sh), and its tests.
        sign) add osslsigncode openssl ;;
        # The Windows builds: cross-compiled, their tests run under Wine.
        windows) add g++ cmake ninja-build pkg-config zip python3 python3-pefile osslsigncode openssl mingw-w64 libz-mingw-w64-dev googletest wine wine64 wine32:i386 fonts-wine locales-all
                 windows=1 ;;
        *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
    esac
done

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() {
    local status
    status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]]
}

# Suites whose index failed to download in the last update (a mirror in the
# middle of a sync serves one architecture's index of a suite stale).
failed_suites=()
update() {
    local log rc=0
    log=$(mktemp)
    "${sudo[@]}" apt-get update -qq >"$log" 2>&1 || rc=$?
    failed_suites=()
    if [[ $rc -ne 0 ]]; then
        mapfile -t failed_suites < <(sed -n 's|^E: Failed to fetch .*/dists/\([^/]*\)/.*|\1|p' "$log" | sort -u)
        if [[ ${#failed_suites[@]} -eq 0 ]]; then
            cat "$log" >&2
            rm -f "$log"
            return "$rc"
        fi
        echo "install-deps: the index of ${failed_suites[*]} could not be fetched for every architecture; going on without it" >&2
    fi
    rm -f "$log"
}

# Installs the packages. Where a suite's index was missing for one
# architecture and the plain install cannot be resolved (the architectures'
# versions of a library must agree), the versions of that suite are held
# back for this install: every architecture takes the same versions from the
# suites that came through.
install() {
    if "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null; then
        return 0
    fi
    [[ ${#failed_suites[@]} -gt 0 ]] || return 1
    local preferences
    preferences=$(mktemp)
    for suite in "${failed_suites[@]}"; do
        printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\n' "$suite" >>"$preferences"
    done
    echo "install-deps: installing without the versions of ${failed_suites[*]}" >&2
    chmod a+r "$preferences"
    local rc=0
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        -o Dir::Etc::Preferences="$preferences" "$@" >/dev/null || rc=$?
    rm -f "$preferences"
    return $rc
}

updated=0
if [[ $windows -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for Wine's 32-bit part"
    "${sudo[@]}" dpkg --add-architecture i386
    update
    updated=1
fi

missing=()
for p in "${!wanted[@]}"; do
    installed "$p" || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    [[ $updated -eq 1 ]] || update
    updated=1
    install "${missing[@]}"
fi

# 32-bit programs on a kernel that runs none itself: Wine's 32-bit loader
# fails with "Exec format error" until qemu-i386 is its interpreter. On a
# machine with native 32-bit support nothing is registered.
if [[ $windows -eq 1 ]] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    if ! installed qemu-user-static; then
        echo "Installing qemu-user-static: this kernel runs no 32-bit program"
        [[ $updated -eq 1 ]] || update
        install qemu-user-static
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    [[ -e $binfmt/register ]] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
    if [[ ! -e $binfmt/vg-i386 ]]; then
        # An i386 ELF executable: class 32-bit, little-endian, machine 3;
        # flag F opens the interpreter now, so it works in any mount namespace.
        printf '%s' ':vg-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            | "${sudo[@]}" tee "$binfmt/register" >/dev/null
    fi
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "install-deps: Wine's 32-bit loader does not run, not even under qemu-i386" >&2
        exit 1
    fi
fi
