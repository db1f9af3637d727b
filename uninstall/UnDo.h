// The undo actions: one per kind of uninstall record, each removing what the
// matching install operation added. Every action is best effort: it does
// what it can and reports nothing, so that the replay always goes on.
// IDE actions work on the IDE at CurrentIdeIndex, as the replay set it.
#pragma once

#include <stdint.h>

#include "UAnsiString.h"
#include "UDeinstall.h"
#include "UScriptItems.h"

void UndoPackage(const TUninstallRecord& record);
void UndoSearchPath(const TUninstallRecord& record);
void UndoHelpText(const TUninstallRecord& record);
void UndoWinHelp(const TUninstallRecord& record);
void UndoRegistryKey(const TUninstallRecord& record);
void UndoUninstallEntry(const TUninstallRecord& record, const AnsiString& uninstallKeyName);
void UndoDeleteFile(const TUninstallRecord& record);
void UndoDirectory(const TUninstallRecord& record);
void UndoSelectIde(const TUninstallRecord& record);

// Removes `entry` (a whole entry, without regard to case) from the current
// IDE's library search path; the value is written back only when it held it.
void RemoveSearchPathEntry(const AnsiString& entry);

// The checks below need no system call.

// Whether a folder may be removed itself: never an empty or relative path, a
// drive root, or the Windows or system folder. All three are given
// lower-cased.
bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir);

// An uninstall log lies in the install folder, which other users may be able
// to write, and is replayed with the rights of whoever runs the replay. So a
// record is undone only when a recorded item of the install script writes
// that very record; anything else is passed over.

// What the replay knows besides the record, none of it from the log's body.
struct TReplayState {
    bool InstallDirKnown = false;  // the header named the folder that holds the log
    int32_t IdeIndex = 0;          // CurrentIdeIndex
    AnsiString IdeRoot;            // that IDE's root folder on this machine, or empty
};

// Whether the record may be undone: its kind, directory kind and text (and
// its Arg where the undo reads it) are those of a recorded item; an IDE's
// records only while that IDE's block is being replayed; install folder
// records only when that folder is known, IDE folder records only below a
// root folder found on this machine.
bool MayUndo(const TUninstallRecord& record, const TReplayState& state);

// An absolute folder: "X:" (a drive's root, as the install folder names it),
// "X:\..." or "\\server\share...".
bool IsAbsoluteFolder(const AnsiString& folder);
// Whether the install folder that a log's header names is the folder that
// holds the log: absolute, and the same without regard to ASCII case, with
// "/" as "\" and repeated or trailing separators ignored.
bool IsLogFolder(const AnsiString& folder, const AnsiString& logFolder);

// What taking back a folder that the script creates removes, and nothing
// else: the files that the product makes below it (its payload, what its
// compile steps leave beside each package, in the install folder its two
// logs), then the folders that the script creates below it, each before
// its parent, so that those left empty can go. Names are relative to the
// directory of `dirKind`; a `folder` of "" stands for that directory.
class TProductPaths {
public:
    TProductPaths(uint32_t dirKind, const AnsiString& folder) : dirKind_(dirKind), folder_(folder) {}
    bool NextFile(AnsiString* name);
    bool NextFolder(AnsiString* name);

private:
    bool IsBelow(const char* name) const;

    uint32_t dirKind_;
    AnsiString folder_;
    int32_t file_ = 0;                      // script items, then the two logs
    uint32_t part_ = 0;                     // the files of one item: a compile step leaves several
    int32_t folderItem_ = ScriptItemCount;  // backwards: the script creates parents first
};
