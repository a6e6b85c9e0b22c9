#!/usr/bin/env bash
# scripts/pg-cluster.sh where the postgres user cannot go, as in a clone in root's home: started
# twice (the second start answers the running server), stopped twice (the second has nothing to
# do). Closing a folder to postgres needs root; without it the test is skipped.
set -euo pipefail
script=${1:?path of pg-cluster.sh}
[ "$(id -u)" -eq 0 ] || { echo "SKIP: only root can close a folder to the postgres user"; exit 77; }

closed=$(mktemp -d) # mode 700, owned by root
cluster="$closed/pg"
trap '"$script" stop "$cluster" >/dev/null 2>&1 || true; rm -rf "$(realpath -m "$cluster")" "$closed"' EXIT
runuser -u postgres -- test -x "$closed" && { echo "FAIL: $closed is open to postgres"; exit 1; }

answers() { psql "$1" -XAtc 'select 42' 2>/dev/null; }
must() { "$@" || { echo "FAIL: $*"; exit 1; }; }

url=$("$script" start "$cluster")
must [ "$(answers "$url")" = 42 ]
must [ "$("$script" start "$cluster")" = "$url" ]
must [ "$(answers "$url")" = 42 ]
must "$script" stop "$cluster"
must [ -z "$(answers "$url")" ]
must "$script" stop "$cluster"
echo "PASS: started and stopped twice in a folder closed to postgres"
