#!/bin/sh
# Makes sure that the Wine prefix $WINEPREFIX exists, reaches only the
# folders it is given, and that a persistent wineserver serves it. Safe to
# call from many processes at once. The Wine loader and the prefix's kind
# come from VL_WINE and VL_WINEARCH (32-bit unless set).
#
# Programs under test delete files. So that a fault can never reach the
# build machine's own files, the prefix has no Z: drive (Wine's view of the
# whole file system) and its user folders are folders of its own, not links
# to the home folder. VL_WINE_DRIVES names, one per line, the drives it does
# get: "y:=/unix/folder".
set -e
: "${WINEPREFIX:?WINEPREFIX must be set}"
: "${VL_WINE:=/usr/lib/wine/wine}" "${VL_WINEARCH:=win32}"
export WINEARCH=$VL_WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"

exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$VL_WINE" wineboot --init 9>&- >/dev/null 2>&1
    # Without a window manager every dialog close would wait 2 s for one.
    "$VL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&- >/dev/null 2>&1
    # A program that crashes ends with a backtrace instead of waiting in the
    # debugger's dialog.
    "$VL_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f 9>&- >/dev/null 2>&1
    wineserver -w 9>&-
fi

rm -f "$WINEPREFIX/dosdevices/z:"
for folder in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then
        rm -f "$folder"
        mkdir -p "$folder"
    fi
done
# A link is only replaced when it changes: programs of this prefix may be
# using the drive at this moment.
printf '%s\n' "${VL_WINE_DRIVES:-}" | while IFS= read -r drive; do
    link="$WINEPREFIX/dosdevices/${drive%%=*}"
    target=${drive#*=}
    [ -n "$target" ] || continue
    [ "$(readlink "$link" 2>/dev/null)" = "$target" ] || ln -sfn "$target" "$link"
done

# A persistent server makes each later start fast. Its streams and the lock
# are detached so that it holds neither the caller's output pipe nor the lock;
# when a server already runs this one exits at once.
wineserver -p 9>&- </dev/null >/dev/null 2>&1 || true
