#!/usr/bin/env bash
# Builds the fuzz harnesses of the model readers with clang and libFuzzer
# (AddressSanitizer and UndefinedBehaviorSanitizer on) in build-fuzz/, then
# runs each for its share of SECONDS (default 60 in all). The library sources
# are compiled straight into each fuzzer. Any crash, sanitizer report, leak or
# timeout fails the run; new corpus entries and artifacts stay in build-fuzz/
# (or in ORVANEL_FUZZ_OUT, for runs that must not share it).
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${ORVANEL_FUZZ_OUT:-$root/build-fuzz}"
mkdir -p "$out/obj" "$out/artifacts"

cxx=""
for candidate in clang++-14 clang++; do
    if command -v "$candidate" >/dev/null 2>&1; then cxx="$candidate"; break; fi
done
if [ -z "$cxx" ]; then echo "run_fuzz.sh: clang++ not found" >&2; exit 1; fi

common=(-std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -Werror
        -fsanitize=address,undefined -fno-sanitize-recover=all -pthread -I"$root/src/glm" -I"$here")
library=(model.cpp read_obj.cpp read_mtl.cpp scanner.cpp ppm.cpp geometry.cpp texcoords.cpp fuse.cpp)

echo "== building the fuzzers ($cxx)"
objects=()
for source in "${library[@]}"; do
    object="$out/obj/${source%.cpp}.o"
    "$cxx" "${common[@]}" -fsanitize=fuzzer-no-link -c "$root/src/glm/$source" -o "$object"
    objects+=("$object")
done
build() {  # name source [defines...]
    local name="$1" source="$2"
    shift 2
    "$cxx" "${common[@]}" -fsanitize=fuzzer "$@" "$here/$source" "${objects[@]}" -o "$out/$name"
}
build fuzz_obj fuzz_read_obj.cpp
build fuzz_mtl fuzz_read_obj.cpp -DFUZZ_INPUT_IS_MTL
build fuzz_ppm fuzz_load_ppm.cpp

targets=(fuzz_obj:corpus_obj fuzz_mtl:corpus_mtl fuzz_ppm:corpus_ppm)
share=$(( seconds / ${#targets[@]} ))
if [ "$share" -lt 1 ]; then share=1; fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
for entry in "${targets[@]}"; do
    name="${entry%%:*}"
    seeds="$here/${entry##*:}"
    work="$out/corpus-$name"
    log="$out/$name.log"
    mkdir -p "$work"
    status=0
    "$out/$name" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$out/artifacts/$name-" -print_final_stats=1 \
        "$work" "$seeds" >"$log" 2>&1 || status=$?
    runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1 || true)
    if [ "$status" -ne 0 ]; then
        echo "$name: FAILED (status $status), see $log"
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -20 || true
        failed=1
    else
        echo "$name: ${runs:-no summary} (${share} s allotted), corpus $(ls "$work" | wc -l) files"
    fi
done
exit "$failed"
