#!/usr/bin/env bash
# Renders a screenshot of the running simulator under a private Xvfb server into
# docs/screenshot.png (the picture at the top of the README). Needs build/orvanel.
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/screenshot.png}
display_number=$((500 + RANDOM % 400))
Xvfb ":${display_number}" -screen 0 1024x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":${display_number}"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
build/orvanel >/dev/null 2>&1 &
program_pid=$!
trap 'kill "$program_pid" "$xvfb_pid" 2>/dev/null || true' EXIT
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name 'Orvanel\* \*' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: la fenetre n'est pas apparue" >&2; exit 1; }
xdotool windowfocus --sync "$window"
# A few presses towards the target, the landscape view from above, the help.
xdotool key --delay 40 S S S Up Up Up Up Right Page_Up
sleep 4
xdotool key --delay 40 l h
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "screenshot: $output"
