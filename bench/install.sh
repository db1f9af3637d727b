#!/bin/bash
# Benchmark (prints figures; it asserts nothing): a full wizard install of
# the typical selection (items per second without the compiler runs, and
# the longest time the window goes without serving input), and the replay
# of a full uninstall log (records per second).
#   bench/install.sh [runs]        (default 5)
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
vl_become_builder "$@"
vl_choose_wine
vl_build_windows >/dev/null
if [ "$VL_ARCH" = i686 ]; then
    echo "measured: the shipped 32-bit build ($VL_WIN) under 32-bit Wine"
else
    echo "measured: the 64-bit build ($VL_WIN) under 64-bit Wine, because $VL_WINE_REASON"
fi
vl_with_wine "$VL_WIN/wine-run" "$VL_WIN/bench/install_bench.exe" "${1:-5}"
