#!/usr/bin/env bash
# A private Firebird server on 127.0.0.1, for the tests and the benchmark of the IPv4 mode.
#   firebird-server.sh start DIR   starts it with its configuration in DIR; prints its address 127.0.0.1/PORT
#   firebird-server.sh stop DIR    stops it
# Exit 77 when no server is installed. The account is the tool's SYSDBA account.
set -uo pipefail
action=$1
dir=$2
fbroot_system=/usr/lib/x86_64-linux-gnu/firebird/3.0
server=/usr/sbin/firebird

case "$action" in
stop)
    [ -f "$dir/server.pid" ] || exit 0
    pid=$(cat "$dir/server.pid")
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    # The server holds its databases until it is gone: stop returns only then.
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/server.pid"
    exit 0
    ;;
start) ;;
*) echo "usage: firebird-server.sh start|stop DIR" >&2; exit 2 ;;
esac

if [ ! -x "$server" ] || [ ! -d "$fbroot_system" ] || ! command -v isql-fb >/dev/null; then
    echo "no Firebird server installed" >&2
    exit 77
fi

# A free port on the loopback address. Servers started at the same moment (tests run side by side) must not
# pick the same one, or the one that fails to listen would answer through the other: the port is locked from
# here until its server listens (this script ends), and from then on it is seen in use.
locks=/tmp/clinova-firebird-ports
mkdir -p -m 1777 "$locks" 2>/dev/null
port=""
for candidate in $(seq 30500 30700); do
    # Read-only is enough for a lock, whoever made the file.
    : >>"$locks/$candidate.lock" 2>/dev/null
    exec 9<"$locks/$candidate.lock" || continue
    if flock -n 9 && ! (exec 3<>/dev/tcp/127.0.0.1/$candidate) 2>/dev/null; then
        port=$candidate
        break
    fi
    exec 9>&-
done
[ -n "$port" ] || { echo "no free port" >&2; exit 1; }

# FIREBIRD moves the whole root: intl/ must be a real copy (a link loses the character sets).
root=$dir/root
mkdir -p "$root"
cp -r "$fbroot_system/intl" "$root/intl"
ln -sfn "$fbroot_system/plugins" "$root/plugins"
ln -sfn "$fbroot_system/lib" "$root/lib"
ln -sfn "$fbroot_system/firebird.msg" "$root/firebird.msg"
cp /etc/firebird/3.0/plugins.conf "$root/plugins.conf" 2>/dev/null || true
cp /var/lib/firebird/3.0/system/security3.fdb "$root/security3.fdb"
cat > "$root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
ServerMode = Super
CONF
echo "security.db = $root/security3.fdb" > "$root/databases.conf"

# The tool's account, set with the server down through the embedded engine.
echo "create or alter user SYSDBA password 'qordimtex' using plugin Srp; commit;" |
    FIREBIRD=$root isql-fb -q -user SYSDBA "$root/security3.fdb" >"$dir/isql.log" 2>&1 ||
    { echo "cannot set the server's password" >&2; exit 1; }
chown -R firebird:firebird "$dir" 2>/dev/null || true
mkdir -p /tmp/firebird && chown firebird:firebird /tmp/firebird 2>/dev/null || true

FIREBIRD=$root nohup "$server" >"$dir/server.log" 2>&1 &
pid=$!
echo "$pid" > "$dir/server.pid"
for _ in $(seq 100); do
    if FIREBIRD=$root fbsvcmgr "127.0.0.1/$port:service_mgr" -user SYSDBA -password qordimtex info_server_version \
        >/dev/null 2>&1 && kill -0 "$pid" 2>/dev/null; then
        echo "127.0.0.1/$port"
        exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
echo "the server did not start" >&2
cat "$dir/server.log" >&2
"$0" stop "$dir"
exit 1
