#!/usr/bin/env bash
# CI's fuzz stage: scripts/fuzz.sh with every target run for SECONDS (default 20), from the seed corpora
# alone, the whole stage (clang build included) stopped after LIMIT seconds (default 600). A crash fails the
# stage; its input stays in build-fuzz/crashes/. A stage stopped at its limit ran no crash: it says so and
# passes.
set -uo pipefail
cd "$(dirname "$0")/.."
limit=${1:-600}
seconds=${2:-20}
# A fresh corpus: CI measures the seeds' reach, not what an earlier run on this machine found.
rm -rf build-fuzz/corpus build-fuzz/crashes
# Without --foreground the signal reaches the whole process group: the build or the running target too.
timeout -k 30 "$limit" scripts/fuzz.sh "$seconds"
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    echo "ci: fuzz stage stopped at its limit (${limit}s) before every target had run"
    exit 0
fi
if [ $status -ne 0 ] && [ -n "$(ls -A build-fuzz/crashes 2>/dev/null)" ]; then
    echo "ci: fuzz inputs that crashed, kept in build-fuzz/crashes/:"
    ls -l build-fuzz/crashes/
fi
exit $status
