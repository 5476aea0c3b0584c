# Helpers of the end-to-end scripts; sourced, with $translation naming the
# translation file whose texts the wizard shows.

e2e_failed=0
fail() { echo "FAILED: $*"; e2e_failed=1; }

# The text of a message in the translation file: the "value=" line of its
# section (the demo's files are UTF-8).
text() {
    awk -v section="[$1]" '
        { sub(/\r$/, "") }
        $0 == section { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && /^value=/ { sub(/^value=/, ""); print; exit }
    ' "$translation"
}

# Wine shows the Linux file system as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# target_registry FILE APP_DIR ENV_DIR [windows]: writes a registry export
# that registers the installed program under version 16.0SR1, Version
# "16.0", with its two folders (a closing separator added); with "windows"
# the folders as Wine shows them.
target_registry() {
    local app=$2/ env=$3/
    if [[ ${4:-} == windows ]]; then
        app=$(windows_path "$app")
        env=$(windows_path "$env")
    fi
    local key='HKEY_LOCAL_MACHINE\SOFTWARE\Varnek\Gerrix\16.0SR1'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n@="Varnek Gerrix 16.0 SR1"\r\n\r\n[%s\\Setup]\r\n"AppDir"="%s"\r\n"EnvDir"="%s"\r\n"Version"="16.0"\r\n' \
        "$key" "$key" "${app//\\/\\\\}" "${env//\\/\\\\}" >"$1"
}

# work_on_copy MEDIUM: copies MEDIUM to $work/medium, where a test may
# change it, and lays out an empty target machine in $work/target (system
# folder, the installed program's folders); sets medium, target, app_dir and
# env_dir.
work_on_copy() {
    cp -r "$1" "$work/medium"
    medium="$work/medium"
    target="$work/target"
    app_dir="$target/Programs/Varnek/Gerrix"
    env_dir="$target/Data/Varnek/Environments"
    mkdir -p "$target/system" "$app_dir/16.0" "$env_dir/16.0/environments"
}

# expect_installed CONTENT: the trees the two archives were made from (in
# CONTENT) are unpacked into $app_dir and the environments folder, and
# every library of the Windows medium is copied into the system folder.
expect_installed() {
    diff -r "$1/version" "$app_dir" -x setup.log || fail "version data differs"
    diff -r "$1/environments" "$env_dir/16.0/environments" || fail "environments differ"
    for library in "$medium"/*.dll; do
        cmp -s "$library" "$target/system/$(basename "$library")" ||
            fail "library $(basename "$library") not copied"
    done
}

# wine_work_folder: makes $work, and removes it and the installed program's
# registry key (of $wine_run, $prefix; view $view when set) when the script
# ends, with whatever else $also_remove names.
wine_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/vg-e2e-XXXXXX")
    key='HKLM\SOFTWARE\Varnek\Gerrix\16.0SR1'
    trap '"$wine_run" "$prefix" reg delete "$key" /f ${view:+"/reg:$view"} >/dev/null 2>&1 || true
          rm -rf "$work" ${also_remove:+"$also_remove"}' EXIT
}

# expect_log FILE LINE...: the saved log holds exactly these lines, each
# ended by CR LF.
expect_log() {
    local log=$1
    shift
    if [[ ! -f "$log" ]]; then
        fail "no setup.log at $log"
        return
    fi
    local expected
    expected=$(printf '%s\r\n' "$@")
    if [[ "$(cat "$log")" != "$expected" ]]; then
        fail "$log differs; expected:"
        printf '%s\n' "$@"
        echo "found:"
        cat -A "$log"
    fi
}

# Rewrites the end record of a zip archive so that it names disk 1 as the
# disk where the central directory starts, while the record itself says it
# lies on disk 0: a damaged record, found on a fixed drive.
end_record_names_other_disk() {
    python3 - "$1" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
at = data.rfind(b"PK\x05\x06")
data[at + 6:at + 8] = (1).to_bytes(2, "little")
open(path, "wb").write(bytes(data))
PY
}

# This file, for the scripts that run on a display of their own and source
# it again; with_display COMMAND... runs COMMAND on a new Xvfb display.
e2e_support=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/e2e_support.sh
with_display() { "${e2e_support%/tests/e2e/e2e_support.sh}/scripts/xvfb.sh" "$@"; }

# wait_for_window PID: prints the X window of the process once it is shown
# (up to 30 s); fails and ends the process when none is.
wait_for_window() {
    local window=""
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        echo "The wizard window did not appear." >&2
        kill "$1"
        return 1
    fi
    echo "$window"
}

# click_through MEDIUM [OPTION...]: runs the Linux wizard of MEDIUM in a real
# window under Xvfb, clicked with xdotool: Start, then Finish once the run
# has ended; the program must end by itself after Finish. The wizard gets
# the caller's environment (VG_REGISTRY_FILE, VG_SYSTEM_DIR, TMPDIR, LANG).
click_through() {
    with_display bash -c '
        set -u
        source "$1"
        medium=$2
        shift 2
        "$medium/setup" "$@" &
        pid=$!
        window=$(wait_for_window "$pid") || exit 1
        sleep 0.5
        # Places are client coordinates of the window at 96 dpi: Start,
        # then Finish on the button bar, clicked until the run has shown it
        # and the program has ended (before, the click lands on the bar).
        xdotool mousemove --window "$window" 355 307 click 1
        for _ in $(seq 120); do
            sleep 0.5
            kill -0 "$pid" 2>/dev/null || { wait "$pid"; exit 0; }
            xdotool mousemove --window "$window" 549 346 click 1 2>/dev/null
        done
        echo "The wizard did not end after Finish." >&2
        kill "$pid"
        exit 1
    ' -- "$e2e_support" "$@"
}

# expect_exit CODE WHAT COMMAND...: runs COMMAND, which must end with CODE.
expect_exit() {
    local expected=$1 what=$2 code=0
    shift 2
    "$@" || code=$?
    [[ $code -eq $expected ]] || fail "$what: exit code $code, expected $expected"
}

finish() {
    [[ $e2e_failed -eq 0 ]] && echo "Every run wrote the log it should."
    exit $e2e_failed
}
