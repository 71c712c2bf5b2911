#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs each
# for the given number of seconds (default 60), starting from the seed corpora of fuzz/corpus/.
# A crash leaves its input in build-fuzz/crashes/; make it a regression test.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=$root/build-fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCLINOVA_FUZZ=ON -DCLINOVA_BUILD_GUI=OFF \
    -DCLINOVA_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
mkdir -p "$build/crashes"
status=0
for target in fuzz_reader fuzz_step fuzz_document fuzz_inimem fuzz_conversions; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    [ -d "$root/fuzz/corpus/$target" ] && cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
    echo "== $target ($seconds s)"
    if ! "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=65536 \
        -artifact_prefix="$build/crashes/$target-" -print_final_stats=0 2>"$build/$target.log"; then
        echo "crash found: see $build/$target.log and $build/crashes/"
        tail -30 "$build/$target.log"
        status=1
    else
        grep -E '^Done|#[0-9]+ *DONE' "$build/$target.log" | tail -1 || true
    fi
done
exit $status
