#!/bin/bash
# Benchmark (prints figures; it asserts nothing): a full wizard install of
# the typical selection (items per second without the compiler runs, and
# the longest time the window goes without serving input), and the replay
# of a full uninstall log (records per second).
#   bench/install.sh [runs]        (default 5)
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
vl_become_builder "$@"
vl_build_windows >/dev/null
vl_with_wine "$VL_BUILD/win/wine-run" "$VL_BUILD/win/bench/install_bench.exe" "${1:-5}"
