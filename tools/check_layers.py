#!/usr/bin/env python3
"""Refuses an include that runs against the layers: a folder's code may name
headers of its own folder and of the folders below it, never above.

    util < catalogue < script < uninstall < controls < wizard < app

resources/ holds the programs' resource ids and version, which any layer
may name. Prints each wrong include and exits 1; with --stamp FILE, touches
FILE when all is well (the build's proof that the check ran).

With --nm NM and arguments layer=library, it checks the built layer
libraries instead: a symbol that a layer's code uses must be defined by that
layer or one below it (or come from outside the product). A declaration
written by hand instead of an include, or code that moved, is caught there.
"""
import os
import re
import subprocess
import sys

LAYERS = ["util", "catalogue", "script", "uninstall", "controls", "wizard", "app"]
ANYWHERE = {"resources"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.M)
SOURCES = (".cpp", ".h", ".def")


def wrong_includes(root):
    for layer, folder in enumerate(LAYERS):
        for name in sorted(os.listdir(os.path.join(root, folder))):
            if not name.endswith(SOURCES):
                continue
            path = os.path.join(folder, name)
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                text = source.read()
            for match in INCLUDE.finditer(text):
                named = match.group(1)
                if named in ANYWHERE:
                    continue
                if named not in LAYERS:
                    yield "%s: %s names a folder that is no layer" % (path, match.group(0).strip())
                elif LAYERS.index(named) > layer:
                    yield "%s: %s names a layer above %s" % (path, match.group(0).strip(), folder)


def symbols(nm, library):
    """The global symbols that the library defines and those it uses."""
    out = subprocess.run([nm, "-g", library], check=True, capture_output=True,
                         text=True).stdout
    defined, used = set(), set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[-2] == "U":
            used.add(parts[-1])
        elif len(parts) == 3:
            defined.add(parts[2])
    return defined, used


def upward_uses(nm, libraries):
    lowest = {}  # symbol -> the lowest layer that defines it
    uses = []
    for argument in libraries:
        folder, library = argument.split("=", 1)
        defined, used = symbols(nm, library)
        layer = LAYERS.index(folder)
        for symbol in defined:
            lowest[symbol] = min(layer, lowest.get(symbol, layer))
        uses.append((layer, library, used))
    for layer, library, used in uses:
        for symbol in sorted(used):
            if lowest.get(symbol, layer) > layer:
                yield "%s uses %s, which only the layer %s above it defines" % (
                    os.path.basename(library), symbol, LAYERS[lowest[symbol]])


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    stamp = argv[argv.index("--stamp") + 1] if "--stamp" in argv else None
    if "--nm" in argv:
        nm = argv[argv.index("--nm") + 1]
        wrong = list(upward_uses(nm, [a for a in argv[1:] if "=" in a]))
    else:
        wrong = list(wrong_includes(root))
    for message in wrong:
        print(message, file=sys.stderr)
    if wrong:
        return 1
    if stamp:
        with open(stamp, "w"):
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
