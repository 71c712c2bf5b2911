#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs each
# for the given number of seconds (default 60), starting from the seed corpora of fuzz/corpus/. The targets
# are those fuzz/CMakeLists.txt lists. Each target's corpus grows in build-fuzz/corpus/ from one run to the
# next; a crash, a memory error, undefined behaviour or an input that hangs leaves its input in
# build-fuzz/crashes/ and makes the script fail: make it a regression test.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=$root/build-fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCLINOVA_FUZZ=ON -DCLINOVA_BUILD_GUI=OFF \
    -DCLINOVA_BUILD_TESTS=OFF -DCLINOVA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
mapfile -t targets <"$build/fuzz/targets.txt"
echo "fuzz: building ${targets[*]}"
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"
mkdir -p "$build/crashes"
# Undefined behaviour ends the run as a crash does, instead of a report among the fuzzer's lines.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    if [ -d "$root/fuzz/corpus/$target" ]; then cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true; fi
    echo "== $target ($seconds s)"
    log=$build/$target.log
    if ! "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=25 \
        -artifact_prefix="$build/crashes/$target-" -print_final_stats=1 >"$log" 2>&1; then
        echo "fuzz: $target crashed; its input: $(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)"
        echo "fuzz: the end of its log ($log):"
        tail -40 "$log"
        status=1
    else
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "$target: ${runs:-?} runs, ${rate:-?} per second, corpus $(find "$corpus" -type f | wc -l) files"
    fi
done
exit $status
