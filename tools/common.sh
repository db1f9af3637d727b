# Shared by the two README commands: package installation and the switch to
# the unprivileged build user. Sourced, not run.

VL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VL_USER=vlbuild
VL_BUILD=${VL_BUILD:-$VL_ROOT/build}

vl_packages="wine wine64 g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 xvfb xauth googletest cmake ninja-build g++ python3 util-linux
  clang libclang-rt-14-dev osslsigncode openssl locales"

# The Unix locales whose ANSI code pages (932, 950, 1251) Wine gives the
# code-page entries of tests/CMakeLists.txt. Wine takes the code page from
# the locale's name even when the locale is missing, but then maps no
# non-ASCII file name: they must be generated.
vl_locales="ja_JP.UTF-8 zh_TW.UTF-8 ru_RU.UTF-8"

# Whether this machine's kernel runs 32-bit Linux programs: a 91-byte i386
# program that only exits, tried before any 32-bit package goes in (their
# installation scripts fail on a host that cannot run them).
vl_kernel_runs_32bit() {
    local probe
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00'\
'\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return $status
}

# Installs the Debian packages that are missing (as root): 32-bit Wine only
# where the kernel can run it.
vl_install_packages() {
    local wanted=$vl_packages
    if vl_kernel_runs_32bit; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            dpkg --add-architecture i386
        fi
        wanted="$wanted wine32:i386"
    fi
    local missing=()
    for package in $wanted; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing ${missing[*]}"
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# Generates the locales of $vl_locales that are missing (as root).
vl_generate_locales() {
    local name
    for name in $vl_locales; do
        # "locale -a" lists ja_JP.UTF-8 as ja_JP.utf8.
        locale -a | grep -ix "${name%%.*}.utf8" >/dev/null && continue
        echo "Generating the locale $name"
        localedef -i "${name%%.*}" -f "${name#*.}" "$name"
    done
}

# Which Windows build runs under Wine here. The shipped program is the 32-bit
# build; where 32-bit Wine cannot start, or VL_WINE64=1 asks for it, the same
# sources are also built for 64-bit Windows and that build runs under 64-bit
# Wine, in a prefix of its own. Sets VL_ARCH (i686 or x86_64), VL_WIN (the
# build folder that runs), VL_WINE (the Wine loader), VL_WINEARCH and
# VL_WINE_REASON.
vl_choose_wine() {
    local error
    if [ "${VL_WINE64:-0}" = 1 ]; then
        VL_ARCH=x86_64
        VL_WINE_REASON="VL_WINE64=1 asks for the 64-bit build"
    elif error=$(/usr/lib/wine/wine --version 2>&1); then
        VL_ARCH=i686
        VL_WINE_REASON="this host runs 32-bit Wine ($error)"
    else
        VL_ARCH=x86_64
        VL_WINE_REASON="this host cannot run 32-bit Wine: /usr/lib/wine/wine --version said \"${error:-nothing}\""
    fi
    if [ "$VL_ARCH" = i686 ]; then
        VL_WIN=$VL_BUILD/win VL_WINE=/usr/lib/wine/wine VL_WINEARCH=win32
    else
        VL_WIN=$VL_BUILD/win64 VL_WINE=/usr/lib/wine/wine64 VL_WINEARCH=win64
    fi
    export VL_ARCH VL_WIN VL_WINE VL_WINEARCH VL_WINE_REASON
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

# Configures and builds one Windows build (i686 in build/win, x86_64 in
# build/win64), or only the targets named.
vl_build_arch() {
    local arch=$1 dir=$2
    shift 2
    cmake -S "$VL_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$VL_ROOT/cmake/toolchain-$arch-mingw.cmake" >/dev/null
    cmake --build "$dir" ${1:+--target "$@"}
}

# Builds the shipped 32-bit programs always, and the 64-bit build too where
# that is the one that runs under Wine (see vl_choose_wine); all targets or
# only those named.
vl_build_windows() {
    vl_build_arch i686 "$VL_BUILD/win" "$@"
    if [ "$VL_ARCH" = x86_64 ]; then vl_build_arch x86_64 "$VL_BUILD/win64" "$@"; fi
}

# Configures and builds the native programs and tests (with sanitizers), or
# only the targets named.
vl_build_native() {
    cmake -S "$VL_ROOT" -B "$VL_BUILD/native" -G Ninja >/dev/null
    cmake --build "$VL_BUILD/native" ${1:+--target "$@"}
}

# Runs a command with the Wine prefix $WINEPREFIX (the running build's own
# unless set) and a persistent wineserver that knows the display; stops the
# server afterwards. The display is a fresh Xvfb one, unless VL_OWN_DISPLAY=1
# keeps the one that DISPLAY names.
vl_with_wine() {
    export WINEPREFIX="${WINEPREFIX:-$VL_WIN/wineprefix}"
    local display=(xvfb-run -a -s "-screen 0 1024x768x24")
    if [ "${VL_OWN_DISPLAY:-0}" = 1 ]; then display=(); fi
    "${display[@]}" bash -c '
        wineserver -k 2>/dev/null || true
        "$0" && "$@"
        status=$?
        wineserver -k 2>/dev/null || true
        exit $status' "$VL_ROOT/tools/wine-prefix.sh" "$@"
}
