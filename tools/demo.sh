#!/bin/bash
# The main job, end to end: builds setup.exe, fakes Delphi 7 and C++Builder 6
# in a Wine prefix of the demo's own, installs the library with the wizard,
# shows what the install wrote and registered, then removes it with the
# uninstaller that its Add/Remove Programs entry names and shows that the
# machine is clean again.
#
# With a display that the build user can reach, the wizard and the
# uninstaller wait for the person at it. Without one (on a server, in CI)
# they run under Xvfb and the demo clicks through them itself, saving a
# screenshot of every wizard page. On a fresh Debian 12 machine run it as
# root: it installs what is missing first.
set -euo pipefail
source "$(dirname "$0")/common.sh"
vl_become_builder "$@"
vl_choose_wine

vl_build_windows demo_driver
vl_build_native uninstall-log-dump

demo=$VL_BUILD/demo
export WINEPREFIX=$demo/wineprefix WINEARCH=$VL_WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix sees the build (the driver and setup.exe) as Y: and the demo's
# folder as X:, and nothing else of this machine: the uninstall deletes.
export VL_WINE_DRIVES="y:=$VL_WIN
x:=$demo"
# A fresh prefix for every run; a server left by an interrupted run goes first.
wineserver -k 2>/dev/null || true
rm -rf "$demo"
mkdir -p "$demo"

mode=auto
if [ -n "${DISPLAY:-}" ]; then
    if python3 "$VL_ROOT/tools/demo/display_reachable.py"; then
        mode=manual
        export VL_OWN_DISPLAY=1
    else
        echo "DISPLAY=$DISPLAY does not accept $(id -un): the demo runs under Xvfb and drives itself."
    fi
fi

# The steps, in one Wine session: the driver's runs share its server and
# the shell shows the logs between them.
run_demo() {
    set -euo pipefail
    local driver=$VL_WIN/DemoDriver.exe
    heading() { printf '\n=== %s\n' "$*"; }
    wine() { "$VL_WINE" "$@"; }

    if [ "$VL_ARCH" = i686 ]; then
        echo "The demo runs the shipped 32-bit setup.exe under 32-bit Wine: $VL_WINE_REASON."
    else
        echo "The demo runs the 64-bit build of the same sources under 64-bit Wine: $VL_WINE_REASON."
        echo "The shipped 32-bit setup.exe is built too: $VL_BUILD/win/setup.exe"
    fi

    heading "Simulated IDEs in the demo's Wine prefix $WINEPREFIX"
    wine "$driver" ides

    heading "The installation wizard of setup.exe"
    if [ "$mode" = manual ]; then
        # wine-prefix.sh keeps the window manager out, for Xvfb; on a desktop
        # it should move and focus the windows.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
        wine "$driver" install manual
    else
        mkdir "$demo/screenshots"
        wine "$driver" install auto 'X:\screenshots'
        python3 "$VL_ROOT/tools/bmp2png.py" "$demo"/screenshots/*.bmp
        rm "$demo"/screenshots/*.bmp
        echo "Screenshots of the pages: $demo/screenshots/"
        ls "$demo/screenshots" | sed 's/^/  /'
    fi

    local folder unix_folder
    if ! folder=$(wine "$driver" folder); then
        echo "Nothing was installed: the installation record is missing."
        return 1
    fi
    unix_folder=$(realpath -m "$(wine winepath -u "$folder")")

    heading "install.log ($unix_folder/install.log)"
    tr -d '\r' <"$unix_folder/install.log" | sed 's/^/  /'

    heading "uninst.log, as uninstall-log-dump lists it"
    "$VL_BUILD/native/uninstall-log-dump" "$unix_folder/uninst.log"

    heading "What the install recorded and registered"
    wine "$driver" state "$folder"

    heading "Uninstalling with the Add/Remove Programs entry's command"
    wine "$driver" uninstall "$mode"

    heading "The same places after the uninstall"
    wine "$driver" state "$folder"

    heading "Clean again?"
    wine "$driver" leftovers "$folder"
}
export VL_ROOT VL_BUILD demo mode VL_WIN VL_WINE VL_ARCH VL_WINE_REASON
vl_with_wine bash -c "$(declare -f run_demo); run_demo"
echo
echo "The demo's Wine prefix stays for a look: $WINEPREFIX"
if [ "$mode" = auto ]; then echo "The screenshots of the wizard's pages: $demo/screenshots/"; fi
