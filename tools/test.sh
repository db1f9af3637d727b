#!/bin/bash
# Builds and runs every test. On a fresh Debian 12 machine run it as root: it
# installs what is missing and then works as an unprivileged user.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# What only root can make: the locales of the code-page tests, and places
# for the fault tests, a small disk that fills up and a folder the build user
# cannot write to. Run without root, the tests that need these places say so
# and are skipped; the code-page tests fail unless the locales are there.
vl_root_setup() {
    vl_generate_locales
    # One set per build folder, so that builds of two checkouts never share them.
    local faults
    faults=/var/tmp/vellorin-faults/$(printf '%s' "$VL_BUILD" | md5sum | cut -c1-12)
    mkdir -p "$faults/small-disk" "$faults/read-only"
    export VL_FAULT_PLACES=$faults
    if mountpoint -q "$faults/small-disk" ||
        mount -t tmpfs -o size=1m tmpfs "$faults/small-disk" 2>/dev/null; then
        chown "$VL_USER": "$faults/small-disk"
        export VL_SMALL_DISK="$faults/small-disk"
    fi
    chown root: "$faults/read-only"
    chmod 555 "$faults/read-only"
    export VL_READ_ONLY_FOLDER="$faults/read-only"
}
vl_become_builder "$@"
vl_choose_wine

# Each suite's last ctest line, printed at the end however the run ends.
summary=()
vl_suite() {
    local label=$1 log
    shift
    log=$(mktemp)
    local status=0
    "$@" 2>&1 | tee "$log" || status=$?
    summary+=("$label: $(grep -E 'tests passed|checks passed|No tests were found' "$log" | tail -1)")
    while IFS= read -r skipped; do
        summary+=("  skipped: $skipped")
    done < <(grep -E '\(Skipped\)' "$log" | sed -E 's/^[[:space:]]*[0-9]+ - //')
    rm -f "$log"
    return $status
}
vl_summary() {
    echo
    echo "== Summary"
    for line in "${summary[@]}"; do echo "$line"; done
    if [ "$VL_ARCH" = i686 ]; then
        echo "Wine tests: the shipped 32-bit build ($VL_WIN) ran under 32-bit Wine ($VL_WINE, a $VL_WINEARCH prefix)"
    else
        echo "Wine tests: the 64-bit build of the same sources ($VL_WIN) ran under 64-bit Wine ($VL_WINE, a $VL_WINEARCH prefix)"
        echo "  and the shipped 32-bit programs ($VL_BUILD/win) were built and checked as files only"
    fi
    echo "  because $VL_WINE_REASON."
}
trap vl_summary EXIT

# The shipped 32-bit programs are always built (and, where they cannot run
# here, the 64-bit build as well); the native tests read them as files.
vl_build_windows

# The logic without Windows calls, natively, with sanitizers.
vl_build_native
vl_suite "native tests (sanitizers, and the shipped programs read as files)" \
    ctest --test-dir "$VL_BUILD/native" --output-on-failure -j "$(nproc)"

# The fuzz targets, briefly (bench/fuzz.sh runs them for longer).
cmake -S "$VL_ROOT" -B "$VL_BUILD/fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$VL_BUILD/fuzz"
vl_suite "fuzz targets" ctest --test-dir "$VL_BUILD/fuzz" --output-on-failure -j "$(nproc)"

# Everything, cross-built, under Wine.
vl_suite "tests under Wine ($VL_ARCH build)" \
    vl_with_wine ctest --test-dir "$VL_WIN" --output-on-failure -j "$(nproc)"

# Both programs signed with a throw-away certificate, in build folders of their own.
vl_suite "signed programs (osslsigncode, and setup.exe /X under Wine)" "$VL_ROOT/tests/signing.sh"
