#!/usr/bin/env bash
# Builds what the benchmark needs, writes a synthetic practice and measures its import against the floor.
#   bench/run.sh [--scale small|medium|large | --source DIR [--copies N]] [--server [--rtt MS]]
#                [--strict-sample] [--strict] [--no-floor]
# --source imports a folder of normalized files instead of a synthetic practice; --copies N imports N copies of
# it, each with identifiers of its own. --strict also runs the whole import under the strict policy (one commit
# per row: about half an hour at medium). --rtt MS, through the server, goes through a relay that adds MS
# milliseconds to every round trip and reports the round trips per step, per line read and per row written;
# --rtt 0,2 imports once more at 2 ms through the same relay and gives the ratio of the two times.
# The last line printed is "import/floor ratio: R" (not printed with --no-floor).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() {
    echo "usage: bench/run.sh [--scale small|medium|large | --source DIR [--copies N]] [--server [--rtt MS]]" \
        "[--strict-sample] [--strict] [--no-floor] [--one-by-one]" >&2
    exit 2
}
scale=small
extra=()
server=""
rtt=""
from=""
copies=""
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || case "$1" in --scale | --rtt | --source | --copies) usage ;; esac
    case "$1" in
        --scale) scale=$2; shift 2 ;;
        --server) server=1; shift ;;
        --rtt) rtt=$2; shift 2 ;;
        --source) from=$(cd "$2" && pwd) || usage; shift 2 ;;
        --copies) copies=$2; shift 2 ;;
        --strict-sample | --strict | --no-floor | --one-by-one) extra+=("$1"); shift ;;
        *) usage ;;
    esac
done
if [ -n "$rtt" ] && [ -z "$server" ]; then echo "bench/run.sh: --rtt needs --server" >&2; exit 2; fi
if [ -n "$copies" ] && [ -z "$from" ]; then echo "bench/run.sh: --copies needs --source" >&2; exit 2; fi
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
if [ -z "$from" ]; then
    "$build/bench/clinova-bench-generate" --scale "$scale" --output "$work/practice"
elif [ -n "$copies" ]; then
    "$build/bench/clinova-bench-generate" --from "$from" --copies "$copies" --output "$work/practice"
else
    cp -r "$from" "$work/practice"
fi
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB, $(uname -sr), load $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -n "$server" ]; then
    address=$("$root/scripts/firebird-server.sh" start "$work/server")
    chown -R firebird:firebird "$work" 2>/dev/null || true
    extra+=(--server "$address")
    [ -n "$rtt" ] && extra+=(--rtt "$rtt")
fi
"$build/bench/clinova-bench" --source "$work/practice" --work "$work/db" "${extra[@]}"
