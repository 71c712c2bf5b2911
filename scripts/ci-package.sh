#!/usr/bin/env bash
# CI's package stage: builds the Debian package (scripts/package.sh, lintian included), installs it with apt,
# runs the installed programs as a technician would (--version, create-database, the import of the installed
# sample practice into an embedded database in a temporary folder: exit 3 with its known rejects) and removes it:
# no file of the package may be left. The whole stage is stopped after LIMIT seconds (default 600), and fails then.
#   scripts/ci-package.sh [LIMIT]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${CLINOVA_PACKAGE_STAGE:-}" != 1 ]; then
    # Without --foreground the signal reaches the whole process group: the build or apt too.
    CLINOVA_PACKAGE_STAGE=1 timeout -k 30 "${1:-600}" "$0"
    status=$?
    [ $status -eq 124 ] || [ $status -eq 137 ] && echo "ci: package stage stopped at its limit (${1:-600}s)"
    exit $status
fi
set -e
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
fail() { echo "FAIL: $*"; exit 1; }

deb=$("$root/scripts/package.sh" | tail -1)
[ -f "$deb" ] || fail "no package built"
echo "package: $deb"
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|p' | grep -v '/$')

work=$(mktemp -d /tmp/clinova-package-XXXXXX)
cleanup() {
    rm -rf "$work"
    if dpkg-query -W -f='${Status}' clinova-importation 2>/dev/null | grep -q 'install ok installed'; then
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq clinova-importation >/dev/null || true
    fi
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
[ -x /usr/bin/clinova-import ] && [ -x /usr/bin/ClinovaImportation ] || fail "the programs are not in /usr/bin"

version=$(dpkg-deb -f "$deb" Version)
out=$(clinova-import --version)
[ "$out" = "clinova-import $version" ] || fail "--version says '$out', the package is $version"

sample=/usr/share/doc/clinova-importation/examples
cp -r "$sample/practice" "$work/practice"
clinova-import create-database "$work/ESSAI.FDB" || fail "create-database"
status=0
clinova-import import --database "$work/ESSAI.FDB" --source "$work/practice" --yes --users "$sample/users.txt" \
    >"$work/import.log" 2>&1 || status=$?
[ $status -eq 3 ] || { cat "$work/import.log"; fail "the import of the sample ended with $status, not 3"; }
# The sample's deliberate faults: each rejected line's file and reason, in the order of the files.
rejects=$(cd "$work/practice" && for f in REJETS_*; do
    if [ -e "$f" ]; then
        tail -n +2 "$f" | iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r' | awk -F'\t' -v f="$f" '{ print f ": " $NF }'
    fi
done)
if [ "$rejects" != "$(cat "$root/tests/package/sample-rejects.txt")" ]; then
    echo "$rejects" | diff "$root/tests/package/sample-rejects.txt" - || true
    fail "the sample's rejects differ from tests/package/sample-rejects.txt"
fi

DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq clinova-importation >/dev/null
left=$(while read -r f; do if [ -e "$f" ]; then echo "$f"; fi; done <<<"$files")
[ -z "$left" ] || fail "files left after apt remove: $left"
echo "package stage passed: $version installed, sample imported (exit 3), removed"
