// The operations behind the script's opcodes. Each works on one item, sets
// `line` to its install-log line (or leaves it empty) and returns 0 or an
// error: a Windows error code, or one of the operations' own below.
#pragma once

#include <stdint.h>

#include "script/UScriptItems.h"
#include "util/UAnsiString.h"
#include "util/USecurity.h"

// The operations' own failures, negative beside the Windows error codes (the
// error box shows them in hexadecimal); each names the step that failed.
// The IDE operations:
const int32_t orNoIde = -1;                 // no IDE to work on
const int32_t orPackageNotRegistered = -1;  // the design package's registration not written
const int32_t orUnknownIde = -2;            // a compile's mask names no IDE that the product knows
const int32_t orSearchPathUnread = -2;      // the IDE's search path cannot be read
const int32_t orSearchPathNotWritten = -3;  // nor written back
// The Add/Remove Programs entry:
const int32_t orEntryKeyNotMade = -1;       // its key (or the uninstaller is missing)
const int32_t orEntryNameNotWritten = -2;   // its display name
const int32_t orEntryCommandNotWritten = -3;  // its uninstall command
const int32_t orEntryValueNotWritten = -4;  // one of the values Windows shows

// The item's path: the directory of its kind joined with its name; the
// second path likewise from Name2 and DirKind2.
AnsiString ItemPath(const ScriptItem& item);
AnsiString ItemPath2(const ScriptItem& item);
// The destination of a siCopyFile item; empty without one.
AnsiString TargetPath(const ScriptItem& item);

// The permissions of the folders that a run makes for the product: those
// of Program Files. Null for a folder outside the install folder, which
// keeps what it inherits.
extern TSecurity ProductFolderSecurity;
SECURITY_ATTRIBUTES* FolderSecurityFor(const AnsiString& path);

// File operations. Each is refused, with ErrorLinkOnTheWay, where a link
// lies on the way to what it would write or delete in the install folder or
// an IDE's folder.
// `made` says whether the item made its folder (it was not there before).
int32_t OpCreateDirectory(const ScriptItem& item, AnsiString* line, bool* made = nullptr);
// siExtractFile with `replace`, siExtractIfAbsent without.
int32_t OpExtractFile(const ScriptItem& item, AnsiString* line, bool replace);
int32_t OpExtractIfNewer(const ScriptItem& item, AnsiString* line);
// Empties the folder only when it is the product's (`ours`: the product made
// it) and is neither an IDE's folder nor one holding one; any other folder
// keeps what it holds, and the line says so.
int32_t OpClearDirectory(const ScriptItem& item, AnsiString* line, bool ours);
int32_t OpSetCurrentDir(const ScriptItem& item);
int32_t OpCopyFile(const ScriptItem& item, AnsiString* line);
int32_t OpCopyFiles(const ScriptItem& item, AnsiString* line);
int32_t OpDeleteFile(const ScriptItem& item, AnsiString* line);
int32_t OpDeleteFiles(const ScriptItem& item, AnsiString* line);
int32_t OpCheckFile(const ScriptItem& item, AnsiString* line);
int32_t OpModifyFile(const ScriptItem& item, AnsiString* line);
int32_t OpMergeFiles(const ScriptItem& item, AnsiString* line);
int32_t OpReplaceText(const ScriptItem& item, AnsiString* line);

// IDE and registry operations.
int32_t OpCompilePackage(const ScriptItem& item, AnsiString* line);
int32_t OpRegisterPackage(const ScriptItem& item, AnsiString* line);
int32_t OpAddSearchPath(const ScriptItem& item, AnsiString* line);
int32_t OpSetHelpDir(const ScriptItem& item);
int32_t OpRegisterWinHelp(const ScriptItem& item, AnsiString* line);
int32_t OpCreateRegKey(const ScriptItem& item);
int32_t OpRegisterUninstall(AnsiString* line);
