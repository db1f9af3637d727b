#!/usr/bin/env python3
"""Refuses an include that runs against the layers: a folder's code may name
headers of its own folder and of the folders below it, never above.

    util < catalogue < script < uninstall < controls < wizard < app

resources/ holds the programs' resource ids and version, which any layer
may name. Prints each wrong include and exits 1; with --stamp FILE, touches
FILE when all is well (the build's proof that the check ran).
"""
import os
import re
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
                    yield path, match.group(0).strip(), "a folder that is no layer"
                elif LAYERS.index(named) > layer:
                    yield path, match.group(0).strip(), "a layer above " + folder


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    stamp = argv[argv.index("--stamp") + 1] if "--stamp" in argv else None
    wrong = list(wrong_includes(root))
    for path, line, why in wrong:
        print("%s: %s names %s" % (path, line, why), file=sys.stderr)
    if wrong:
        return 1
    if stamp:
        with open(stamp, "w"):
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
