#!/bin/sh
# Runs the acceptance suite in a Wine prefix made afresh for it.
#   acceptance.sh PREFIX WINE-RUN PROGRAM [ARGUMENT...]
prefix=$1 run=$2 program=$3
shift 3
WINEPREFIX=$prefix wineserver -k 2>/dev/null
rm -rf "$prefix" "$prefix.lock"
# A minute less than the test's own limit, so that a run that hangs still
# shows how far it came.
VL_RUN_SECONDS=840 "$run" "$program" "$@"
status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null
exit $status
