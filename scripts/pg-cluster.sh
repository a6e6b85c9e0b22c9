#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests: its own data folder, a free loopback port, trust
# authentication on loopback only. Another server running on the machine is left alone.
#   pg-cluster.sh start DIR   prints the connection URL of a ready server
#   pg-cluster.sh stop DIR
set -euo pipefail

cmd=${1:?start or stop}
dir=$(realpath -m "${2:?data folder}")
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bindir/pg_ctl" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }

# The server refuses to run as root: run it as the postgres user then.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

free_port() {
    local port
    for port in $(seq 54329 54429); do
        if ! (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    echo "no free port" >&2
    exit 1
}

case "$cmd" in
start)
    if [ -f "$dir/port" ] && as_owner "$bindir/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
        echo "postgresql://postgres@127.0.0.1:$(cat "$dir/port")/postgres"
        exit 0
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres "$dir"
        # The postgres user must reach the folder; when a parent is closed to it, use /tmp instead.
        if ! runuser -u postgres -- test -w "$dir"; then
            rm -rf "$dir"
            tmp=$(mktemp -d /tmp/kvdigest-pg.XXXXXX)
            chown postgres "$tmp"
            ln -s "$tmp" "$dir"
        fi
    fi
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 \
        >"$dir/initdb.log" 2>&1
    port=$(free_port)
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$dir/data -c fsync=off -c max_connections=200" \
        start >/dev/null
    echo "$port" >"$dir/port"
    echo "postgresql://postgres@127.0.0.1:$port/postgres"
    ;;
stop)
    if [ -d "$dir/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
