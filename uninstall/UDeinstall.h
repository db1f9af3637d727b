// TDeinstall takes back an earlier installation: it loads its uninstall log
// (uninst.log), reads the header, and replays the action records from the
// last written to the first, each through its undo action.
//
//   TDeinstall log;
//   if (log.LoadLog(path) == 0) { log.ReadHeader(); log.Run(); }
#pragma once

#include <stdint.h>

#include "catalogue/UbrcStringList.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UnDo.h"
#include "util/UAnsiString.h"
#include "util/UArray.h"

// LoadLog's results besides 0.
const int32_t dlCannotOpen = -2;
const int32_t dlEmpty = -3;
const int32_t dlNotALog = -4;     // shorter than the magic, or another magic
const int32_t dlBroken = -5;      // a record whose two lengths disagree
// Run's refusal: the log does not lie in the install folder that it names,
// so nothing of what it names is the product's on its word.
const int32_t dlNotItsFolder = -6;

class TDeinstall {
public:
    TDeinstall() = default;
    ~TDeinstall();
    TDeinstall(const TDeinstall&) = delete;
    TDeinstall& operator=(const TDeinstall&) = delete;

    // Reads the log file whole and checks it (see SetLogData); -2 when it
    // cannot be opened or is a link. Sets LogFolder, reads install.log beside
    // it and reads the header, judging by final paths whether the log lies
    // in the install folder it names. The file stays open until the replay
    // ends (or the object goes): the marks of records undone are written
    // through that one handle.
    int32_t LoadLog(const char* fileName);
    // Takes a copy of a log's bytes and checks them: -2 no memory for it, -3 empty, -4 not a log,
    // -5 when a record does not hold together yet whole ones follow it
    // (nothing of such a log is replayed). A last record cut short, as a
    // crash while writing it leaves it, and the zeros or old bytes that a
    // power cut leaves after the last record written, are left out: the log
    // ends before them.
    int32_t SetLogData(const char* data, uint32_t size);
    // Reads the header records: the product's names, the uninstall key, the
    // install folder and the replay order. The install folder goes into
    // InstallDir only when it is the folder that holds the log (by final
    // paths after LoadLog, else by its text), the uninstall key only when it
    // is the product's own: a log could otherwise choose what goes.
    int32_t ReadHeader();
    // The next record in replay order; false when there is none.
    bool NextRecord(TUninstallRecord* record);
    // The IDE of the log's block that holds the record at `offset`: the
    // install writes each IDE's records between two select records of that
    // IDE; in a log cut short the last block may lack the second. 0 outside
    // such a block. (ReadHeader indexes the blocks.)
    int32_t BlockIdeAt(uint32_t offset) const;
    // Replays every record through its undo action, except those undone
    // before, and marks each undone in the log file; then closes the log and
    // removes the install folder if nothing is left in it (see
    // RemoveInstallFolder). Refuses with dlNotItsFolder, taking back nothing
    // at all, when the header did not name the folder that holds the log.
    // A record whose files could not all be deleted is not marked: a second
    // run tries them again. Those files are in Left.
    int32_t Run();
    // The install folder once it is empty, and then the folders above it
    // that the install made for it (its record says how many) while they are
    // empty. Nothing unless the log's record says that the install made the
    // folder.
    void RemoveInstallFolder();
    // Lets the log file go.
    void CloseLogFile();

    AnsiString LoggedProductName;
    AnsiString LoggedVersion;
    AnsiString LoggedEdition;
    AnsiString LoggedProductKey;
    AnsiString LoggedInstallDir;
    AnsiString UninstallKeyName;
    // The folder that holds the log, as LoadLog was given it.
    AnsiString LogFolder;
    // The header named LogFolder as the install folder.
    bool InstallDirKnown = false;
    // An update replays the earlier installation's log: its installation
    // record (folder and choice) stays until the new one is whole, and its
    // logs until the new run writes its own, so that a run ended half-way
    // still tells the next one what was installed and where.
    bool KeepInstallRecord = false;

    // The product's files that the last Run could not delete. While there
    // are any, and KeepWhileFilesLeft, the replay stops before the install
    // folder's record, keeping the logs, the uninstaller and the Add/Remove
    // Programs entry that starts it: the uninstall can run again from there.
    TLeftFiles Left;
    bool KeepWhileFilesLeft = true;

    // The log does not hold a whole run: its last record was cut short, or
    // it lacks the record that the install writes after its last item (a
    // damaged disk, an install that was ended half-way).
    bool CutShort = false;
    // The path LoadLog was given.
    AnsiString LogPath;
    // install.log beside it, as the earlier installation wrote it (empty when
    // there is none): what that installation made below its folder.
    AnsiString InstallLogText;
    // The folders that the replay found recorded as made by the install (full
    // paths), and how many folders above the install folder it made: an
    // update that finds them still there treats them as its own.
    TbrcStringList MadeFolders;
    uint32_t ParentsMade = 0;

    uint32_t LogSize = 0;         // bytes of whole records in LogData
    char* LogData = nullptr;
    uint32_t Cursor = 0;
    uint32_t ReplayStart = 0;
    uint32_t ReplayBound = 0;
    bool Backward = false;

private:
    // Takes over a buffer from malloc and checks it as SetLogData does.
    int32_t AdoptLogData(char* data, uint32_t size);
    // Writes the record's Code with RecordUndone into the log file.
    void MarkUndone(const TUninstallRecord& record);
    // Notes where the body's select records are, for BlockIdeAt.
    void IndexBlocks();
    // Notes a folder that the record says the install made.
    void NoteMadeFolder(const TUninstallRecord& record);

    struct TSelect {
        uint32_t Offset;
        int32_t Ide;
    };
    TArray<TSelect> selects_;  // in the order of the log
    // The log file from LoadLog, and how it is closed (a system handle).
    void* logFile_ = nullptr;
    void (*closeLogFile_)(void*) = nullptr;
    bool canMark_ = false;
    // LoadLog's judgement of the header's install folder by final paths.
    bool placeChecked_ = false;
    bool placeIsLogFolder_ = false;
    bool installFolderMade_ = false;
    // The header's record of the install folder says the install made it.
    bool headerFolderMade_ = false;
};

// The log path named by an "UninstallString": the text after the last
// double quote once a closing one is dropped, else the text after the last
// blank; at most 255 characters. Empty when there is none.
AnsiString LogPathFromUninstallString(const AnsiString& command);

// The folder of the earlier installation that Add/Remove Programs names (or,
// without an entry, the installation record): the folder of its uninstall
// log, where an update installs again. Empty when there is none, or its log
// is not there (nothing is taken back then).
AnsiString EarlierInstallFolder();

// Removes the earlier installation that EarlierInstallFolder names by
// replaying its uninstall log through `log`, all but its installation
// record; true when it was taken back.
bool UninstallPrevious(TDeinstall* log);
bool UninstallPrevious();
// The same as the install engine takes it, before a run begins.
bool TakeBackEarlierInstallation(TbrcStringList* madeFolders, uint32_t* parentsMade);
