#!/usr/bin/env bash
# The build folders and what each must hold, and the checks that a build's
# test run ran the whole suite. Sourced, from the repository root, by run.sh,
# test.sh and tests/scripts/builds_test.sh (which checks these functions in a
# scratch copy, without building anything).
#
# A build folder keeps the options it was first configured with: ./run.sh
# configures build/ without tests, so test.sh states every option it needs
# each time instead of trusting what the folder holds.

# What ./run.sh needs: the programs, in build/, configured once.
configure_run_build() {
    [ -f build/CMakeCache.txt ] && return 0
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF >/dev/null
}

# What ./test.sh needs: the tests and benchmarks in build/, the tests with the
# sanitizers in build-asan/, whatever either folder held before.
configure_test_builds() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANEL_TESTS=ON \
        -DORVANEL_BENCH=ON -DORVANEL_SANITIZE=OFF >/dev/null
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANEL_TESTS=ON \
        -DORVANEL_SANITIZE=ON >/dev/null
}

# The fewest tests a build must list: one per TEST, TEST_F and TEST_P in the
# sources (a parameterised test lists one per value, so at least one).
defined_test_minimum() {
    find tests -name '*.cpp' -exec cat {} + | grep -c '^TEST\(_F\|_P\)\?('
}

# How many tests ctest lists in a build folder (0 when it lists none).
listed_test_count() {  # build-folder
    local count
    count=$(ctest --test-dir "$1" -N 2>/dev/null | sed -n 's/^Total Tests: //p')
    echo "${count:-0}"
}

# Fails, saying why, when a built folder lists fewer tests than the sources define.
check_suite_listed() {  # build-folder
    local listed minimum
    listed=$(listed_test_count "$1")
    minimum=$(defined_test_minimum)
    if [ "$listed" -eq 0 ] || [ "$listed" -lt "$minimum" ]; then
        echo "test.sh: $1 lists $listed tests, the sources define at least $minimum;" \
            "is it configured with -DORVANEL_TESTS=ON and built?" >&2
        return 1
    fi
}

# Fails, saying why, when a ctest log ran fewer tests than the folder lists.
check_suite_ran() {  # build-folder ctest-log
    local listed ran
    listed=$(listed_test_count "$1")
    ran=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$2" | tail -n 1)
    if [ -z "$ran" ] || [ "$ran" -ne "$listed" ]; then
        echo "test.sh: ctest ran ${ran:-no} tests in $1, which lists $listed." >&2
        return 1
    fi
}

# The browser tests the sources define: one per test( in web/tests.
defined_browser_tests() {
    cat web/tests/*.test.js | grep -c '^test('
}

# Fails, saying why, when a Playwright log does not show every browser test
# passed, or shows one skipped, flaky or failed.
check_browser_suite_ran() {  # playwright-log
    local passed defined
    passed=$(sed -n 's/^ *\([0-9]*\) passed.*/\1/p' "$1" | tail -n 1)
    defined=$(defined_browser_tests)
    if [ -z "$passed" ] || [ "$passed" -ne "$defined" ] ||
        grep -Eq '^ *[0-9]+ (skipped|flaky|failed|did not run)' "$1"; then
        echo "test.sh: the browser ran ${passed:-no} tests passing of the $defined in web/tests." >&2
        return 1
    fi
}
