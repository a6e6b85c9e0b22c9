#!/usr/bin/env bash
# Runs every test on SQLite and on PostgreSQL. The private cluster is stopped however the tests end.
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(dirname "$(realpath "$0")")

pgdir="$build/pg"
trap '"$here/pg-cluster.sh" stop "$pgdir"' EXIT
KVDIGEST_PG_URL=$("$here/pg-cluster.sh" start "$pgdir") || {
    echo "make test: stopped, the private PostgreSQL cluster did not start (above: what failed)" >&2
    exit 1
}
export KVDIGEST_PG_URL
export QT_QPA_PLATFORM=offscreen
echo "PostgreSQL for the tests: $KVDIGEST_PG_URL"

cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
