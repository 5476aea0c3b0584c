#!/bin/sh
# Runs a Windows program of the build under Wine, in the build's own prefix:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# The prefix is made on first use (about 13 s), with the null graphics
# driver so that windows work without any display; VG_WINE_GRAPHICS=x11 at
# that moment makes a prefix whose windows go to the X display instead (the
# screenshot uses one of its own).
# The program's exit code is returned.
set -eu
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
        wineboot -i >/dev/null 2>&1
        if [ "${VG_WINE_GRAPHICS:-null}" = null ]; then
            wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        fi
        wineserver -w
        touch "$prefix/.vg-ready"
    fi
) 9>"$prefix.lock"
exec wine "$@"
