#!/usr/bin/env bash
# Builds everything twice (a normal build and one with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test of both under Xvfb, then a
# bounded fuzz run of the model readers. Any failure or sanitizer finding fails.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure_packages.sh
ensure_packages "${build_packages[@]}" libgtest-dev googletest libbenchmark-dev libx11-dev \
    libtinyobjloader-dev xvfb xauth xdotool x11-utils x11-apps imagemagick \
    clang libclang-rt-14-dev python3

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANEL_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANEL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"

# One private X server for the windowed tests.
display_number=$((90 + RANDOM % 400))
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp -maxclients 1024 >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":${display_number}"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Xvfb now and then drops a connection that arrives just as another one ends,
# and GLUT then ends the test program before any check ran ("failed to open
# display"); such a test is run again, up to three times. A test that fails on
# its checks fails every time, so it still fails the run.
retry="--repeat until-pass:3"
echo "== tests (normal build)"
ctest --test-dir build --output-on-failure -j"$jobs" $retry
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ctest --test-dir build-asan --output-on-failure -j"$jobs" $retry

if [ -x tests/fuzz/run_fuzz.sh ]; then
    echo "== fuzzing the model readers"
    tests/fuzz/run_fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "== all tests passed"
