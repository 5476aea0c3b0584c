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

finish() {
    [[ $e2e_failed -eq 0 ]] && echo "Every run wrote the log it should."
    exit $e2e_failed
}
