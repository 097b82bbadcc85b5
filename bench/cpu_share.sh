#!/usr/bin/env bash
# CPU share of the teaching edition and of the classic program, flying and
# paused, under a private Xvfb with Mesa's software renderer, windows of 800 by
# 800. Each figure is the process's user + system time over a window of
# wall-clock time (all its threads, the renderer's included), read from
# /proc/PID/stat: 100 % is one core.
#   bench/cpu_share.sh [SECONDS [BUILD_DIR]]    (defaults 10 and build)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${2:-build}
display=:79
Xvfb "$display" -screen 0 1024x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display LIBGL_ALWAYS_SOFTWARE=1
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# CPU share of a process over the measuring window, in percent of one core.
share() {
    local pid=$1 before after
    before=$(ticks "$pid")
    sleep "$seconds"
    after=$(ticks "$pid")
    awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN { printf "%.1f", 100 * t / (hz * s) }'
}
window_of() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --pid "$1" --name "$2" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
measure() {
    local label=$1 name=$2 keys=$3
    shift 3
    "$@" >/dev/null 2>&1 &
    local pid=$!
    pids+=("$pid")
    local window
    window=$(window_of "$pid" "$name")
    [ -n "$keys" ] && xdotool windowfocus --sync "$window" key --delay 50 $keys
    sleep 2
    echo "$label flying: $(share "$pid") %"
    xdotool windowfocus --sync "$window" key p
    sleep 1
    echo "$label paused: $(share "$pid") %"
    kill "$pid"
}
measure "orvanel-labo x1 " "Orvanel Labo" "" "$build/orvanel-labo" data/fo2.in
measure "orvanel-labo x16" "Orvanel Labo" "S S S S" "$build/orvanel-labo" data/fo2.in
measure "orvanel (classic)" "Orvanel\\* \\*" "" "$build/orvanel"
