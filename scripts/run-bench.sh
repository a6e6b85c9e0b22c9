#!/usr/bin/env bash
# Runs every benchmark in turn, offscreen, on SQLite and on PostgreSQL: a private cluster is started
# for the run (and stopped however it ends) unless KVDIGEST_PG_URL already names a server.
# BENCH_N (for example 10000,100000) chooses the ledger sizes of kvbench_perf; BENCH_PIN=1 holds
# each of its runs to one core (the table's head says which).
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(dirname "$(realpath "$0")")

if [ -z "${KVDIGEST_PG_URL:-}" ]; then
    pgdir="$build/pg-bench"
    trap '"$here/pg-cluster.sh" stop "$pgdir"' EXIT
    KVDIGEST_PG_URL=$("$here/pg-cluster.sh" start "$pgdir")
    export KVDIGEST_PG_URL
fi
export QT_QPA_PLATFORM=offscreen
echo "PostgreSQL for the benchmarks: $KVDIGEST_PG_URL"

for b in "$build"/bench/*/kvbench_*; do
    if [ -f "$b" ] && [ -x "$b" ]; then
        echo "== $b"
        "$b"
    fi
done
