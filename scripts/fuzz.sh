#!/usr/bin/env bash
# make fuzz: libFuzzer over the mnemonic, the SQL text builders, the filter condition and the
# import's CSV and workbook readers, each for FUZZ_SECONDS (default 60). Builds with clang in
# build-fuzz; the corpora stay in build-fuzz/corpus.
# Each target runs its time; a finding fails the run and leaves its input (crash-*) in build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang libclang-rt-14-dev
build=build-fuzz
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKV_FUZZ=ON
targets=(fuzz_mnemonic fuzz_sqltexts fuzz_filter fuzz_import)
cmake --build "$build" --target "${targets[@]}"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    echo "== $target, $seconds s"
    # A finding ends the target's run with a failure and leaves its input (crash-*) in $build.
    if ! (cd "$build" && "./fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        "corpus/$target" >"$target.log" 2>&1); then
        status=1
        grep -E 'ERROR|SUMMARY|Test unit written' "$build/$target.log" >&2 || true
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$build/$target.log" || true
done
exit $status
