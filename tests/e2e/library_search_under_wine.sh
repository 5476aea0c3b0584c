#!/usr/bin/env bash
# No library from the wrong folder: the Windows wizard runs as administrator
# from folders nobody controls (a downloads folder, a USB stick), so a DLL
# planted there under a system library's name, or under the engine's name
# in a folder on PATH or in the folder being extracted, must never run.
#
#   library_search_under_wine.sh WINE_RUN PREFIX MEDIUM DRIVER CONTROL PLANTED CONTENT
#
# DRIVER watches the wizard's window, CONTROL is library_search_control.exe,
# PLANTED the library that leaves "<its path>.loaded" when it is loaded.
#   1. The control: Wine loads the planted copies from the program's folder
#      (so the checks below can fail), and none after the start-up
#      restriction the wizard makes.
#   2. setup.exe beside the same planted DLLs, a whole installation, quiet
#      and passive: no marker.
#      Without the key Libraries they are copied into the system folder.
#   3. A medium without UnzDll.dll, planted UnzDll.dll in a folder on PATH
#      and in the extraction folders: never loaded (the control shows a bare
#      name from the extraction folder would take it); the archives fail
#      with "Unable to load "UnzDll.dll"."; with the engine in the system
#      folder (where the installation copies it) the medium installs.
#   4. The key Libraries in VG_Setup.ini: exactly the listed libraries are
#      copied, the planted ones beside them are left and named in the log.
set -euo pipefail
wine_run=$1 prefix=$2 medium=$3 driver=$4 control=$5 planted=$6 content=$7
engine=$medium/UnzDll.dll
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/e2e_support.sh
source "$here/e2e_support.sh"

# System libraries Windows does not keep among its known DLLs, so that a
# program that asks for them by name (or the system, for it: the themes,
# the window manager, the shell) looks in the program's folder first; these
# four Wine, too, takes from there.
names=(dwmapi cryptbase propsys userenv)

wine_work_folder
markers() { find "$work" -name '*.loaded' -printf '%P\n' | sort; }
plant() {
    for name in "$@"; do
        cp "$planted" "$name"
    done
}

# 1. The control.
mkdir -p "$work/bin"
cp "$control" "$work/bin/control.exe"
(cd "$work/bin" && plant "${names[@]/%/.dll}")
"$wine_run" "$prefix" "$(windows_path "$work/bin/control.exe")" "${names[@]/%/.dll}" | tr -d '\r'
loaded=$(markers)
for name in "${names[@]}"; do
    [[ "$loaded" == *"bin/$name.dll.loaded"* ]] ||
        fail "the control did not load the planted $name.dll: this test could not fail"
done
rm -f "$work"/bin/*.loaded
"$wine_run" "$prefix" "$(windows_path "$work/bin/control.exe")" --restricted "${names[@]/%/.dll}" |
    tr -d '\r'
[[ -z "$(markers)" ]] || fail "planted DLLs loaded after the start-up restriction: $(markers)"

# 2. setup.exe beside the planted DLLs.
work_on_copy "$medium"
(cd "$medium" && plant "${names[@]/%/.dll}")
target_registry "$work/install.reg" "$app_dir" "$env_dir" windows
"$wine_run" "$prefix" reg import "$(windows_path "$work/install.reg")" >/dev/null 2>&1
export VG_SYSTEM_DIR
VG_SYSTEM_DIR=$(windows_path "$target/system")
expect_exit 0 "setup.exe /quiet beside planted DLLs" \
    "$wine_run" "$prefix" "$(windows_path "$medium/setup.exe")" /quiet
said=$("$wine_run" "$prefix" "$driver" --no-click "$(windows_path "$medium/setup.exe")" /passive |
    tr -d '\r')
[[ "$said" == *"ended with 0"* ]] || fail "setup.exe /passive beside planted DLLs: $said"
expect_installed "$content"
[[ -z "$(markers)" ]] || fail "setup.exe loaded planted DLLs: $(markers)"
# Without the key Libraries every library beside the program is copied, the
# planted ones too, as the copy always did.
for name in "${names[@]}"; do
    [[ -f "$target/system/$name.dll" ]] || fail "without Libraries, $name.dll beside the program was not copied"
done

# 3. No engine on the medium; planted ones on PATH and in the extraction
#    folders.
rm -f "$medium"/*.loaded "$medium/UnzDll.dll" "${names[@]/#/$medium/}"
rm -rf "$target/system"/*
mkdir -p "$work/path"
(cd "$work/path" && plant UnzDll.dll)
(cd "$app_dir" && plant UnzDll.dll)
(cd "$env_dir/16.0/environments" && plant UnzDll.dll)
"$wine_run" "$prefix" "$(windows_path "$work/bin/control.exe")" --from "$(windows_path "$app_dir")" \
    UnzDll.dll | tr -d '\r'
[[ "$(markers)" == *"Gerrix/UnzDll.dll.loaded"* ]] ||
    fail "a bare name from the extraction folder did not take the planted engine: this test could not fail"
find "$work" -name '*.loaded' -delete
rm -f "$app_dir/16.0/setup.log"
# Wine adds WINEPATH to the PATH its programs see.
export WINEPATH
WINEPATH=$(windows_path "$work/path")
expect_exit 67 "a medium without its engine (1603)" \
    "$wine_run" "$prefix" "$(windows_path "$medium/setup.exe")" /quiet
[[ -z "$(markers)" ]] || fail "a planted engine was loaded: $(markers)"
grep -q 'Unable to load "UnzDll.dll".' "$app_dir/16.0/setup.log" ||
    fail "the log does not say the engine could not be loaded"
cp "$engine" "$target/system/UnzDll.dll"
expect_exit 0 "the engine from the system folder" \
    "$wine_run" "$prefix" "$(windows_path "$medium/setup.exe")" /quiet
[[ -z "$(markers)" ]] || fail "a planted engine was loaded: $(markers)"
unset WINEPATH

# 4. The key Libraries: exactly the listed files are copied, the planted ones
#    beside them are left alone and named in the log.
cp "$engine" "$medium/UnzDll.dll"
(cd "$medium" && plant "${names[@]/%/.dll}")
rm -rf "$target/system"/*
printf 'Libraries=UnzDll.dll, vgsectiontables.dll,vgunitconversion.dll\r\n' >>"$medium/VG_Setup.ini"
expect_exit 0 "a medium that lists its libraries" \
    "$wine_run" "$prefix" "$(windows_path "$medium/setup.exe")" /quiet
copied=$(cd "$target/system" && ls | sort | tr '\n' ' ')
[[ "$copied" == "UnzDll.dll vgsectiontables.dll vgunitconversion.dll " ]] ||
    fail "with Libraries the system folder holds: $copied"
for name in "${names[@]}"; do
    grep -q "$name.dll is not listed in the key Libraries of VG_Setup.ini: it is not copied." \
        "$app_dir/16.0/setup.log" || fail "the log does not name the unlisted $name.dll"
done
[[ -z "$(markers)" ]] || fail "setup.exe loaded planted DLLs: $(markers)"

[[ $e2e_failed -eq 0 ]] &&
    echo "No planted library was loaded: ${names[*]} beside the program, UnzDll on PATH and in the extraction folders."
exit $e2e_failed
