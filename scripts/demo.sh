#!/usr/bin/env bash
# Installs what is missing, builds the two programs (not the tests), creates an embedded target database and
# imports the sample practice of examples/practice/, printing the log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --programs
"$root/scripts/build.sh" -DCLINOVA_BUILD_TESTS=OFF -DCLINOVA_BUILD_BENCH=OFF
tool="${BUILD_DIR:-$root/build}/src/cli/clinova-import"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/practice"
cp -r "$root/examples/practice/." "$work/practice/" 2>/dev/null || true
"$tool" create-database "$work/DEMO.FDB" --sample-catalogue
echo "== Import of examples/practice into a new database ($work/DEMO.FDB)"
status=0
"$tool" import --database "$work/DEMO.FDB" --source "$work/practice" --yes \
    --set cbDedoublonageClients=1 --set cbDedoublonageAnimaux=1 \
    --users "$root/examples/users.txt" || status=$?
echo "== Rejected lines, ready to be corrected and imported again:"
for f in "$work/practice"/REJETS_*; do [ -e "$f" ] && echo "-- $(basename "$f")" && iconv -f WINDOWS-1252 -t UTF-8 "$f"; done
echo "== clinova-import exited with status $status"
