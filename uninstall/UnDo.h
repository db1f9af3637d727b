// The undo actions: one per kind of uninstall record, each removing what the
// matching install operation added. Every action is best effort: it does
// what it can, so that the replay always goes on; the file actions name the
// product's files that they could not delete (held open by an IDE or a help
// window, refused by Windows), so that the replay can say so and try again.
// IDE actions work on the IDE at CurrentIdeIndex, as the replay set it.
#pragma once

#include <stdint.h>

#include "catalogue/UbrcStringList.h"
#include "script/UScriptItems.h"
#include "script/UUninstallRecord.h"
#include "util/UAnsiString.h"
#include "util/UArray.h"

// A record of the uninstall log as the replay reads it.
struct TUninstallRecord {
    uint32_t Code;     // opcode of the item that wrote it, with its flags
    uint32_t Arg;
    uint32_t DirKind;
    AnsiString Text;
    uint32_t Offset = 0;  // where it starts in the log
    uint32_t Kind() const { return Code & 0xFFFF; }
};

// The product's files that undo actions could not delete, each with the
// Windows error that the deletion failed with.
class TLeftFiles {
public:
    TLeftFiles() = default;
    TLeftFiles(const TLeftFiles&) = delete;
    TLeftFiles& operator=(const TLeftFiles&) = delete;

    // Notes `path` with `error`, unless the error says that the file is not
    // there (2, 3) or lies behind a link (which is never the product's to
    // delete), or it is Exempt; false when it was noted or is already.
    bool Note(const AnsiString& path, uint32_t error);
    int32_t Count() const { return Paths.Count(); }
    uint32_t Error(int32_t index) const;
    void Clear();

    TbrcStringList Paths;
    // A file that is never noted: the uninstaller that started the replay,
    // which goes once it has ended.
    AnsiString Exempt;

private:
    TArray<uint32_t> errors_;  // beside Paths
};

struct TEarlierInstall;

void UndoPackage(const TUninstallRecord& record);
void UndoSearchPath(const TUninstallRecord& record);
void UndoHelpText(const TUninstallRecord& record);
// Only a value that names the install folder or a folder below it: the
// product's help.
void UndoWinHelp(const TUninstallRecord& record);
void UndoRegistryKey(const TUninstallRecord& record);
void UndoUninstallEntry(const TUninstallRecord& record, const AnsiString& uninstallKeyName);
// In the install folder, only a file that the product made (this release's
// script, or the earlier installation's install.log, in `earlier`); the
// product's files go also when read-only. False, with the file in `left`,
// when it is there and could not be deleted.
bool UndoDeleteFile(const TUninstallRecord& record, const TEarlierInstall& earlier, TLeftFiles* left = nullptr);
// The product's files and what the tools left beside them, then the folders
// left empty; a folder that the install clears goes whole when the record
// says that the install made it. False, with the files in `left`, when some
// could not be deleted.
bool UndoDirectory(const TUninstallRecord& record, const TEarlierInstall& earlier, TLeftFiles* left = nullptr);
void UndoSelectIde(const TUninstallRecord& record);

// Removes `entry` (a whole entry, without regard to case) from the current
// IDE's library search path; the value is written back only when it held it.
void RemoveSearchPathEntry(const AnsiString& entry);

// The checks below need no system call.

// The uninstaller's exit codes once its replay has run.
const int UninstallRemoved = 0;
const int UninstallLogCutShort = 4;         // what the log held went; parts may remain
const int UninstallDoneAtRestart = 8;       // files left are removed when Windows restarts
const int UninstallFilesLeft = 9;           // files left that nothing will remove: run it again

// Which of them, from the log being cut short, the product's files left
// after the replay, and how many of those were scheduled for removal when
// Windows restarts. Files left unscheduled count first: only running the
// uninstall again removes them.
int UninstallExitCode(bool cutShort, int32_t filesLeft, int32_t filesScheduled);

// The body of the box that names the files left: a line that says what they
// are, then at most `shown` paths, each followed by the reason at the same
// index (indented), then "and N more." for the rest.
AnsiString LeftFilesText(const AnsiString& product, const TbrcStringList& paths, const TbrcStringList& reasons,
                         int32_t shown);

// Whether a folder may be removed itself: never an empty or relative path, a
// drive root, or the Windows or system folder (compared as file names).
bool IsRemovableTree(const AnsiString& path, const AnsiString& windowsDir,
                     const AnsiString& systemDir);

// An uninstall log lies in the install folder, which other users may be able
// to write, and is replayed with the rights of whoever runs the replay; it may
// also come from an earlier release, whose script wrote other records. So a
// record is undone when it lies in the product's territory, whatever release
// wrote it, and never outside it:
// - folders and files of the install folder, by names relative to it (no
//   drive, no stream, no "..") when the log lies in that folder; of files
//   only those that the product made (see UndoDeleteFile);
// - an IDE's help index file (Help\*.gid), which the IDE makes anew, and the
//   product's INI file in the Windows folder;
// - design packages and search path entries below the install folder, and
//   help lines that name the product's help file, for an IDE that the product
//   knows and only inside that IDE's block of the log;
// - Windows help values (see UndoWinHelp), the product's own key and its
//   Add/Remove Programs entry.
// Links on the way are refused when the undo acts.

// What the replay knows besides the record.
struct TReplayState {
    bool InstallDirKnown = false;  // the header named the folder that holds the log
    int32_t IdeIndex = 0;          // CurrentIdeIndex
    AnsiString IdeRoot;            // that IDE's root folder on this machine, or empty
    int32_t BlockIde = 0;          // the IDE of the log's block that holds the record, 0 outside one
};

bool MayUndo(const TUninstallRecord& record, const TReplayState& state);

// The record of the product's own key: the one that the script creates,
// under its root.
bool IsProductKey(const TUninstallRecord& record);

// A name below a folder: not empty (unless `mayBeEmpty`), relative, with no
// drive, stream, wildcard or control character and no "." or ".." or empty
// component.
bool IsRelativeName(const AnsiString& name, bool mayBeEmpty);

// One line, after an optional leading line break, that names the product's
// help file: ":Link vllib.hlp" or ":Index <title>=vllib.hlp", in any case.
bool IsProductHelpLine(const AnsiString& text);

// Whether the file `name` is one that the Delphi or C++Builder tools leave
// beside the product's file `product` (both without folder, any case): the
// same name with an extension those tools write (.dcu .dcp .bpl .bpi .lib
// .obj .hpp .tds .map .drc .ilc .ild .ilf .ils .csm .#nn), or, beside a
// help file (.hlp), WinHelp's index and full-text files (.gid .fts .ftg).
bool IsLeftBeside(const AnsiString& name, const AnsiString& product);

// An absolute folder: "X:" (a drive's root, as the install folder names it),
// "X:\..." or "\\server\share...".
bool IsAbsoluteFolder(const AnsiString& folder);
// Whether the install folder that a log's header names is the folder that
// holds the log: absolute, and the same without regard to case, with
// "/" as "\" and repeated or trailing separators ignored.
bool IsLogFolder(const AnsiString& folder, const AnsiString& logFolder);

// What the installation being taken back made below its install folder, as
// its install.log tells: names relative to that folder. (The install log
// lies beside the uninstall log; an earlier release's names differ from
// this one's.)
struct TEarlierInstall {
    TbrcStringList Files;    // copied with success
    TbrcStringList Folders;  // created with success
    TbrcStringList Cleared;  // cleared: the product's whole
    // An update's replay leaves the two logs, which the new run writes over:
    // a run ended in between still finds the log, and in it that the
    // product made the folder.
    bool LogsStay = false;
};
// Reads the lines of install.log that name a file or folder below
// `installDir`. Other lines, and names that are not relative names below it,
// are passed over.
void ReadInstallLog(const AnsiString& text, const AnsiString& installDir, TEarlierInstall* earlier);

// Whether `name` (relative to the directory of `dirKind`) is a file that the
// product makes: by this release's script, one of the two logs, or listed in
// `earlier`. Without regard to ASCII case.
bool IsProductFile(uint32_t dirKind, const AnsiString& name, const TEarlierInstall& earlier);
// Whether the folder is one that the install clears (an IDE's folder): the
// product's whole.
bool IsClearedFolder(uint32_t dirKind, const AnsiString& folder, const TEarlierInstall& earlier);

// What taking back a folder removes, and nothing else: the files that the
// product makes below it, then the folders that it creates below it, each
// before its parent, so that those left empty can go. Names are relative to
// the directory of `dirKind`; a `folder` of "" stands for that directory.
class TProductPaths {
public:
    TProductPaths(uint32_t dirKind, const AnsiString& folder, const TEarlierInstall& earlier)
        : dirKind_(dirKind), folder_(folder), earlier_(earlier) {}
    bool NextFile(AnsiString* name);
    bool NextFolder(AnsiString* name);

private:
    bool IsBelow(const char* name) const;

    uint32_t dirKind_;
    AnsiString folder_;
    const TEarlierInstall& earlier_;
    int32_t file_ = 0;    // script items, the two logs, then the earlier files
    int32_t folderStep_ = 0;  // the script's folders (backwards), then the earlier ones (backwards)
};
