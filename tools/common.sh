# Shared by the two README commands: package installation and the switch to
# the unprivileged build user. Sourced, not run.

VL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VL_USER=vlbuild
VL_BUILD=${VL_BUILD:-$VL_ROOT/build}

vl_packages="wine wine32:i386 wine64 g++-mingw-w64-i686 binutils-mingw-w64-i686
  mingw-w64-i686-dev xvfb xauth googletest cmake ninja-build g++ python3 util-linux
  clang libclang-rt-14-dev"

# Installs the Debian packages that are missing (as root).
vl_install_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    local missing=()
    for package in $vl_packages; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing ${missing[*]}"
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# Wine honours read-only files only for an unprivileged user, and a Wine
# prefix must belong to the user who runs it: as root, install what is
# missing, then run the rest of the calling script as $VL_USER.
vl_become_builder() {
    [ "$(id -u)" = 0 ] || return 0
    vl_install_packages
    id "$VL_USER" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$VL_USER"
    local source=$VL_ROOT
    if ! runuser -u "$VL_USER" -- test -r "$VL_ROOT/CMakeLists.txt"; then
        # The checkout is not readable by the build user: work on a copy.
        source=/var/tmp/vellorin-src
        rm -rf "$source"
        cp -a "$VL_ROOT" "$source"
        chown -R "$VL_USER": "$source"
        VL_BUILD=$source/build
    fi
    mkdir -p "$VL_BUILD"
    chown -R "$VL_USER": "$VL_BUILD"
    if declare -F vl_root_setup >/dev/null; then vl_root_setup; fi
    local script
    script=$(realpath --relative-to="$VL_ROOT" "$0")
    exec runuser -u "$VL_USER" -- env VL_BUILD="$VL_BUILD" "$source/$script" "$@"
}

# Configures and builds the Windows programs and their tests, or only the
# targets named.
vl_build_windows() {
    cmake -S "$VL_ROOT" -B "$VL_BUILD/win" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$VL_ROOT/cmake/toolchain-i686-mingw.cmake" >/dev/null
    cmake --build "$VL_BUILD/win" ${1:+--target "$@"}
}

# Configures and builds the native programs and tests (with sanitizers), or
# only the targets named.
vl_build_native() {
    cmake -S "$VL_ROOT" -B "$VL_BUILD/native" -G Ninja >/dev/null
    cmake --build "$VL_BUILD/native" ${1:+--target "$@"}
}

# Runs a command with the Wine prefix $WINEPREFIX (the build's own unless
# set) and a persistent wineserver that knows the display; stops the server
# afterwards. The display is a fresh Xvfb one, unless VL_OWN_DISPLAY=1 keeps
# the one that DISPLAY names.
vl_with_wine() {
    export WINEPREFIX="${WINEPREFIX:-$VL_BUILD/win/wineprefix}"
    local display=(xvfb-run -a -s "-screen 0 1024x768x24")
    if [ "${VL_OWN_DISPLAY:-0}" = 1 ]; then display=(); fi
    "${display[@]}" bash -c '
        wineserver -k 2>/dev/null || true
        "$0" && "$@"
        status=$?
        wineserver -k 2>/dev/null || true
        exit $status' "$VL_ROOT/tools/wine-prefix.sh" "$@"
}
