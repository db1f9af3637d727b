#!/bin/bash
# Runs every fuzz target (native, libFuzzer with address and
# undefined-behaviour sanitizers) for a set time and prints what it did.
#   bench/fuzz.sh [seconds per target]    (default 600)
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
vl_become_builder "$@"
seconds=${1:-600}
cmake -S "$VL_ROOT" -B "$VL_BUILD/fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$VL_BUILD/fuzz" >/dev/null
for target in $(find "$VL_BUILD/fuzz/fuzz" -maxdepth 1 -type f -executable -printf '%f\n' | sort); do
    corpus="$VL_BUILD/fuzz/fuzz/$target-corpus"
    mkdir -p "$corpus"
    echo "== $target, $seconds s"
    "$VL_BUILD/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        "$corpus" "$VL_ROOT/fuzz/corpus/$target" 2>&1 |
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)|Done [0-9]+ runs" || true
done
