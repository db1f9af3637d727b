// TDeinstall takes back an earlier installation: it loads its uninstall log
// (uninst.log), reads the header, and replays the action records from the
// last written to the first, each through its undo action.
//
//   TDeinstall log;
//   if (log.LoadLog(path) == 0) { log.ReadHeader(); log.Run(); }
#pragma once

#include <stdint.h>

#include "UAnsiString.h"

struct TUninstallRecord {
    uint32_t Code;     // opcode of the item that wrote it, with its flags
    uint32_t Arg;
    uint32_t DirKind;
    AnsiString Text;
    uint32_t Kind() const { return Code & 0xFFFF; }
};

// LoadLog's results besides 0.
const int32_t dlCannotOpen = -2;
const int32_t dlEmpty = -3;
const int32_t dlNotALog = -4;     // shorter than the magic, or another magic
const int32_t dlBroken = -5;      // a record whose two lengths disagree

class TDeinstall {
public:
    TDeinstall() = default;
    ~TDeinstall();
    TDeinstall(const TDeinstall&) = delete;
    TDeinstall& operator=(const TDeinstall&) = delete;

    // Reads the log file whole and checks it (see SetLogData); -2 when it
    // cannot be opened. Sets LogFolder.
    int32_t LoadLog(const char* fileName);
    // Takes a copy of a log's bytes and checks them: -3 empty, -4 not a log,
    // -5 when the records do not hold together (nothing of such a log is
    // replayed). A last record cut short, as a crash while writing it leaves
    // it, is left out: the log ends before it.
    int32_t SetLogData(const char* data, uint32_t size);
    // Reads the header records: the product's names, the uninstall key, the
    // install folder and the replay order. The install folder goes into
    // InstallDir only when it is LogFolder, the uninstall key only when it is
    // the product's own: a log could otherwise choose what goes.
    int32_t ReadHeader();
    // The next record in replay order; false when there is none.
    bool NextRecord(TUninstallRecord* record);
    // Replays every record through its undo action.
    int32_t Run();

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

    uint32_t LogSize = 0;         // bytes of whole records in LogData
    char* LogData = nullptr;
    uint32_t Cursor = 0;
    uint32_t ReplayStart = 0;
    uint32_t ReplayBound = 0;
    bool Backward = false;

private:
    // Takes over a buffer from malloc and checks it as SetLogData does.
    int32_t AdoptLogData(char* data, uint32_t size);
};

// The log path named by an "UninstallString": the text after the last
// double quote once a closing one is dropped, else the text after the last
// blank; at most 255 characters. Empty when there is none.
AnsiString LogPathFromUninstallString(const AnsiString& command);

// Removes an earlier installation registered under Add/Remove Programs by
// replaying its uninstall log; true when the entry named a log.
bool UninstallPrevious();
