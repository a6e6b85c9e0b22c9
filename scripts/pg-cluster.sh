#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests: its own data folder, a free loopback port, trust
# authentication on loopback only. Another server running on the machine is left alone.
#   pg-cluster.sh start DIR   prints the connection URL of a ready server (the one already running
#                             there, when it is)
#   pg-cluster.sh stop DIR    stops it; nothing to do when it is not running
# As root the server runs as the postgres user. When that user cannot reach DIR (a clone in root's
# home), the cluster lives in a folder of its own under /tmp and DIR is a link to it; the server's
# programs are always given the real path, the one they can reach. Every failure says what failed
# and shows the end of the log that tells why.
set -Eeuo pipefail

fail() {
    echo "pg-cluster: $1" >&2
    if [ -n "${2:-}" ] && [ -s "$2" ]; then
        echo "pg-cluster: the last lines of $2:" >&2
        tail -n 20 "$2" | sed 's/^/    /' >&2
    fi
    exit 1
}
trap 'fail "\"$BASH_COMMAND\" failed (line $LINENO)"' ERR

cmd=${1:?start or stop}
# DIR as given (a link stays a link) and the folder the cluster really lives in.
dir=$(realpath -ms "${2:?data folder}")
place=$(realpath -m "$dir")
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1) || true
[ -n "$bindir" ] && [ -x "$bindir/pg_ctl" ] ||
    fail "PostgreSQL server binaries not found under /usr/lib/postgresql (scripts/install-deps.sh installs them)"

root() { [ "$(id -u)" -eq 0 ]; }

# The server refuses to run as root: run it as the postgres user then.
as_owner() {
    if root; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

running() {
    [ -f "$place/port" ] && as_owner "$bindir/pg_ctl" -D "$place/data" status >/dev/null 2>&1
}

free_port() {
    local port
    for port in $(seq 54329 54429); do
        if ! (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    fail "no free port between 54329 and 54429 on 127.0.0.1"
}

# An empty folder for a new cluster at DIR, in a place the server's user can reach.
prepare() {
    # A folder under /tmp that DIR linked to goes with the link.
    if [ -L "$dir" ] && [[ "$place" == /tmp/kvdigest-pg.* ]]; then
        rm -rf "$place"
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    place=$dir
    root || return 0
    chown postgres "$dir"
    if ! runuser -u postgres -- test -w "$dir"; then
        rmdir "$dir"
        place=$(mktemp -d /tmp/kvdigest-pg.XXXXXX)
        chown postgres "$place"
        ln -s "$place" "$dir"
    fi
}

case "$cmd" in
start)
    if running; then
        echo "postgresql://postgres@127.0.0.1:$(cat "$place/port")/postgres"
        exit 0
    fi
    prepare
    as_owner "$bindir/initdb" -D "$place/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 \
        >"$place/initdb.log" 2>&1 || fail "initdb failed for $place/data" "$place/initdb.log"
    port=$(free_port) || exit 1
    as_owner "$bindir/pg_ctl" -D "$place/data" -l "$place/server.log" -w -t 60 \
        -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=$place/data -c fsync=off -c max_connections=200" \
        start >"$place/pg_ctl.log" 2>&1 ||
        fail "the server in $place/data did not start on port $port" "$place/server.log"
    echo "$port" >"$place/port"
    echo "postgresql://postgres@127.0.0.1:$port/postgres"
    ;;
stop)
    if running; then
        as_owner "$bindir/pg_ctl" -D "$place/data" -m fast -w stop >"$place/pg_ctl.log" 2>&1 ||
            fail "the server in $place/data did not stop" "$place/server.log"
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
