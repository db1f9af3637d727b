// The binary uninstall log, uninst.log: the magic "REDUD01", then records
// back to back, little-endian, no padding:
//   Code (4)  Arg (4)  DirKind (4)  TextLen (2)  Text (TextLen)  RecLen (2)
// RecLen = TextLen + 16, so that the log can be read from its end backwards.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "script/UScriptItems.h"
#include "util/UAnsiString.h"

extern const char UninstallLogMagic[];     // "REDUD01", written without a terminator
const size_t UninstallLogMagicLength = 7;

// Where the fields of a record lie, from its start; RecLen follows the text.
const uint32_t RecordCodeAt = 0;
const uint32_t RecordArgAt = 4;
const uint32_t RecordDirKindAt = 8;
const uint32_t RecordTextLengthAt = 12;
const uint32_t RecordTextAt = 14;
const uint32_t RecordLengthSize = 2;
const size_t UninstallRecordOverhead = RecordTextAt + RecordLengthSize;
static_assert(UninstallRecordOverhead == 16, "the record layout is that of every release's log");
// The longest text a record can carry: RecLen must fit 16 bits.
const size_t MaxUninstallRecordText = 0xFFFF - UninstallRecordOverhead;

// Bits of a record's Code besides the item's own Id, set by the programs,
// never by an item of any release:
// - set by the replay once it has undone the record, so that a replay
//   stopped half-way (a power cut, the process ended) and run again does not
//   undo it twice;
const uint32_t RecordUndone = 0x80000000;
// - set by the install in the record of a folder that it made (the folder
//   was not there before). Only such a folder is the product's to empty and
//   to take back whole; the record of the install folder then carries in its
//   Arg how many folders above it the install made as well.
const uint32_t RecordFolderMade = 0x40000000;

// The bytes of one record. A longer text is cut to MaxUninstallRecordText.
AnsiString EncodeUninstallRecord(uint32_t code, uint32_t arg, uint32_t dirKind,
                                 const AnsiString& text);

// The fields read from little-endian bytes.
inline uint32_t ReadLittleEndian16(const char* at) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(at);
    return static_cast<uint32_t>(bytes[0] | bytes[1] << 8);
}
inline uint32_t ReadLittleEndian32(const char* at) {
    return ReadLittleEndian16(at) | ReadLittleEndian16(at + 2) << 16;
}

// How a record lies in a log's bytes: whole, running past their end, or
// with a RecLen that disagrees with its TextLen.
enum TRecordState : uint8_t { rsWhole, rsCut, rsLengthDisagrees };

// One record as read from a log; its fields are read only when it is whole.
// Length is its size in bytes.
struct TRecordFields {
    TRecordState State;
    uint32_t Code;
    uint32_t Arg;
    uint32_t DirKind;
    const char* Text;
    uint32_t TextLength;
    uint32_t Length;
};
// The record that starts at `at` in the `size` bytes of `data`.
TRecordFields DecodeUninstallRecord(const char* data, uint32_t size, uint32_t at);

// The text and directory kind that the record of a recorded item carries:
// its Name and DirKind, for siCopyFile those of its target. (A header item's
// record carries its header text instead.)
struct TRecordedName {
    const char* Text;
    uint32_t DirKind;
};
TRecordedName RecordedName(const ScriptItem& item);
