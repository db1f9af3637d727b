#!/bin/bash
# The main job, end to end: builds setup.exe and runs its extraction mode
# (setup.exe /X) in a fresh folder under Wine, then shows what it wrote. On a
# fresh Debian 12 machine run it as root: it installs what is missing first.
set -euo pipefail
source "$(dirname "$0")/common.sh"
vl_become_builder "$@"

vl_build_windows
demo="$VL_BUILD/demo"
target="$demo/extracted"
rm -rf "$demo"
mkdir -p "$target"

echo
echo "Running setup.exe /X in $target"
cd "$target"
status=0
vl_with_wine "$VL_BUILD/win/wine-run" "$VL_BUILD/win/setup.exe" /X || status=$?
echo "setup.exe ended with exit code $status"

find . -mindepth 1 -type f -printf '%10s  %P\n' | sort -k2 >"$demo/extracted.txt"
echo
echo "Folders and what they hold:"
find . -mindepth 1 -type d -printf '%P\n' | sort | while read -r dir; do
    printf '  %-28s %4d files %10d bytes\n' "${dir//\//\\}\\" \
        "$(find "$dir" -maxdepth 1 -type f | wc -l)" \
        "$(find "$dir" -maxdepth 1 -type f -printf '%s\n' | awk '{s+=$1} END{print s+0}')"
done
printf '  %-28s %4d files %10d bytes\n' "(the folder itself)" \
    "$(find . -maxdepth 1 -type f | wc -l)" \
    "$(find . -maxdepth 1 -type f -printf '%s\n' | awk '{s+=$1} END{print s+0}')"
echo
echo "Extracted $(find . -mindepth 1 -type d | wc -l) folders and $(find . -type f | wc -l) files," \
     "$(find . -type f -printf '%s\n' | awk '{s+=$1} END{print s}') bytes, into $target"
echo "Every file with its size: $demo/extracted.txt"
