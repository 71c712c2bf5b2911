#!/usr/bin/env bash
# CI's Windows stage: cross-builds the command line and its unit tests that need no database
# (scripts/build-windows.sh --tests), then runs under Wine (Debian's wine64): the unit tests, --help,
# generate-test-files, and check of the sample practice, whose findings and exit status must be the Linux
# build's, byte for byte. The whole stage is stopped after LIMIT seconds (default 1200), and fails then.
#   scripts/ci-windows.sh [LIMIT] [LINUX_CLINOVA_IMPORT]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
limit=${1:-1200}
linux_tool=${2:-$root/build/src/cli/clinova-import}
if [ "${CLINOVA_WINDOWS_STAGE:-}" != 1 ]; then
    # Without --foreground the signal reaches the whole process group: the build or Wine too.
    CLINOVA_WINDOWS_STAGE=1 timeout -k 30 "$limit" "$0" "$limit" "$linux_tool"
    status=$?
    [ $status -eq 124 ] || [ $status -eq 137 ] && echo "ci: Windows stage stopped at its limit (${limit}s)"
    exit $status
fi
set -e
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$linux_tool" ] || fail "no Linux build to compare with: $linux_tool"

build=${BUILD_DIR:-$root/build-windows}
zip=$(BUILD_DIR=$build "$root/scripts/build-windows.sh" --tests | tail -1)
[ -f "$zip" ] || fail "no zip written"
echo "zip: $zip ($(unzip -l "$zip" | tail -1 | awk '{ print $2 }') files)"

work=$(mktemp -d /tmp/clinova-windows-XXXXXX)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
wine=/usr/lib/wine/wine64
(cd "$work" && unzip -q "$zip")
program=$(ls -d "$work"/clinova-import-*/)clinova-import.exe
"$wine" wineboot --init >/dev/null 2>&1 || true

for test in test_normalized test_document test_app test_run; do
    echo "== $test.exe under Wine"
    # The tests write their temporary files under Wine's own temporary folder.
    "$wine" "$build/tests/${test#test_}/$test.exe" >"$work/$test.log" 2>&1 || { cat "$work/$test.log"; fail "$test.exe"; }
    tail -1 "$work/$test.log"
done

echo "== --version"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$("$wine" "$program" --version)" = "clinova-import $version" ] || fail "--version is not clinova-import $version"

echo "== --help"
"$wine" "$program" --help >"$work/help.txt" || fail "--help"
grep -q "generate-test-files" "$work/help.txt" || fail "--help does not list the commands"

echo "== generate-test-files"
mkdir -p "$work/generated" "$work/generated-linux"
"$wine" "$program" generate-test-files --output "$work/generated" || fail "generate-test-files"
"$linux_tool" generate-test-files --output "$work/generated-linux" >/dev/null
# Their values are drawn at random: the same files, headers and number of lines.
shape() { (cd "$1" && for f in *; do echo "$f $(wc -l <"$f") $(head -1 "$f" | md5sum)"; done); }
diff <(shape "$work/generated-linux") <(shape "$work/generated") || fail "generate-test-files wrote other files"

echo "== a missing fbclient.dll"
status=0
CLINOVA_FBCLIENT='C:\nowhere\fbclient.dll' "$wine" "$program" test-access --database 'C:\BASE.FDB' \
    >"$work/access.out" 2>"$work/access.err" || status=$?
[ $status -eq 1 ] || fail "test-access without a client ended with $status, not 1"
grep -q '^message: .*fbclient.dll.* introuvable.*C:\\nowhere\\fbclient.dll' "$work/access.err" ||
    { cat "$work/access.err"; fail "the message does not name where the client was looked for"; }

echo "== Ctrl+C during a check"
# Wine turns the signal into the console's Ctrl+C event: the check stops after its line, with the status of an
# interrupted action.
mkdir -p "$work/big"
awk 'NR == 1 { print; next } { rows[NR] = $0 } END { for (i = 0; i < 20000; i++) for (r in rows) print rows[r] }' \
    "$root/examples/practice/CLIENTS.TXT" >"$work/big/CLIENTS.TXT"
"$wine" "$program" check --source "Z:${work//\//\\}\\big" >"$work/big.out" 2>&1 &
checking=$!
for _ in $(seq 300); do [ -s "$work/big.out" ] && break; sleep 0.1; done
kill -INT $checking
status=0
wait $checking || status=$?
[ $status -eq 130 ] || fail "check ended with $status after Ctrl+C, not 130"

echo "== check of the sample practice, against the Linux build"
cd "$(dirname "$program")"
linux_status=0
"$linux_tool" check --source examples/practice >"$work/check-linux.out" 2>"$work/check-linux.err" || linux_status=$?
windows_status=0
"$wine" "$program" check --source 'examples\practice' >"$work/check-windows.out" 2>"$work/check-windows.err" ||
    windows_status=$?
cmp "$work/check-linux.out" "$work/check-windows.out" || { diff "$work/check-linux.out" "$work/check-windows.out";
    fail "check's findings differ"; }
cmp "$work/check-linux.err" "$work/check-windows.err" || { diff "$work/check-linux.err" "$work/check-windows.err";
    fail "check's messages differ"; }
[ $linux_status -eq $windows_status ] || fail "check ended with $windows_status under Wine, $linux_status on Linux"
echo "Windows stage passed: $(wc -l <"$work/check-windows.out") lines of findings identical, exit $windows_status"
