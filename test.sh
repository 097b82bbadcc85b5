#!/usr/bin/env bash
# Checks the layout of the sources, builds everything twice (a normal build and
# one with AddressSanitizer and UndefinedBehaviorSanitizer), runs every test of
# both under a private Xvfb, then a bounded fuzz run of the model readers. Any
# failure, sanitizer finding, skipped test or test that did not run fails the run.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure_packages.sh
source tools/builds.sh
ensure_packages "${build_packages[@]}" libgtest-dev googletest libbenchmark-dev \
    libtinyobjloader-dev xvfb xauth xdotool x11-utils x11-apps imagemagick dpkg-dev \
    desktop-file-utils clang clang-format libreoffice-calc-nogui "${figure_packages[@]}" \
    "${web_packages[@]}"
# The fuzzers' runtime must match the installed clang.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
ensure_packages "libclang-rt-${clang_major}-dev"

echo "== source layout (clang-format)"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

jobs=$(nproc)
configure_test_builds
cmake --build build -j"$jobs"
cmake --build build-asan -j"$jobs"

# One private X server for the windowed tests; without it they cannot run.
display_number=$((90 + RANDOM % 400))
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp -maxclients 1024 >/dev/null 2>&1 &
xvfb_pid=$!
scratch=$(mktemp -d)
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
export DISPLAY=":${display_number}"
answered=0
for _ in $(seq 100); do
    if xdpyinfo >/dev/null 2>&1; then answered=1; break; fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ "$answered" -ne 1 ]; then
    echo "test.sh: the X server (Xvfb on ${DISPLAY}) does not answer; the windowed tests cannot run." >&2
    exit 1
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The window-test launcher notes here each test it ran again because the X
# server refused its connection; nothing else is ever run twice.
export ORVANEL_X_RETRY_LOG="$scratch/x-retries"
: >"$ORVANEL_X_RETRY_LOG"

# Runs one build's tests; a skipped test fails the run, since every test can
# run here (the display is up), and so does a run of fewer tests than the
# sources define.
run_tests() {  # build-directory title
    echo "== tests ($2)"
    local log="$scratch/ctest-$1.log"
    check_suite_listed "$1"
    ctest --test-dir "$1" --output-on-failure -j"$jobs" | tee "$log"
    check_suite_ran "$1" "$log"
    if grep -q "(Skipped)" "$log"; then
        echo "test.sh: tests were skipped in $1:" >&2
        grep "(Skipped)" "$log" >&2
        exit 1
    fi
}
run_tests build "normal build"
run_tests build-asan "AddressSanitizer + UndefinedBehaviorSanitizer"
echo "== X server refusals run again: $(wc -l <"$ORVANEL_X_RETRY_LOG")"

# The browser edition: built with Emscripten and esbuild, then the page's
# tests in Debian's chromium. A missing browser fails them; it is installed above.
echo "== browser edition (WebAssembly core, page in chromium)"
tools/build_web.sh
browser_log="$scratch/playwright.log"
(cd web && ORVANEL_REPLAY="$PWD/../build/tests/web/replay_record" \
    ORVANEL_WEB_TEST_PORT=$((20000 + RANDOM % 20000)) npx playwright test) | tee "$browser_log"
check_browser_suite_ran "$browser_log"

if [ -x tests/fuzz/run_fuzz.sh ]; then
    echo "== fuzzing the model readers"
    tests/fuzz/run_fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "== all tests passed"
