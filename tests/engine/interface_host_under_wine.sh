#!/usr/bin/env bash
# The engine's interface as a 32-bit Windows caller sees it, under Wine:
#
#   interface_host_under_wine.sh WINE_RUN PREFIX HOST
#
# Packs a tree with Info-ZIP's zip (deflated and stored files, an empty one,
# nested folders, and one entry encrypted with the password "secret"), lets
# HOST (interface_host, beside the 32-bit UnzDll.dll) extract it three times
# through the records it fills by offset, and compares every byte of what
# it extracted with the tree.
set -euo pipefail
wine_run=$1 prefix=$2 host=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/vg-interface-XXXXXX")
trap 'rm -rf "$work"' EXIT
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

tree="$work/tree"
python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(14)
def write(name, data):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
lines = "".join(f"{i:6d} section HEA {100 + i % 900} mass {random.random():.6f}\n" for i in range(40000))
write("text.txt", lines.encode())
write("random.bin", random.randbytes(1_500_000))  # stored: it does not compress
write("empty.txt", b"")
write("sub/table.csv", "".join(f"{i};{i * i}\n" for i in range(5000)).encode())
write("sub/nested/deep.bin", random.randbytes(70_000))
write("sub/nested/empty/.keep", b"")
write("locked.txt", b"only with the password\n" * 1000)
PY
(cd "$tree" && zip -q -r -X "$work/archive.zip" . -x locked.txt &&
    zip -q -X -P secret "$work/archive.zip" locked.txt)
mkdir "$work/out"

"$wine_run" "$prefix" "$host" "$(windows_path "$work/archive.zip")" \
    "$(windows_path "$work/out")" secret

failed=0
diff -r "$tree" "$work/out/all" || { echo "the extracted tree differs from the packed one"; failed=1; }
diff -r "$tree/sub" "$work/out/some/sub" || { echo "the entries below sub differ"; failed=1; }
others=$(cd "$work/out/some" && find . -mindepth 1 -maxdepth 1 ! -name sub)
[[ -z "$others" ]] || { echo "the file spec sub\\* also selected: $others"; failed=1; }
[[ $failed -eq 0 ]] && echo "Every byte extracted through the 32-bit interface matches."
exit $failed
