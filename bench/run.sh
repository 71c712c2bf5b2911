#!/usr/bin/env bash
# Builds what the benchmark needs, writes a synthetic practice and measures its import against the floor.
#   bench/run.sh --scale small|medium|large [--server] [--strict-sample] [--strict] [--no-floor]
# --strict also runs the whole import under the strict policy (one commit per row: about half an hour at medium).
# The last line printed is "import/floor ratio: R" (not printed with --no-floor).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scale=small
extra=()
server=""
while [ $# -gt 0 ]; do
    case "$1" in
        --scale) scale=$2; shift 2 ;;
        --server) server=1; shift ;;
        --strict-sample | --strict | --no-floor) extra+=("$1"); shift ;;
        *) echo "usage: bench/run.sh --scale small|medium|large [--server] [--strict-sample] [--strict] [--no-floor]" >&2; exit 2 ;;
    esac
done
"$root/scripts/install-deps.sh"
# The project's usual build (optimised, with debug information) also holds the benchmark.
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" -DCLINOVA_BUILD_BENCH=ON
build=$BUILD_DIR
work=$(mktemp -d /tmp/clinova-bench-XXXXXX)
cleanup() {
    [ -n "$server" ] && "$root/scripts/firebird-server.sh" stop "$work/server" || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 777 "$work"
"$build/bench/clinova-bench-generate" --scale "$scale" --output "$work/practice"
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB, $(uname -sr)"
if [ -n "$server" ]; then
    address=$("$root/scripts/firebird-server.sh" start "$work/server")
    chown -R firebird:firebird "$work" 2>/dev/null || true
    extra+=(--server "$address")
fi
"$build/bench/clinova-bench" --source "$work/practice" --work "$work/db" "${extra[@]}"
