#!/bin/sh
# Runs a Windows program of the build under Wine, in the build's own prefix:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# The prefix is made on first use (about 13 s), with the null graphics
# driver so that windows work without any display; VG_WINE_GRAPHICS=x11 at
# that moment makes a prefix whose windows go to the X display instead (the
# screenshot uses one of its own).
# The program's exit code is returned.
#
# Wine's 64-bit loader starts every program: it hands a 32-bit program to
# the 32-bit loader itself, while Debian's "wine" command would start even
# Wine's own 64-bit tools through the 32-bit loader, which on a kernel
# without 32-bit support runs emulated (about a minute and a half per
# program instead of a fraction of a second).
set -eu
wine=wine
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$prefix"
(
    flock 9
    if [ ! -f "$prefix/.vg-ready" ]; then
        "$wine" wineboot.exe -i >/dev/null 2>&1
        if [ "${VG_WINE_GRAPHICS:-null}" = null ]; then
            "$wine" reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        fi
        wineserver -w
        touch "$prefix/.vg-ready"
    fi
) 9>"$prefix.lock"
exec "$wine" "$@"
