#!/usr/bin/env bash
# xvfb.sh COMMAND [ARG...]: runs COMMAND on a display of its own, a new Xvfb
# screen of 1024x768, 24 bits, 96 dpi, and ends the server afterwards. The
# exit status is COMMAND's.
#
# The server picks a free display number itself (-displayfd), so any number
# of these may start at the same moment: xvfb-run -a guesses the number from
# the lock files in /tmp first, and two runs started together (parallel
# tests) can both guess :99, one of them then finding no display.
set -uo pipefail

number_file=$(mktemp)
server_log=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
    3>"$number_file" >"$server_log" 2>&1 &
server=$!
cleanup() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -f "$number_file" "$server_log"
}
trap cleanup EXIT

# The server writes the number once it accepts connections.
number=""
for _ in $(seq 200); do
    number=$(tr -dc '0-9' <"$number_file")
    [[ -n "$number" ]] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
if [[ -z "$number" ]]; then
    echo "Xvfb did not start:" >&2
    cat "$server_log" >&2
    exit 1
fi

DISPLAY=":$number" "$@"
