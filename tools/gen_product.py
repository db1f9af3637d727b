#!/usr/bin/env python3
"""Generates the install script table and the payload of the Vellorin library.

The real library's files are not part of this repository. This generator
describes the script compactly (groups, IDE blocks, file lists) and makes a
deterministic product of the same shape: every payload file is produced from
its name alone, so two runs on any machine give identical bytes.

Outputs (all into --out):
  UScriptItems.inc   the constant script table and file references (C++)
  payload/<id>.bin   the bytes of every payload resource except the uninstaller
  payload.rc         the resource script that puts each file under type VLLIB
  manifest.txt       what the extraction run mode must produce, for the tests
  floor_list.inc     the same directories and files as a plain list, for the
                     extraction benchmark's floor program
"""

import argparse
import hashlib
import ntpath
import os
import re
import sys

# ---------------------------------------------------------------------------
# Opcodes, flags and directory kinds, with the names the C++ code uses.


def read_opcodes():
    """The opcode table of the C++ code (script/UOpcodes.def): name ->
    (value, whether its items may record)."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                        "script", "UOpcodes.def")
    row = re.compile(r"^VL_OPCODE\((\w+), (0x[0-9A-F]+), (true|false), "
                     r"(\w+), (\w+)\)$")
    opcodes = {}
    with open(path) as f:
        for line in f:
            if not line.startswith("VL_OPCODE("):
                continue
            m = row.match(line.rstrip("\n"))
            if not m:
                sys.exit("%s: a row this generator cannot read: %s" % (
                    path, line.strip()))
            opcodes[m.group(1)] = (int(m.group(2), 16), m.group(3) == "true")
    return opcodes


OPCODES = read_opcodes()
REC = "sfRecordUndo"
KEEP = "sfKeepable"
DK = {0: "dkNone", 1: "dkWindows", 2: "dkIdeRoot", 3: "dkInstallDir",
      4: "dkIdeHelp", 5: "dkTemp", 6: "dkSystem"}
HKEY_LOCAL_MACHINE = 0x80000002

PAYLOAD_TOTAL = 6125271      # every payload file but the uninstaller
LARGEST = 156070
SMALLEST = 32
PAYLOAD_IDS, PAYLOAD_RUNS, PAYLOAD_MAX_ID = 487, 52, 872


class Sym:
    """A text that the C++ code holds as a named constant; `text` is known
    here only where the manifest has to show it."""

    def __init__(self, name, text=None):
        self.name, self.text = name, text


# ---------------------------------------------------------------------------
# Deterministic randomness: splitmix64, seeded from a name, so that a file's
# bytes depend on nothing but its name.

M64 = (1 << 64) - 1


def fnv1a64(text):
    h = 0xCBF29CE484222325
    for b in text.encode("ascii"):
        h = ((h ^ b) * 0x100000001B3) & M64
    return h


class Rng:
    def __init__(self, seed):
        self.state = fnv1a64(seed) if isinstance(seed, str) else seed & M64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & M64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & M64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & M64
        return z ^ (z >> 31)

    def between(self, lo, hi):
        return lo + self.next() % (hi - lo + 1)

    def pick(self, seq):
        return seq[self.next() % len(seq)]

    def sample(self, seq, k):
        pool = list(seq)
        for i in range(len(pool) - 1, 0, -1):
            j = self.next() % (i + 1)
            pool[i], pool[j] = pool[j], pool[i]
        return pool[:k]


# ---------------------------------------------------------------------------
# Payload files. One Payload object is one resource; items that install the
# same content share the object.

class Payload:
    def __init__(self, name, key=None, size=None):
        self.name = name                      # file name the content is made for
        self.key = key or name                # distinct content
        self.ext = ntpath.splitext(name)[1].lower()
        self.size = size
        self.id = None


# Size ranges per file type (bytes). The types marked scalable absorb the
# difference to the exact payload total.
SIZE_RANGES = {
    ".pas": (3000, 60000), ".dcu": (2500, 45000), ".obj": (3000, 50000),
    ".hpp": (1500, 20000), ".h": (800, 3000), ".cpp": (700, 8000),
    ".dfm": (800, 6000), ".xfm": (800, 6000), ".dpk": (400, 1500),
    ".dpr": (300, 900), ".bpk": (2000, 6000), ".bpr": (2000, 6000),
    ".mak": (3000, 9000), ".res": (600, 4000), ".dcr": (1500, 6000),
    ".txt": (2000, 25000), ".cnt": (600, 2500), ".als": (800, 3000),
    ".dll": (20000, 60000), ".ini": (200, 1500), ".xml": (400, 2000),
    ".reg": (200, 800), ".dat": (500, 8000), ".fts": (2000, 6000),
    ".inc": (400, 1200),
}
SCALABLE = {".pas", ".dcu", ".obj", ".hpp"}


# ---------------------------------------------------------------------------
# The script.

UNITS = [
    "vlConst", "vlUtils", "vlStrings", "vlStreams", "vlSettings", "vlStorage",
    "vlIniStore", "vlRegStore", "vlFormStore", "vlPropStore", "vlCollections",
    "vlEvents", "vlReg", "vlEditors", "vlAbout", "vlDsgnUtils", "vlCrypt",
    "vlBase64", "vlVariants", "vlDefaults", "vlXmlStore", "vlFileStore",
    "vlStreamStore", "vlWideStrings", "vlCompress", "vlSchema", "vlMigrate",
    "vlDbStore", "vlWatch", "vlProfiles",
]
CLX_UNITS = ["QvlFormStore", "QvlAbout"]

# The releases this generator can describe. 3.19 is the product; 3.18, the
# release before it, exists for the tests of an update: it ships a unit and
# a folder that 3.19 no longer has, and names its design packages otherwise.
RELEASES = {
    "3.19": dict(extra_units=[], extra_folder=None, design="dclvll"),
    "3.18": dict(extra_units=["vlLegacy"],
                 extra_folder=("Wizards", ["vlExpert.pas", "vlExpert.dfm",
                                           "ReadMe.txt"]),
                 design="vllreg"),
}
INDEX_LINE, LINK_LINE = Sym("HelpIndexLine"), Sym("HelpLinkLine")
UNINSTALLER = Sym("UninstallerName", "redud.exe")

# The IDE blocks in script order, each named by its row in util/UIdes.def,
# which gives its folder, masks, index and compiler (ide_rows below). `units`
# is how many of UNITS the block carries precompiled.
IDE_BLOCKS = [
    dict(ide="Delphi3", ver="30", clx=False, units=16,
         dcr="d3", about="d3", project=".dpk", package=".dpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 1)],
         gid="delphi3.gid", alias=None),
    dict(ide="Delphi4", ver="40", clx=False, units=18,
         dcr="32", about="d4", project=".dpk", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 1), (INDEX_LINE, 2), (LINK_LINE, 3)],
         gid="delphi4.gid", alias=None),
    dict(ide="Delphi5", ver="50", clx=False, units=20,
         dcr="32", about="d5", project=".dpk", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 2)],
         gid="delphi5.gid", alias=None),
    dict(ide="Delphi6", ver="60", clx=True, units=24,
         dcr="clx", about="clx", project=".dpk", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 2)],
         gid="delphi6.gid", alias="delphi6.als"),
    dict(ide="Delphi7", ver="70", clx=True, units=27,
         dcr="clx", about="clx", project=".dpk", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 2)],
         gid="d7.gid", alias="d7.als"),
    dict(ide="CBuilder4", ver="40", clx=False, units=20,
         dcr="32", about="cb4", project=".bpk", package=".bpl",
         mods=[(LINK_LINE, 1), (INDEX_LINE, 2), (LINK_LINE, 3)],
         gid="bcb4.gid", alias=None),
    dict(ide="CBuilder5", ver="50", clx=False, units=21,
         dcr="cb5", about="cb5", project=".mak", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 2)],
         gid="bcb5.gid", alias=None),
    dict(ide="CBuilder6", ver="60", clx=True, units=29,
         dcr="clx", about="clx", project=".mak", package=".bpl",
         mods=[(INDEX_LINE, 1), (LINK_LINE, 2)],
         gid="bcb6.gid", alias="bcb6.als"),
]



def read_ides():
    """The IDE table of the C++ code (util/UIdes.def), in index order: name,
    mask, compiler and item bit of each row."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                        "util", "UIdes.def")
    row = re.compile(r"^VL_IDE\((\w+), (0x[0-9A-F]+), (ckDcc32|ckMake), "
                     r"(0x[0-9A-F]+), ")
    ides = []
    with open(path) as f:
        for line in f:
            if not line.startswith("VL_IDE("):
                continue
            m = row.match(line)
            if not m:
                sys.exit("%s: a row this generator cannot read: %s" % (
                    path, line.strip()))
            ides.append(dict(name=m.group(1), mask=int(m.group(2), 16),
                             cb=m.group(3) == "ckMake",
                             item=int(m.group(4), 16)))
    return ides


def complete_ide_blocks(blocks, ides):
    """Gives each block its IDE's folder, masks, index and compiler from the
    table; the build fails unless every IDE with an item bit has one block."""
    by_name = {ide["name"]: (index, ide) for index, ide in enumerate(ides, 1)}
    for block in blocks:
        if block["ide"] not in by_name:
            sys.exit("gen_product.py: %s is not in util/UIdes.def"
                     % block["ide"])
        index, ide = by_name[block["ide"]]
        block.update(item=ide["item"], bit=ide["mask"], index=index,
                     folder=ide["name"], cb=ide["cb"])
    named = sorted(block["ide"] for block in blocks)
    wanted = sorted(ide["name"] for ide in ides if ide["item"])
    if named != wanted:
        sys.exit("gen_product.py: IDE blocks %s, but util/UIdes.def selects "
                 "%s" % (named, wanted))


def read_part_items():
    """The item bits of the optional parts, by their names in
    catalogue/UConst.h (HelpFilesItem, DelphiDemosItem, CBuilderDemosItem)."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                        "catalogue", "UConst.h")
    with open(path) as f:
        parts = {name: int(bit, 16) for name, bit in
                 re.findall(r"(\w+Item) = (0x[0-9A-Fa-f]+)", f.read())}
    for name in ("HelpFilesItem", "DelphiDemosItem", "CBuilderDemosItem"):
        if name not in parts:
            sys.exit("gen_product.py: %s: no %s" % (path, name))
    return parts


complete_ide_blocks(IDE_BLOCKS, read_ides())
PARTS = read_part_items()
# The items of the IDEs with CLX: their sources and help aliases.
CLX_ITEMS = sum(ide["item"] for ide in IDE_BLOCKS if ide["clx"])

# The script's file references, in the order of the table that the script
# items point into: the IDE whose block copies each runtime package to the
# system folder, or None for the include file that Delphi 3's block copies.
FILE_REFERENCES = [
    ("Delphi3", "vll30.dpl", 6), ("Delphi4", "vll40.bpl", 6),
    ("Delphi5", "vll50.bpl", 6), ("CBuilder4", "vll40.bpl", 6),
    ("CBuilder5", "vll50.bpl", 6), ("Delphi6", "vll60.bpl", 6),
    ("Delphi6", "clxvll60.bpl", 6), ("CBuilder6", "vll60.bpl", 6),
    ("CBuilder6", "clxvll60.bpl", 6), (None, "delphi3\\vlVellorin.inc", 3),
    ("Delphi7", "vll70.bpl", 6), ("Delphi7", "clxvll70.bpl", 6),
]


def file_reference(ide, name):
    """The index of the one reference of `ide` (None for no IDE) to `name`."""
    found = [i for i, (owner, ref, _) in enumerate(FILE_REFERENCES)
             if owner == ide and ref == name]
    assert len(found) == 1, (ide, name)
    return found[0]


INCLUDE_REF = file_reference(None, "delphi3\\vlVellorin.inc")

DEMO_PROJECTS = ["IniDemo", "RegDemo", "XmlDemo", "FormDemo", "PropDemo",
                 "CryptDemo", "EventsDemo", "DbDemo"]
CB_DEMO_PROJECTS = DEMO_PROJECTS[:7]
SHARED_DEMO_DATA = ["IniDemo\\Settings.ini", "XmlDemo\\Settings.xml",
                    "RegDemo\\Settings.reg", "CryptDemo\\Secret.dat",
                    "PropDemo\\Props.txt"]
CB_DEMO_DATA = ["IniDemo\\Defaults.ini", "FormDemo\\Layout.ini",
                "EventsDemo\\Events.txt"]
SMALLEST_FILE = "Demos\\CBuilder\\IniDemo\\Defaults.ini"


class Item:
    def __init__(self, op, name="", value=0, dk=0, flags=(), text=None,
                 name2=None, dk2=0, target=None, payload=None):
        self.op, self.name, self.value, self.dk = op, name, value, dk
        self.flags, self.text, self.name2, self.dk2 = flags, text, name2, dk2
        self.target, self.payload = target, payload


class Script:
    def __init__(self):
        self.items = []
        self.shared = {}
        self.unused = Payload("Help\\vllib.fts")

    def add(self, op, *args, **kw):
        item = Item(op, *args, **kw)
        # The build fails on an opcode that the C++ table lacks, and on a
        # record that the uninstaller would have no way to take back.
        if op not in OPCODES:
            sys.exit("gen_product.py: %s is not in script/UOpcodes.def" % op)
        if REC in item.flags and not OPCODES[op][1]:
            sys.exit("gen_product.py: %s records nothing in "
                     "script/UOpcodes.def" % op)
        self.items.append(item)

    def content(self, name, key=None):
        """The payload for a file; files with the same key share one."""
        key = key or name
        if key not in self.shared:
            self.shared[key] = Payload(name, key)
        return self.shared[key]

    def extract(self, name, key=None):
        self.add("siExtractFile", name, dk=3, payload=self.content(name, key))

    def block(self, mask, body):
        self.add("siIfItems", value=mask)
        body()
        self.add("siEndIfItems", value=mask)


def build_script(release):
    s = Script()
    for kind in (1, 2, 3, 4, 5, 7, 6):
        s.add("siUninstallHeader", value=kind, flags=(REC,))

    # The install folder and the common sources.
    s.add("siCreateDirectory", "", dk=3, flags=(REC,))
    s.add("siCreateDirectory", "Source", dk=3, flags=(REC,))
    for unit in UNITS + release["extra_units"]:
        s.extract("Source\\%s.pas" % unit)
    for name in ("vlAbout.dfm", "vlEditors.dfm", "vlVellorin.inc"):
        s.extract("Source\\" + name)

    def clx_sources():
        for name in ("QvlFormStore.pas", "QvlAbout.pas", "QvlAbout.xfm"):
            s.extract("Source\\" + name)
    s.block(CLX_ITEMS, clx_sources)

    for doc in ("History.txt", "License.txt", "Order.txt", "ReadMe.txt"):
        s.extract(doc)
    if release["extra_folder"]:
        folder, files = release["extra_folder"]
        s.add("siCreateDirectory", folder, dk=3, flags=(REC,))
        for name in files:
            s.extract(folder + "\\" + name)

    def help_files():
        s.add("siCreateDirectory", "Help", dk=3, flags=(REC,))
        s.extract("Help\\vllib.hlp")
        s.content("Help\\vllib.hlp").size = LARGEST
        s.extract("Help\\vllib.cnt")
        s.block(CLX_ITEMS, lambda: s.extract("Help\\vllib.als"))
        s.add("siSetHelpDir", "Help", dk=3)
        s.add("siRegisterWinHelp", "vllib.hlp", flags=(REC,))
        s.add("siRegisterWinHelp", "vllib.cnt", flags=(REC,))
    s.block(PARTS["HelpFilesItem"], help_files)

    s.add("siExtractIfAbsent", "vllib.ini", dk=1, flags=(REC, KEEP),
          payload=s.content("vllib.ini"))
    s.add("siExtractIfNewer", UNINSTALLER, dk=3,
          payload=s.content("redud.exe"))
    s.add("siRegisterUninstall", UNINSTALLER, dk=3, flags=(REC,))
    s.extract("Source\\vlcrypt.dll")

    for ide in IDE_BLOCKS:
        s.block(ide["item"], lambda ide=ide: ide_block(s, ide, release))

    def demos():
        s.add("siCreateDirectory", "Demos", dk=3, flags=(REC,))
        s.block(PARTS["DelphiDemosItem"], delphi_demos)
        s.block(PARTS["CBuilderDemosItem"], cbuilder_demos)

    def delphi_demos():
        s.add("siCreateDirectory", "Demos\\Delphi", dk=3, flags=(REC,))
        for p in DEMO_PROJECTS:
            s.add("siCreateDirectory", "Demos\\Delphi\\" + p, dk=3)
        for p in DEMO_PROJECTS:
            base = "Demos\\Delphi\\%s\\" % p
            for name in (p + ".dpr", p + ".res", "Main.pas"):
                s.extract(base + name)
            s.extract(base + "Main.dfm", key="demo-form-" + p)
            for data in SHARED_DEMO_DATA:
                if data.startswith(p + "\\"):
                    s.extract("Demos\\Delphi\\" + data, key="demo-data-" + data)

    def cbuilder_demos():
        s.add("siCreateDirectory", "Demos\\CBuilder", dk=3, flags=(REC,))
        for p in CB_DEMO_PROJECTS:
            s.add("siCreateDirectory", "Demos\\CBuilder\\" + p, dk=3)
        for p in CB_DEMO_PROJECTS:
            base = "Demos\\CBuilder\\%s\\" % p
            for name in (p + ".bpr", p + ".cpp", p + ".res", "Main.cpp",
                         "Main.h"):
                s.extract(base + name)
            s.extract(base + "Main.dfm", key="demo-form-" + p)
            for data in SHARED_DEMO_DATA:
                if data.startswith(p + "\\"):
                    s.extract("Demos\\CBuilder\\" + data,
                              key="demo-data-" + data)
            for data in CB_DEMO_DATA:
                if data.startswith(p + "\\"):
                    s.extract("Demos\\CBuilder\\" + data)
    s.block(PARTS["DelphiDemosItem"] | PARTS["CBuilderDemosItem"], demos)
    s.content(SMALLEST_FILE).size = SMALLEST

    s.add("siCreateRegKey", Sym("ProductRegistryKey"), value=HKEY_LOCAL_MACHINE,
          flags=(REC, KEEP))
    return s


def ide_block(s, ide, release):
    folder, ver = ide["folder"], ide["ver"]
    packages = [("vll" + ver, False), (release["design"] + ver, True)]
    if ide["clx"]:
        packages += [("clxvll" + ver, False), ("dclclxvll" + ver, True)]

    s.add("siSelectIde", value=ide["index"], flags=(REC,))
    s.add("siCreateDirectory", folder, dk=3, flags=(REC,))
    s.add("siClearDirectory", folder, dk=3)

    def put(name, key=None):
        s.extract(folder + "\\" + name, key)

    for package, _ in packages:
        if ide["cb"]:
            put(package + ".bpk")
            put(package + ".cpp")
            put(package + ".res")
            if ide["project"] == ".mak":
                put(package + ".mak")
        else:
            put(package + ".dpk")
            put(package + ".res")
    put("vlReg.dcr", key="dcr-" + ide["dcr"])
    put("vlAbout.dfm", key="about-form-" + ide["about"])
    put("vlEditors.dfm")
    if ide["clx"]:
        put("QvlAbout.xfm")
    compiled = [".hpp", ".obj"] if ide["cb"] else [".dcu"]
    if ide["cb"] and ide["clx"]:
        compiled.append(".dcu")
    units = (CLX_UNITS if ide["clx"] else []) + UNITS[:ide["units"]]
    for unit in units:
        for ext in compiled:
            put(unit + ext)
    if ide["cb"] and ide["clx"]:
        put("vlVellorin.hpp")
        put("vlDefs.h")
    if ide["index"] == 1:
        s.add("siCopyFile", "Source\\vlVellorin.inc", dk=3, target=INCLUDE_REF)

    s.add("siSetCurrentDir", folder, dk=3)
    for package, design in packages:
        built = "%s\\%s%s" % (folder, package, ide["package"])
        s.add("siCompilePackage", package + ide["project"], value=ide["bit"])
        s.add("siCheckFile", built, dk=3)
        if design:
            s.add("siRegisterPackage", built, dk=3, flags=(REC,))
        else:
            s.add("siCopyFile", built, dk=3,
                  target=file_reference(ide["ide"], package + ide["package"]))
    if ide["cb"]:
        s.add("siAddSearchPath", "Source", dk=3, flags=(REC,))
    for text, slot in ide["mods"]:
        s.add("siModifyFile", text, value=slot, dk=4, flags=(REC,))
    if ide["alias"]:
        s.add("siMergeFiles", "Help\\vllib.als", dk=3, name2=ide["alias"], dk2=4)
    s.add("siDeleteFile", "Help\\" + ide["gid"], dk=2, flags=(REC,))
    s.add("siSelectIde", value=ide["index"], flags=(REC,))


# ---------------------------------------------------------------------------
# Payload ids: in order of first use, laid out in runs with gaps.

def assign_ids(payloads, laid_out):
    if not laid_out:
        for pid, payload in enumerate(payloads, 1):
            payload.id = pid
        return
    rng = Rng("payload-id-runs")
    n, runs = len(payloads), PAYLOAD_RUNS
    gaps_total = PAYLOAD_MAX_ID - n
    run_cuts = sorted(rng.sample(range(1, n), runs - 1))
    gap_cuts = sorted(rng.sample(range(1, gaps_total), runs - 2))
    run_lengths = [b - a for a, b in zip([0] + run_cuts, run_cuts + [n])]
    gap_lengths = [b - a for a, b in
                   zip([0] + gap_cuts, gap_cuts + [gaps_total])]
    ids, next_id = [], 1
    for i, length in enumerate(run_lengths):
        ids.extend(range(next_id, next_id + length))
        next_id += length + (gap_lengths[i] if i < len(gap_lengths) else 0)
    for payload, pid in zip(payloads, ids):
        payload.id = pid


# ---------------------------------------------------------------------------
# Sizes: a plausible size per type, then the scalable types absorb the
# difference so that the total is exact.

def assign_sizes(payloads, exact):
    free = [p for p in payloads if p.size is None]
    for p in free:
        lo, hi = SIZE_RANGES[p.ext]
        p.size = Rng("size:" + p.key).between(lo, hi)
    if not exact:
        return
    scalable = [p for p in free if p.ext in SCALABLE]
    fixed = sum(p.size for p in payloads if p not in scalable)
    factor = (PAYLOAD_TOTAL - fixed) / sum(p.size for p in scalable)
    for p in scalable:
        p.size = max(SIZE_RANGES[p.ext][0] // 2, int(p.size * factor))
    rest = PAYLOAD_TOTAL - sum(p.size for p in payloads)
    for p in sorted(scalable, key=lambda p: -p.size):
        if rest > 0:
            step = min(rest, LARGEST - 1 - p.size)
        else:
            step = max(rest, SIZE_RANGES[p.ext][0] // 2 - p.size)
        p.size += step
        rest -= step
        if rest == 0:
            break
    sizes = sorted(p.size for p in payloads)
    assert rest == 0 and sum(sizes) == PAYLOAD_TOTAL
    assert sizes[0] == SMALLEST < sizes[1] and sizes[-2] < sizes[-1] == LARGEST


# ---------------------------------------------------------------------------
# Contents. Text files are real text with CR LF line ends, made to the exact
# size by a filler of lines that are valid in the file's format.

WORDS = ("settings storage value section key profile stream reader writer "
         "component property editor default schema version migrate load save "
         "store restore form layout registry file list item option flag "
         "encrypt compress watch notify change event handler").split()


def words(rng, count):
    return " ".join(rng.pick(WORDS) for _ in range(count))


def filler(line_of, lo, hi):
    """Returns pad(k): exactly k bytes made of line_of(length) pieces."""
    def pad(k):
        out = []
        while k:
            take = k if k <= hi else (hi if k - hi >= lo else k - lo)
            assert lo <= take <= hi
            out.append(line_of(take))
            k -= take
        return "".join(out)
    return pad


def comment_filler(prefix, rng):
    def line_of(length):
        body = (prefix + " " + words(rng, 30))[:length - 2]
        return body.ljust(length - 2, "-") + "\r\n"
    return filler(line_of, len(prefix) + 2, 100), len(prefix) + 2


def fit(size, render, pad, pad_min):
    """render(n) -> (head, tail) grows strictly with n; the pad goes between
    them. Takes the largest n that leaves room for a pad (or none)."""
    def gap(n):
        head, tail = render(n)
        return size - len(head) - len(tail)

    lo, hi = 0, 1
    while gap(hi) >= pad_min:
        lo, hi = hi, hi * 2
    while hi - lo > 1:
        mid = (lo + hi) // 2
        lo, hi = (mid, hi) if gap(mid) >= pad_min else (lo, mid)
    n = hi if gap(hi) == 0 else lo
    head, tail = render(n)
    rest = size - len(head) - len(tail)
    assert rest == 0 or rest >= pad_min, (size, rest)
    return head + (pad(rest) if rest else "") + tail


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


def pascal_unit(p, rng, size):
    unit = ntpath.splitext(ntpath.basename(p.name))[0]
    cls = "T" + unit

    def render(n):
        head = crlf([
            "{ Vellorin library: %s }" % unit,
            "{ Copyright (c) Brindlecraft. All rights reserved. }", "",
            "unit %s;" % unit, "", "{$I vlVellorin.inc}", "", "interface", "",
            "uses", "  Windows, SysUtils, Classes%s;" %
            ("" if unit == "vlConst" else ", vlConst"), "", "type",
            "  %s = class(TPersistent)" % cls, "  private",
            "    FValues: TStringList;", "  public"]
            + ["    procedure %s%d(const Name: string);" % (rng_name(unit, i), i)
               for i in range(n)]
            + ["  end;", "", "implementation", ""]
            + sum(([
                "procedure %s.%s%d(const Name: string);" % (
                    cls, rng_name(unit, i), i),
                "begin",
                "  { %s }" % words(Rng("%s:%d" % (unit, i)), 6),
                "  FValues.Values[Name] := '%s';" % rng_name(unit, i),
                "end;", ""] for i in range(n)), []))
        return head, crlf(["end."])
    pad, pad_min = comment_filler("//", rng)
    return fit(size, render, pad, pad_min)


def rng_name(unit, i):
    verbs = ("Load", "Save", "Read", "Write", "Store", "Restore", "Check",
             "Clear", "Apply", "Reset")
    nouns = ("Value", "Section", "Key", "Profile", "Layout", "Option",
             "Default", "Schema")
    r = Rng("%s/%d" % (unit, i))
    return r.pick(verbs) + r.pick(nouns)


def rng_word(key, i):
    return Rng("%s#%d" % (key, i)).pick(WORDS)


def pascal_include(p, rng, size):
    def render(n):
        lines = ["{ Vellorin library: compiler settings }", "{$B-,H+,X+}"]
        lines += ["{$DEFINE VL_%s}" % rng_name(p.key, i).upper()
                  for i in range(n)]
        return crlf(lines), ""
    pad, pad_min = comment_filler("//", rng)
    return fit(size, render, pad, pad_min)


def pascal_project(p, rng, size):
    stem = ntpath.splitext(ntpath.basename(p.name))[0]
    kind = {".dpk": "package", ".dpr": "program"}[p.ext]

    def render(n):
        head = [("package %s;" if kind == "package" else "program %s;") % stem,
                "", "{$R *.RES}", ""]
        if kind == "package":
            head += ["{$DESCRIPTION 'Vellorin library'}", "", "requires",
                     "  vcl;", "", "contains"]
            body = ["  %s in '..\\Source\\%s.pas', { %d }" % (
                UNITS[i % len(UNITS)], UNITS[i % len(UNITS)], i)
                for i in range(n)]
            tail = ["  vlConst in '..\\Source\\vlConst.pas';", "", "end."]
        else:
            head += ["uses", "  Forms,", "  Main in 'Main.pas' {MainForm};", "",
                     "begin", "  Application.Initialize;"]
            body = ["  { %s }" % words(Rng("%s:%d" % (stem, i)), 5)
                    for i in range(n)]
            tail = ["  Application.CreateForm(TMainForm, MainForm);",
                    "  Application.Run;", "end."]
        return crlf(head + body), crlf(tail)
    pad, pad_min = comment_filler("//", rng)
    return fit(size, render, pad, pad_min)


def cpp_source(p, rng, size):
    stem = ntpath.splitext(ntpath.basename(p.name))[0]
    header = p.ext in (".h", ".hpp")
    guard = stem.upper() + "_H"

    def render(n):
        head = ["// Vellorin library: %s%s" % (stem, p.ext),
                "// Copyright (c) Brindlecraft. All rights reserved.", ""]
        if header:
            head += ["#ifndef " + guard, "#define " + guard, "",
                     "#include <Classes.hpp>", "",
                     "class PACKAGE T%s : public TPersistent" % stem, "{",
                     "public:"]
            body = ["    void __fastcall %s%d(const AnsiString Name);" %
                    (rng_name(stem, i), i) for i in range(n)]
            tail = ["};", "", "#endif"]
        else:
            head += ["#include <vcl.h>", "#pragma hdrstop", "",
                     '#include "%s.h"' % stem, ""]
            body = sum((["void __fastcall T%s::%s%d(const AnsiString Name)" %
                         (stem, rng_name(stem, i), i), "{",
                         "    // %s" % words(Rng("%s:%d" % (stem, i)), 6),
                         "}", ""] for i in range(n)), [])
            tail = ["#pragma package(smart_init)"]
        return crlf(head + body), crlf(tail)
    pad, pad_min = comment_filler("//", rng)
    return fit(size, render, pad, pad_min)


def make_file(p, rng, size):
    stem = ntpath.splitext(ntpath.basename(p.name))[0]

    def render(n):
        head = ["# Vellorin library: %s" % ntpath.basename(p.name),
                "# Generated project makefile", "", "VERSION = BCB.06.00",
                "PROJECT = %s.bpl" % stem, "OBJFILES = \\"]
        body = ["    %s%d.obj \\" % (UNITS[i % len(UNITS)], i // len(UNITS))
                for i in range(n)]
        tail = ["    vlConst.obj", "", "!include $(BCB)\\bin\\build.mak"]
        return crlf(head + body), crlf(tail)
    pad, pad_min = comment_filler("#", rng)
    return fit(size, render, pad, pad_min)


def form_file(p, rng, size):
    stem = ntpath.splitext(ntpath.basename(p.name))[0]

    def render(n):
        head = ["object %sForm: T%sForm" % (stem, stem), "  Left = 200",
                "  Top = 120", "  Caption = 'Vellorin library'",
                "  ClientHeight = 320", "  ClientWidth = 480"]
        for i in range(n):
            head += ["  object Label%d: TLabel" % (i + 1),
                     "    Left = 8", "    Top = %d" % (8 + 24 * i),
                     "    Caption = '%s'" % words(Rng("%s:%d" % (p.key, i)), 3),
                     "  end"]
        return crlf(head), crlf(["end"])

    def label_of(length):
        fixed = "  object Pad: TLabel\r\n    Caption = ''\r\n  end\r\n"
        text = (words(rng, 40) + " " * length)[:length - len(fixed)]
        return "  object Pad: TLabel\r\n    Caption = '%s'\r\n  end\r\n" % text
    minimum = len("  object Pad: TLabel\r\n    Caption = ''\r\n  end\r\n")
    return fit(size, render, filler(label_of, minimum, minimum + 60), minimum)


def text_document(p, rng, size):
    title = ntpath.splitext(ntpath.basename(p.name))[0]

    def render(n):
        lines = ["Vellorin library v3.19 - %s" % title, ""]
        for i in range(n):
            r = Rng("%s:%d" % (p.key, i))
            lines += [words(r, 12).capitalize() + ".", words(r, 10) + ".", ""]
        return crlf(lines), ""

    def line_of(length):
        return (words(rng, 30) + " " * length)[:length - 2].rstrip().ljust(
            length - 2, ".") + "\r\n"
    return fit(size, render, filler(line_of, 3, 80), 3)


def ini_file(p, rng, size):
    def render(n):
        lines = ["[Main]"] + ["%s%d=%s" % (rng_name(p.key, i), i,
                                          rng_word(p.key, i)) for i in range(n)]
        return crlf(lines), ""
    pad, pad_min = comment_filler(";", rng)
    return fit(size, render, pad, pad_min)


def reg_file(p, rng, size):
    def render(n):
        lines = ["REGEDIT4", "",
                 "[HKEY_CURRENT_USER\\Software\\Brindlecraft\\RegDemo]"]
        lines += ['"%s%d"="%s"' % (rng_name(p.key, i), i, rng_word(p.key, i))
                  for i in range(n)]
        return crlf(lines), ""
    pad, pad_min = comment_filler(";", rng)
    return fit(size, render, pad, pad_min)


def xml_file(p, rng, size):
    def render(n):
        head = ['<?xml version="1.0" encoding="windows-1252"?>', "<settings>"]
        head += ['  <value name="%s%d">%s</value>' % (rng_name(p.key, i), i,
                                                       rng_word(p.key, i))
                 for i in range(n)]
        return crlf(head), crlf(["</settings>"])

    def line_of(length):
        return "<!--" + (words(rng, 30) + " " * length)[:length - 9] + "-->\r\n"
    return fit(size, render, filler(line_of, 9, 90), 9)


def help_contents(p, rng, size):
    def render(n):
        lines = [":Base vllib.hlp", ":Title Vellorin library", "1 Vellorin library"]
        lines += ["2 %s=vl_topic_%d" % (words(Rng("%s:%d" % (p.key, i)), 3), i)
                  for i in range(n)]
        return crlf(lines), ""

    def line_of(length):
        return ("2 " + words(rng, 30) + " " * length)[:length - 2].rstrip() \
            .ljust(length - 2, ".") + "\r\n"
    return fit(size, render, filler(line_of, 5, 80), 5)


def help_aliases(p, rng, size):
    # Lines of the form "topic=file>window", one alias per line, as the IDE's
    # own alias files hold them; merging adds the lines an IDE lacks.
    def render(n):
        lines = ["vl_%s%d=vllib.hlp>main" % (rng_name(p.key, i), i)
                 for i in range(n)]
        return crlf(lines), ""

    def line_of(length):
        name = ("vl_alias_" + "".join(c for c in words(rng, 20) if c != " ")
                + "x" * length)[:length - len("=vllib.hlp\r\n")]
        return name + "=vllib.hlp\r\n"
    return fit(size, render, filler(line_of, 13, 60), 13)


BINARY_MAGIC = {
    ".dcu": b"\xdf\x03\x00\x00", ".obj": b"\x80\x0c\x00",
    ".res": b"\x00\x00\x00\x00\x20\x00\x00\x00\xff\xff\x00\x00\xff\xff\x00\x00"
            + bytes(16),
    ".dcr": b"\x00\x00\x00\x00\x20\x00\x00\x00\xff\xff\x00\x00\xff\xff\x00\x00"
            + bytes(16),
    ".hlp": b"\x3f\x5f\x03\x00", ".dll": b"MZ\x90\x00", ".dat": b"VLDAT01",
    ".fts": b"\x26\xac\x79\x00",
}
TEXT_MAKERS = {
    ".pas": pascal_unit, ".dpk": pascal_project, ".dpr": pascal_project,
    ".cpp": cpp_source, ".h": cpp_source, ".hpp": cpp_source,
    ".bpk": make_file, ".bpr": make_file, ".mak": make_file,
    ".dfm": form_file, ".xfm": form_file, ".txt": text_document,
    ".ini": ini_file, ".reg": reg_file, ".xml": xml_file, ".inc": pascal_include,
    ".cnt": help_contents, ".als": help_aliases,
}


def render_payload(p):
    if p.ext in TEXT_MAKERS:
        text = TEXT_MAKERS[p.ext](p, Rng("text:" + p.key), p.size)
        data = text.encode("ascii")
        assert b"\n" not in data.replace(b"\r\n", b""), p.name
    else:
        seed = p.key.encode("ascii")
        stream = b"".join(hashlib.sha256(seed + i.to_bytes(4, "little")).digest()
                          for i in range(p.size // 32 + 1))
        data = (BINARY_MAGIC[p.ext] + stream)[:p.size]
    assert len(data) == p.size, (p.name, len(data), p.size)
    return data


# ---------------------------------------------------------------------------
# Output.

def c_string(text):
    if isinstance(text, Sym):
        return text.name
    if text is None:
        return "nullptr"
    out = text.replace("\\", "\\\\").replace('"', '\\"')
    return '"%s"' % out.replace("\r", "\\r").replace("\n", "\\n")


MASK_OPS = {"siIfItems", "siEndIfItems", "siCompilePackage", "siCreateRegKey"}


def c_item(index, item, payload_id):
    flags = "".join(" | " + f for f in item.flags)
    value = payload_id if item.payload else item.value
    value = "0x%X" % value if item.op in MASK_OPS else str(value)
    target = "&FileReferences[%d]" % item.target if item.target is not None \
        else "nullptr"
    return "    /* %3d */ {%s%s, %s, %s, %s, %s, %s, %s, %s, 0}," % (
        index, item.op, flags, value, c_string(item.name), c_string(item.text),
        c_string(item.name2), target, DK[item.dk], DK[item.dk2])


def write(path, data):
    with open(path, "wb") as f:
        f.write(data.encode("ascii") if isinstance(data, str) else data)


def rc_path(path):
    return '"%s"' % os.path.abspath(path).replace("\\", "/")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", required=True)
    ap.add_argument("--uninstaller", required=True,
                    help="path of the built uninstaller program")
    ap.add_argument("--release", default="3.19", choices=sorted(RELEASES),
                    help="the release to describe (3.19, the product, "
                         "unless an earlier one is asked for)")
    args = ap.parse_args()
    # The product's payload has the exact shape of the real library's;
    # an earlier release only has to install and be taken back.
    product = args.release == "3.19"

    script = build_script(RELEASES[args.release])
    items = script.items
    unused = set(range(len(FILE_REFERENCES))) - {item.target for item in items}
    if unused:
        sys.exit("gen_product.py: file references no item copies to: %s"
                 % [FILE_REFERENCES[i][1] for i in sorted(unused)])
    payloads = []
    for item in items:
        if item.payload and item.payload not in payloads:
            payloads.append(item.payload)
        if item.name == "Help\\vllib.cnt":
            payloads.append(script.unused)
    uninstaller = script.content("redud.exe")
    data_files = [p for p in payloads if p is not uninstaller]
    assign_sizes(data_files, exact=product)
    assign_ids(payloads, laid_out=product)

    out = args.out
    os.makedirs(os.path.join(out, "payload"), exist_ok=True)
    rc = ["// Generated by tools/gen_product.py: the payload resources.",
          "LANGUAGE 0x19, 0x01", ""]
    for p in payloads:
        if p is uninstaller:
            rc.append("%d VLLIB %s" % (p.id, rc_path(args.uninstaller)))
            continue
        path = os.path.join(out, "payload", "%d.bin" % p.id)
        write(path, render_payload(p))
        rc.append("%d VLLIB %s" % (p.id, rc_path(path)))
    write(os.path.join(out, "payload.rc"), "\n".join(rc) + "\n")

    table = ["// Generated by tools/gen_product.py: the install script table.",
             "const TFileReference FileReferences[FileReferenceCount] = {"]
    table += ["    {%s, %s}," % (c_string(name), DK[dk])
              for _, name, dk in FILE_REFERENCES]
    table += ["};", "", "const ScriptItem ScriptItems[ScriptItemCount] = {"]
    table += [c_item(i, item, item.payload.id if item.payload else None)
              for i, item in enumerate(items)]
    table += ["};"]
    # The longest name that the table joins to the install folder: the
    # wizard keeps the folder short enough for the deepest path below it.
    below = [item.name for item in items if item.dk == 3]
    below += [item.name2 for item in items if item.dk2 == 3]
    below += [name for _, name, dk in FILE_REFERENCES if dk == 3]
    deepest = max(len(name.text if isinstance(name, Sym) else name)
                  for name in below)
    table += ["", "const size_t DeepestInstallName = %d;" % deepest]
    # What the install writes from the payload, every part of it: with the
    # compilers' output, the free space the folder page asks for.
    written = sum(item.payload.size for item in items
                  if item.payload and item.payload is not uninstaller)
    table += ["const uint32_t PayloadWrittenBytes = %d;" % written]
    write(os.path.join(out, "UScriptItems.inc"),
                     "\n".join(table) + "\n")
    write(os.path.join(out, "UScriptCounts.inc"),
          "// Generated by tools/gen_product.py: the size of the script table.\n"
          "const int ScriptItemCount = %d;\n"
          "const int FileReferenceCount = %d;\n" % (len(items),
                                                      len(FILE_REFERENCES)))

    manifest = ["# kind index id size name (written by the extraction mode: "
                "dir and file)"]
    floor = ["// Generated by tools/gen_product.py: what the extraction writes."]
    for i, item in enumerate(items):
        name = item.name if isinstance(item.name, str) else item.name.text
        if item.op == "siCreateDirectory":
            manifest.append("dir %d - - %s" % (i, name))
            floor.append("{%s, 0}," % c_string(name))
        elif item.op == "siExtractFile":
            p = item.payload
            manifest.append("file %d %d %d %s" % (i, p.id, p.size, name))
            floor.append("{%s, %d}," % (c_string(name), p.id))
        elif item.payload:
            size = "-" if item.payload is uninstaller else item.payload.size
            manifest.append("%s %d %d %s %s" % (
                "absent" if item.op == "siExtractIfAbsent" else "newer", i,
                item.payload.id, size, name))
    manifest.append("unused - %d %d %s" % (script.unused.id, script.unused.size,
                                           script.unused.name))
    write(os.path.join(out, "manifest.txt"), "\n".join(manifest) + "\n")
    write(os.path.join(out, "floor_list.inc"), "\n".join(floor) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
