#!/bin/bash
# Builds and runs every test. On a fresh Debian 12 machine run it as root: it
# installs what is missing and then works as an unprivileged user.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# Places for the fault tests that only root can make: a small disk that
# fills up, and a folder the build user cannot write to. Run without root,
# the tests that need them say so and are skipped.
vl_root_setup() {
    local faults=/var/tmp/vellorin-faults
    mkdir -p "$faults/small-disk" "$faults/read-only"
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

# The logic without Windows calls, natively, with sanitizers.
vl_build_native
ctest --test-dir "$VL_BUILD/native" --output-on-failure -j "$(nproc)"

# The fuzz targets, briefly (bench/fuzz.sh runs them for longer).
cmake -S "$VL_ROOT" -B "$VL_BUILD/fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$VL_BUILD/fuzz"
ctest --test-dir "$VL_BUILD/fuzz" --output-on-failure -j "$(nproc)"

# Everything, cross-built, under Wine.
vl_build_windows
vl_with_wine ctest --test-dir "$VL_BUILD/win" --output-on-failure -j "$(nproc)"
