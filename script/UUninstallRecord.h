// The binary uninstall log, uninst.log: the magic "REDUD01", then records
// back to back, little-endian, no padding:
//   Code (4)  Arg (4)  DirKind (4)  TextLen (2)  Text (TextLen)  RecLen (2)
// RecLen = TextLen + 16, so that the log can be read from its end backwards.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "UAnsiString.h"
#include "UScriptItems.h"

extern const char UninstallLogMagic[];     // "REDUD01", written without a terminator
const size_t UninstallLogMagicLength = 7;
const size_t UninstallRecordOverhead = 16;
// The longest text a record can carry: RecLen must fit 16 bits.
const size_t MaxUninstallRecordText = 0xFFFF - UninstallRecordOverhead;

// The bytes of one record. A longer text is cut to MaxUninstallRecordText.
AnsiString EncodeUninstallRecord(uint32_t code, uint32_t arg, uint32_t dirKind,
                                 const AnsiString& text);

// The text and directory kind that the record of a recorded item carries:
// its Name and DirKind, for siCopyFile those of its target. (A header item's
// record carries its header text instead.)
struct TRecordedName {
    const char* Text;
    uint32_t DirKind;
};
TRecordedName RecordedName(const ScriptItem& item);
