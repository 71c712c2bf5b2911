#!/usr/bin/env bash
# The IPv4 mode end to end: starts a Firebird server on 127.0.0.1 with a private configuration, then
# runs the access test and an import through it, and stops the server. Exit 77 when no server is installed.
#   server_test.sh CLINOVA_IMPORT SOURCE_FOLDER
set -uo pipefail
tool=$1
source_dir=$2
fbroot_system=/usr/lib/x86_64-linux-gnu/firebird/3.0
server=/usr/sbin/firebird
if [ ! -x "$server" ] || [ ! -d "$fbroot_system" ] || ! command -v isql-fb >/dev/null; then
    echo "no Firebird server installed: skipped"
    exit 77
fi

work=$(mktemp -d /tmp/clinova-server-XXXXXX)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A free port on the loopback address.
port=""
for candidate in $(seq 30500 30600); do
    if ! (exec 3<>/dev/tcp/127.0.0.1/$candidate) 2>/dev/null; then port=$candidate; break; fi
done
[ -n "$port" ] || { echo "no free port"; exit 1; }

# FIREBIRD moves the whole root: intl/ must be a real copy (a link loses the character sets).
root=$work/root
mkdir -p "$root"
cp -r "$fbroot_system/intl" "$root/intl"
ln -s "$fbroot_system/plugins" "$root/plugins"
ln -s "$fbroot_system/lib" "$root/lib"
ln -s "$fbroot_system/firebird.msg" "$root/firebird.msg"
cp /etc/firebird/3.0/plugins.conf "$root/plugins.conf" 2>/dev/null || true
cp /var/lib/firebird/3.0/system/security3.fdb "$root/security3.fdb"
cat > "$root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
ServerMode = Super
CONF
echo "security.db = $root/security3.fdb" > "$root/databases.conf"
chown -R firebird:firebird "$work" 2>/dev/null || true
mkdir -p /tmp/firebird && chown firebird:firebird /tmp/firebird 2>/dev/null || true

# The account the tool uses, set with the server down through the embedded engine.
echo "create or alter user SYSDBA password 'qordimtex' using plugin Srp; commit;" |
    FIREBIRD=$root isql-fb -q -user SYSDBA "$root/security3.fdb" || { echo "cannot set the password"; exit 1; }
chown firebird:firebird "$root/security3.fdb" 2>/dev/null || true

database=$work/SERVER.FDB
"$tool" create-database "$database" || { echo "create-database failed"; exit 1; }
chown firebird:firebird "$database" 2>/dev/null || true

FIREBIRD=$root "$server" >"$work/server.log" 2>&1 &
pid=$!
ready=""
for _ in $(seq 100); do
    if FIREBIRD=$root fbsvcmgr "127.0.0.1/$port:service_mgr" -user SYSDBA -password qordimtex info_server_version \
        >/dev/null 2>&1; then ready=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$ready" ] || { echo "the server did not start"; cat "$work/server.log"; exit 1; }

status=0
out=$("$tool" test-access --server "127.0.0.1/$port" --database "$database" 2>&1) || status=$?
echo "$out"
if [ $status -ne 0 ] || ! grep -q "Accès à la base de données : OK" <<<"$out"; then
    echo "FAIL: access test through the server"; exit 1
fi

mkdir -p "$work/source"
[ -d "$source_dir" ] && cp -r "$source_dir/." "$work/source/"
chmod -R a+rwX "$work/source"
out=$("$tool" import --server "127.0.0.1/$port" --database "$database" --source "$work/source" --yes 2>&1)
status=$?
echo "$out"
if [ $status -gt 3 ] || [ $status -eq 1 ] || ! grep -q "Fin de l'opération d'importation" <<<"$out"; then
    echo "FAIL: import through the server (status $status)"; exit 1
fi

# A refused login reaches the operator and ends the action.
out=$("$tool" test-access --server "127.0.0.1/$port" --database "$work/NOPE.FDB" 2>&1)
status=$?
if [ $status -ne 1 ] || ! grep -q "^message: " <<<"$out"; then
    echo "FAIL: a missing database through the server must end with its message (status $status)"; exit 1
fi
echo "server test passed"
