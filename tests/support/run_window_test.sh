#!/usr/bin/env bash
# Runs one test that talks to the X server. Xvfb now and then refuses a
# connection that arrives just as another one ends; GLUT then ends the program
# with "failed to open display" before any check ran. Only that failure is run
# again (twice at most), and each such retry is noted in the file named by
# ORVANEL_X_RETRY_LOG so that the whole run can say how many there were. Any
# other failure stands.
set -uo pipefail
output=$(mktemp)
trap 'rm -f "$output"' EXIT
attempts=3
for attempt in $(seq "$attempts"); do
    "$@" 2>&1 | tee "$output"
    status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] && exit 0
    grep -q "failed to open display" "$output" || exit "$status"
    [ "$attempt" -lt "$attempts" ] || exit "$status"
    echo "== the X server refused the connection; running the test again"
    if [ -n "${ORVANEL_X_RETRY_LOG:-}" ]; then echo "$*" >>"$ORVANEL_X_RETRY_LOG"; fi
done
