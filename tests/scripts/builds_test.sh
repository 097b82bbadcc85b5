#!/usr/bin/env bash
# test.sh's build logic (tools/builds.sh) on a scratch copy of the repository
# where ./run.sh has configured build/ without tests, as it does first: the
# checks must refuse that folder, the test configuration must turn every test
# option on whatever the folder held, and a run of part of a real, built suite
# must be refused. Nothing is built here. Usage: builds_test.sh SOURCE BUILD.
set -euo pipefail
source_dir=$1
built=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

git -C "$source_dir" ls-files -z | (cd "$source_dir" && xargs -0 cp --parents -t "$scratch")
cd "$scratch"
source tools/builds.sh

configure_run_build
grep -q '^ORVANEL_TESTS:BOOL=OFF$' build/CMakeCache.txt || fail "run.sh's build has tests on"
ctest --test-dir build >"$scratch/none.log" 2>&1 || true
grep -q "No tests were found" "$scratch/none.log" || fail "ctest found tests in run.sh's build"
check_suite_listed build 2>/dev/null && fail "a build without tests passed the listing check"
check_suite_ran build "$scratch/none.log" 2>/dev/null && fail "a run of no test passed"

configure_test_builds
for option in TESTS BENCH; do
    grep -q "^ORVANEL_$option:BOOL=ON$" build/CMakeCache.txt || fail "build/ without $option"
done
for option in TESTS SANITIZE; do
    grep -q "^ORVANEL_$option:BOOL=ON$" build-asan/CMakeCache.txt ||
        fail "build-asan/ without $option"
done
# Configured but not built: each test program stands for one test, too few.
check_suite_listed build 2>/dev/null && fail "an unbuilt suite passed the listing check"

# The real, built suite passes the listing check; a run of only part of it fails.
minimum=$(defined_test_minimum)
[ "$minimum" -gt 100 ] || fail "only $minimum tests found in the sources"
check_suite_listed "$built" || fail "the built suite failed the listing check"
ctest --test-dir "$built" -R '^PanelFormat' >"$scratch/part.log" 2>&1 || fail "ctest -R failed"
grep -q "tests failed out of" "$scratch/part.log" || fail "no test ran in the part"
check_suite_ran "$built" "$scratch/part.log" 2>/dev/null && fail "a partial run passed"
echo "builds_test: all checks held"
