// The install script: a constant table of 705 items executed in table order.
//
// The table itself is generated at build time from the compact description
// in tools/gen_product.py, together with the payload it names.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "util/UPaths.h"

// How the uninstaller takes back a record of an opcode.
enum TUndoKind : uint8_t {
    ukNone,            // the opcode records nothing
    ukHeader,          // read as the log's header, never undone
    ukSelectIde,       // opens or closes an IDE's block
    ukFolder,          // the folder goes, with what the product put in it
    ukFile,            // the file goes
    ukPackage,         // the design package's registration goes
    ukHelpText,        // the line goes from the IDE's help file
    ukWinHelp,         // the Windows help registration goes
    ukRegistryKey,     // the key goes
    ukSearchPath,      // the entry goes from the IDE's search path
    ukUninstallEntry,  // the Add/Remove Programs entry goes, last
};

// What setup.exe /X makes of an opcode's items.
enum TExtraction : uint8_t {
    exNone,
    exFolder,  // creates the folder
    exFile,    // writes the file from the payload
};

// The opcodes, from their table (script/UOpcodes.def).
enum TScriptOpcode : uint32_t {
#define VL_OPCODE(name, value, records, undo, extraction) name = value,
#include "script/UOpcodes.def"
#undef VL_OPCODE
};

struct TOpcodeRow {
    uint32_t Value;
    const char* Name;
    bool Records;
    TUndoKind Undo;
    TExtraction Extraction;
};

// The table's rows, for compile-time checks and the log-dump tool; the
// programs read none of it at run time.
constexpr TOpcodeRow OpcodeRows[] = {
#define VL_OPCODE(name, value, records, undo, extraction) {value, #name, records, undo, extraction},
#include "script/UOpcodes.def"
#undef VL_OPCODE
};
constexpr size_t OpcodeRowCount = sizeof OpcodeRows / sizeof *OpcodeRows;

const uint32_t OpcodeMask = 0xFFFF;
const uint32_t FileSystemClass = 0x8000;
const uint32_t ControlClass = 0x4000;

namespace opcode_checks {

// Each row: a value of one class with an opcode number, unique; an undo
// decision exactly for the opcodes that record.
constexpr bool RowsHoldTogether() {
    for (size_t i = 0; i < OpcodeRowCount; ++i) {
        const TOpcodeRow& row = OpcodeRows[i];
        if (row.Value > OpcodeMask || ((row.Value & FileSystemClass) && (row.Value & ControlClass))) return false;
        if ((row.Value & ~(FileSystemClass | ControlClass)) == 0) return false;
        if (row.Records != (row.Undo != ukNone)) return false;
        for (size_t j = i + 1; j < OpcodeRowCount; ++j) {
            if (OpcodeRows[j].Value == row.Value) return false;
        }
    }
    return true;
}

}  // namespace opcode_checks

// The row of an opcode; null for a value without one.
constexpr const TOpcodeRow* OpcodeRowOf(uint32_t value) {
    for (const TOpcodeRow& row : OpcodeRows) {
        if (row.Value == value) return &row;
    }
    return nullptr;
}

// The undo kind of an opcode; ukNone for a value without a row.
constexpr TUndoKind UndoKindOf(uint32_t value) {
    switch (value) {
#define VL_OPCODE(name, value, records, undo, extraction) \
    case name: return undo;
#include "script/UOpcodes.def"
#undef VL_OPCODE
    default: return ukNone;
    }
}

namespace opcode_checks {

constexpr size_t ExtractedCount() {
    size_t count = 0;
    for (const TOpcodeRow& row : OpcodeRows) count += row.Extraction != exNone;
    return count;
}

}  // namespace opcode_checks

static_assert(opcode_checks::RowsHoldTogether(),
              "an opcode row has a bad value, a duplicate value, or records without an undo kind");

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
