// The install script: a constant table of 705 items executed in table order.
//
// The table itself is generated at build time from the compact description
// in tools/gen_product.py, together with the payload it names.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "util/UPaths.h"

// Opcodes: the low 16 bits of ScriptItem::Id. Bit 0x8000 marks the
// file-system class, bit 0x4000 the control class, the rest is the
// registration class; copy-only installs run only the first two.
enum TScriptOpcode : uint32_t {
    siCompilePackage = 0x0006,
    siRegisterPackage = 0x0008,
    siModifyFile = 0x000A,
    siDeleteFile = 0x000B,
    siRegisterWinHelp = 0x000C,
    siSetHelpDir = 0x000D,
    siCreateRegKey = 0x000F,
    siCheckFile = 0x0013,
    siAddSearchPath = 0x0015,
    siUninstallPrevious = 0x0018,
    siCopyFiles = 0x001A,
    siDeleteFiles = 0x001B,
    siMergeFiles = 0x001C,
    siReplaceText = 0x001D,
    siIfVersions = 0x4003,
    siEndIfVersions = 0x4004,
    siSelectIde = 0x4009,
    siUninstallHeader = 0x400E,
    siIfItems = 0x4016,
    siEndIfItems = 0x4017,
    siIfCustomized = 0x401E,
    siEndIfCustomized = 0x401F,
    siIfNotCustomized = 0x4020,
    siEndIfNotCustomized = 0x4021,
    siCreateDirectory = 0x8001,
    siExtractFile = 0x8002,
    siClearDirectory = 0x8005,
    siSetCurrentDir = 0x8007,
    siExtractIfAbsent = 0x8010,
    siExtractIfNewer = 0x8011,
    siRegisterUninstall = 0x8012,
    siCopyFile = 0x8014,
};

const uint32_t OpcodeMask = 0xFFFF;
const uint32_t FileSystemClass = 0x8000;
const uint32_t ControlClass = 0x4000;

// Flags: the high 16 bits of ScriptItem::Id.
enum TScriptFlag : uint32_t {
    sfRecordUndo = 0x10000,  // the item leaves a record in the uninstall log
    sfKeepable = 0x20000,    // an uninstaller may leave the recorded action in place
};

// Kinds of the uninstall-log header (Value of siUninstallHeader).
enum TUninstallHeaderKind : uint32_t {
    uhProductName = 1,
    uhVersion = 2,
    uhEdition = 3,
    uhInstallDir = 4,
    uhProductKey = 5,
    uhEndOfHeader = 6,
    uhUninstallKey = 7,
    // Written after the script's last item, not by an item: the log is whole.
    uhEndOfLog = 8,
};

// A destination of siCopyFile: a name relative to a directory kind.
struct TFileReference {
    const char* Name;
    uint32_t DirKind;
};

// The fields are ordered and sized so that an item takes 28 bytes in the
// 32-bit program: the 705 items are a sixth of its size without the payload.
struct ScriptItem {
    uint32_t Id;           // opcode | flags
    uint32_t Value;        // payload id, IDE index or mask, selection mask, kind, slot or root key
    const char* Name;      // relative name, argument, value name or text, by opcode
    const char* Text;      // text to find (siReplaceText)
    const char* Name2;     // destination or replacement
    const TFileReference* Target;  // destination of siCopyFile
    uint8_t DirKind;       // directory kind that Name is relative to
    uint8_t DirKind2;      // directory kind of Name2
    uint16_t Reserved;     // always 0
};

// ScriptItemCount (705 in the product) and FileReferenceCount, generated
// with the table.
#include "UScriptCounts.inc"

extern const ScriptItem ScriptItems[ScriptItemCount];
extern const TFileReference FileReferences[FileReferenceCount];

inline uint32_t ItemOpcode(const ScriptItem& item) { return item.Id & OpcodeMask; }

// The length of the longest name that the table joins to the install
// folder (in items and in file references): the deepest path the script
// forms below that folder is this long, plus its separator.
extern const size_t DeepestInstallName;
// The bytes that the script's items write from the payload, the
// uninstaller's aside.
extern const uint32_t PayloadWrittenBytes;
