#!/usr/bin/env bash
# The programs of the 32-bit demo medium, as Windows will load them:
#
#   medium_programs_are_pe32.sh OBJDUMP MEDIUM
#
# Every .exe and .dll of MEDIUM is a PE32 (i386) program that imports from
# DLLs of the system only (the runtime is linked in), and UnzDll.dll exports
# exactly GetUnzDllVersion and UnzDllExec, under their plain names.
set -euo pipefail
objdump=$1 medium=$2

system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll shell32.dll user32.dll "
failed=0
shopt -s nullglob
programs=("$medium"/*.exe "$medium"/*.dll)
[[ ${#programs[@]} -ge 4 ]] || { echo "too few programs in $medium: ${programs[*]}"; exit 1; }
for program in "${programs[@]}"; do
    name=$(basename "$program")
    headers=$("$objdump" -p "$program")
    grep -q "file format pei-i386" <<<"$headers" || { echo "$name is not a PE32 (i386) program"; failed=1; }
    while read -r dll; do
        [[ "$system_dlls" == *" ${dll,,} "* ]] || { echo "$name imports $dll, which is no system DLL"; failed=1; }
    done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
done
exports=$("$objdump" -p "$medium/UnzDll.dll" | sed -n 's/^\s*\[ *[0-9]*\] \([^ ]*\)$/\1/p' | sort | tr '\n' ' ')
[[ "$exports" == "GetUnzDllVersion UnzDllExec " ]] ||
    { echo "UnzDll.dll exports: $exports"; failed=1; }
[[ $failed -eq 0 ]] && echo "${#programs[@]} programs: PE32, system DLLs only; UnzDll.dll exports the two entry points."
exit $failed
