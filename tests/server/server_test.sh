#!/usr/bin/env bash
# The IPv4 mode end to end: a private Firebird server on 127.0.0.1, the access test and an import through
# it, then the server is stopped. Exit 77 when no server is installed.
#   server_test.sh CLINOVA_IMPORT SOURCE_FOLDER
set -uo pipefail
tool=$1
source_dir=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/clinova-server-XXXXXX)
cleanup() {
    "$root/scripts/firebird-server.sh" stop "$work/server"
    rm -rf "$work"
}
trap cleanup EXIT

database=$work/SERVER.FDB
"$tool" create-database "$database" || { echo "create-database failed"; exit 1; }
mkdir -p "$work/server" "$work/source"
[ -d "$source_dir" ] && cp -r "$source_dir/." "$work/source/"
chmod -R a+rwX "$work"
address=$("$root/scripts/firebird-server.sh" start "$work/server")
status=$?
[ $status -eq 77 ] && { echo "no Firebird server installed: skipped"; exit 77; }
[ $status -eq 0 ] || { echo "the server did not start"; exit 1; }
chown -R firebird:firebird "$work" 2>/dev/null || true

out=$("$tool" test-access --server "$address" --database "$database" 2>&1)
status=$?
echo "$out"
if [ $status -ne 0 ] || ! grep -q "Accès à la base de données : OK" <<<"$out"; then
    echo "FAIL: access test through the server"; exit 1
fi

out=$("$tool" import --server "$address" --database "$database" --source "$work/source" --yes 2>&1)
status=$?
echo "$out"
if [ $status -ne 0 ] && [ $status -ne 3 ] || ! grep -q "Fin de l'opération d'importation" <<<"$out"; then
    echo "FAIL: import through the server (status $status)"; exit 1
fi

# A database the server cannot open ends the action with the client library's message.
out=$("$tool" test-access --server "$address" --database "$work/NOPE.FDB" 2>&1)
status=$?
if [ $status -ne 1 ] || ! grep -q "^message: " <<<"$out"; then
    echo "FAIL: a missing database through the server must end with its message (status $status)"; exit 1
fi
echo "server test passed"
