#!/bin/bash
# Benchmark (prints figures; it asserts nothing): setup.exe /X against the
# floor program that writes the same folders and bytes from the same
# resources, side by side under the same Wine prefix, into empty folders.
# Also prints the peak memory of both and the size of setup.exe without its
# payload.
#   bench/extract.sh [runs]        (default 9 runs of each)
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"

if [ "${1:-}" = --measure ]; then
    runs=$2
    win="$VL_WIN"
    if [ "$VL_ARCH" = i686 ]; then
        echo "measured: the shipped 32-bit setup.exe ($win) under 32-bit Wine"
    else
        echo "measured: the 64-bit build ($win) under 64-bit Wine, because $VL_WINE_REASON;"
        echo "  the program size below is still the shipped 32-bit program's"
    fi
    # Inside the build folder: the prefix sees nothing else of the machine.
    scratch=$(mktemp -d -p "$win")
    trap 'rm -rf "$scratch"' EXIT
    # Millisecond wall time of one program run in a new empty folder.
    time_run() {
        rm -rf "$scratch/out" && mkdir "$scratch/out"
        sync  # the previous run's writes must not slow this one down
        local start end
        start=$(date +%s%N)
        (cd "$scratch/out" && "$win/wine-run" "$1" /X)
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    }
    median() { sort -n | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
    time_run "$win/setup.exe" >/dev/null  # warm the page cache and Wine
    setup_times=() floor_times=()
    for _ in $(seq "$runs"); do
        setup_times+=("$(time_run "$win/setup.exe")")
        floor_times+=("$(time_run "$win/floor_extract.exe")")
    done
    s=$(printf '%s\n' "${setup_times[@]}" | median)
    f=$(printf '%s\n' "${floor_times[@]}" | median)
    echo "extraction, $runs runs each, wall time in ms (including Wine process start):"
    echo "  setup.exe /X    median $s   runs: ${setup_times[*]}"
    echo "  floor program   median $f   runs: ${floor_times[*]}"
    # Runs drift with the machine's load; the ratio of each side-by-side pair
    # is steadier than the ratio of the two medians.
    ratio=$(for i in "${!setup_times[@]}"; do
        awk -v s="${setup_times[$i]}" -v f="${floor_times[$i]}" 'BEGIN{printf "%.4f\n", s/f}'
    done | median)
    awk -v s="$s" -v f="$f" -v r="$ratio" 'BEGIN{
        printf "  ratio setup/floor: %.3f (median of the pairs), %.3f (of the medians); target: at most 1.15\n", r, s/f}'

    # Peak resident memory of one run each; the payload is written from the
    # mapped image, so setup.exe should need no more than the floor.
    peak() {
        rm -rf "$scratch/out" && mkdir "$scratch/out"
        (cd "$scratch/out" && /usr/bin/time -f %M "$win/wine-run" "$1" /X 2>&1 >/dev/null | tail -1)
    }
    setup_peak=$(peak "$win/setup.exe")
    floor_peak=$(peak "$win/floor_extract.exe")
    echo "peak memory (resident, with Wine's own): setup.exe /X $setup_peak KB, floor program $floor_peak KB"

    payload=$(awk '$1=="file"||$1=="absent"||$1=="unused"{if(!seen[$3]++) s+=$4} END{print s}' \
        "$win/generated/manifest.txt")
    shipped="$VL_BUILD/win"
    payload=$((payload + $(stat -c %s "$shipped/redud.exe")))
    size=$(stat -c %s "$shipped/setup.exe")
    echo "program size: setup.exe $size bytes - payload $payload bytes = $((size - payload)) bytes" \
         "($(((size - payload + 1023) / 1024)) KB; target: below 192 KB)"
    exit 0
fi

vl_become_builder "$@"
vl_choose_wine
vl_build_windows >/dev/null
vl_with_wine bash "$VL_ROOT/bench/extract.sh" --measure "${1:-9}"
