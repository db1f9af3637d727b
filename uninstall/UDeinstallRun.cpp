// Loading an uninstall log from its file, and replaying it.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "catalogue/UConst.h"
#include "script/UScriptItems.h"
#include "uninstall/UDeinstall.h"
#include "uninstall/UnDo.h"
#include "util/UFolderIdentity.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "util/UTextFile.h"

namespace {

// The longest install.log read: a whole one of every part is about 60 KB.
const uint32_t MaxInstallLog = 4 * 1024 * 1024;

void CloseHandleOf(void* file) { CloseHandle(static_cast<HANDLE>(file)); }

bool IsInstallFolderRecord(const TUninstallRecord& record) {
    return record.Kind() == siCreateDirectory && record.DirKind == dkInstallDir && record.Text.IsEmpty();
}

bool IsInstallRecordKey(const TUninstallRecord& record) {
    return record.Kind() == siCreateRegKey && record.Arg == RootLocalMachine &&
           lstrcmpiA(record.Text.CStr(), ProductRegistryKey) == 0;
}

}  // namespace

int32_t TDeinstall::LoadLog(const char* fileName) {
    CloseLogFile();
    placeChecked_ = false;
    LogFolder = AnsiString(fileName, LastNameStart(fileName));
    LogPath = fileName;
    // Opened once for the whole replay, its marks written through this
    // handle: never to whatever bears the name by then. Others may read it,
    // and the replay may delete it (it is one of the product's files); nobody
    // may write it meanwhile. A log that cannot be written is read all the
    // same, without marks.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    bool writable = file != INVALID_HANDLE_VALUE;
    if (!writable) {
        file = CreateFileA(fileName, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                           nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return dlCannotOpen;
    logFile_ = file;
    closeLogFile_ = CloseHandleOf;
    canMark_ = writable;
    // A link in the log's place is not the log: where it really lies must be
    // the folder it was named in.
    BY_HANDLE_FILE_INFORMATION information;
    AnsiString finalLog, finalFolder;
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !FinalPathOfHandle(file, &finalLog) ||
        !FinalFolderPath(LogFolder.IsEmpty() ? AnsiString(".") : LogFolder, &finalFolder) ||
        !IsSameFolder(ParentPath(finalLog), finalFolder)) {
        CloseLogFile();
        return dlCannotOpen;
    }
    DWORD size = GetFileSize(file, nullptr);
    if (size == 0) return dlEmpty;
    if (size == INVALID_FILE_SIZE) return dlCannotOpen;
    char* data = static_cast<char*>(malloc(size));
    if (!data) return dlCannotOpen;
    DWORD read = 0;
    if (!ReadFile(file, data, size, &read, nullptr)) read = 0;
    // Without a whole one, the files that install.log names are not known;
    // one reached through a link names nothing of this folder.
    TScopedFile installLog(INVALID_HANDLE_VALUE);
    if (!OpenForReadingNoFollow(JoinPath(LogFolder, InstallLogName), &installLog) ||
        ReadWholeFile(installLog.Get(), &InstallLogText, MaxInstallLog) != 0) {
        InstallLogText = AnsiString();
    }
    int32_t result = AdoptLogData(data, read);
    if (result != 0) return result;
    // The install folder that the header names is the log's folder when both
    // are one folder, whatever text names them.
    ReadHeader();
    AnsiString finalInstallDir;
    placeIsLogFolder_ = IsAbsoluteFolder(LoggedInstallDir) && FinalFolderPath(LoggedInstallDir, &finalInstallDir) &&
                        IsSameFolder(finalInstallDir, finalFolder);
    placeChecked_ = true;
    ReadHeader();
    return 0;
}

void TDeinstall::MarkUndone(const TUninstallRecord& record) {
    uint32_t code = record.Code | RecordUndone;
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((code >> (8 * i)) & 0xFF);
    memcpy(LogData + record.Offset, bytes, sizeof bytes);
    if (!canMark_) return;
    HANDLE file = static_cast<HANDLE>(logFile_);
    DWORD written;
    if (SetFilePointer(file, static_cast<LONG>(record.Offset), nullptr, FILE_BEGIN) == record.Offset) {
        WriteFile(file, bytes, sizeof bytes, &written, nullptr);
    }
}

int32_t TDeinstall::Run() {
    // Nothing of the product is taken back on the word of a log that does
    // not lie in the folder it names: not even its Add/Remove Programs entry.
    if (!InstallDirKnown) {
        CloseLogFile();
        return dlNotItsFolder;
    }
    DetectIdes();
    // The install folder and the IDEs' folders stay where they are until the
    // replay is over.
    HoldProductFolders();
    RemoveRewriteLeftovers();
    // What the installation made, as its install.log tells, for the
    // folders taken back. Read only from the install folder itself.
    TEarlierInstall earlier;
    ReadInstallLog(InstallLogText, InstallDir, &earlier);
    earlier.LogsStay = KeepInstallRecord;
    Cursor = ReplayStart;
    if (headerFolderMade_) {
        MadeFolders.Append(InstallDir);
        installFolderMade_ = true;
    }
    TUninstallRecord record;
    TReplayState state;
    state.InstallDirKnown = InstallDirKnown;
    // Keepable records (the INI file, the product key) are undone like all
    // others. Records outside the product's territory are passed over.
    // Records undone before (a replay stopped half-way) are not undone again.
    // The Add/Remove Programs entry goes last, just before the install
    // folder that holds the uninstaller and the log (or at the end): an
    // uninstall stopped before then is still listed and can be run again from
    // there, and the entry never outlives what it starts. Taking it away
    // twice, after a stop, is harmless: its record is not marked. For the
    // same reason both stay while files of the product's are left.
    Left.Clear();
    bool entryDue = false;
    for (bool more = true; more;) {
        more = NextRecord(&record);
        bool last = !more || IsInstallFolderRecord(record);
        if (last && KeepWhileFilesLeft && Left.Count() > 0) break;
        if (entryDue && last) {
            UndoUninstallEntry(record, UninstallKeyName);
            entryDue = false;
        }
        if (!more) break;
        // A block's records are its IDE's also when the log lacks the select
        // record that closes it, which the backward replay would meet first.
        state.BlockIde = BlockIdeAt(record.Offset);
        if (state.BlockIde != 0) CurrentIdeIndex = state.BlockIde;
        state.IdeIndex = CurrentIdeIndex;
        state.IdeRoot = GetKindDirectory(dkIdeRoot);
        if (!MayUndo(record, state)) continue;
        if (record.Kind() == siCreateDirectory && (record.Code & RecordFolderMade)) NoteMadeFolder(record);
        if (record.Code & RecordUndone) continue;
        TUndoKind undo = UndoKindOf(record.Kind());
        if (undo == ukUninstallEntry) {
            entryDue = true;
            continue;
        }
        if (KeepInstallRecord && IsInstallRecordKey(record)) continue;
        bool undone = true;
        switch (undo) {
        case ukPackage: UndoPackage(record); break;
        case ukHelpText: UndoHelpText(record); break;
        case ukFile: undone = UndoDeleteFile(record, earlier, &Left); break;
        case ukWinHelp: UndoWinHelp(record); break;
        case ukRegistryKey: UndoRegistryKey(record); break;
        case ukSearchPath: UndoSearchPath(record); break;
        case ukSelectIde: UndoSelectIde(record); break;
        case ukFolder: undone = UndoDirectory(record, earlier, &Left); break;
        // MayUndo passes none of these.
        case ukNone:
        case ukHeader:
        case ukUninstallEntry: break;
        }
        // The folder's record stays due while the logs stay in it.
        if (undo != ukSelectIde && undone && !(earlier.LogsStay && IsInstallFolderRecord(record))) {
            MarkUndone(record);
        }
    }
    // A copy-only install records no item for the installation record's
    // key, yet the wizard writes the record; the header names the key.
    if (!KeepInstallRecord && LoggedProductKey.Length() == static_cast<size_t>(lstrlenA(ProductRegistryKey)) &&
        lstrcmpiA(LoggedProductKey.CStr(), ProductRegistryKey) == 0) {
        DeleteRegKeyTree(RootLocalMachine, ProductRegistryKey);
    }
    // The log and the held folders go last: until then the log's folder
    // cannot go.
    CloseLogFile();
    ReleaseHeldFolders();
    RemoveInstallFolder();
    return 0;
}

void TDeinstall::NoteMadeFolder(const TUninstallRecord& record) {
    MadeFolders.Append(JoinPath(GetKindDirectory(record.DirKind), record.Text.CStr()));
    if (record.DirKind == dkInstallDir && record.Text.IsEmpty()) {
        installFolderMade_ = true;
        ParentsMade = record.Arg;
    }
}

void TDeinstall::RemoveInstallFolder() {
    if (!InstallDirKnown || !installFolderMade_) return;
    // Each folder after the one it held, up to the drive's or the share's
    // root, which is never removed.
    AnsiString folder = InstallDir;
    for (uint32_t level = 0; level <= ParentsMade; ++level) {
        if (!IsRemovableTree(folder, GetKindDirectory(dkWindows), GetKindDirectory(dkSystem)) ||
            !RemoveFolderItself(folder)) {
            return;
        }
        folder = ParentPath(folder);
    }
}

namespace {

// The uninstall log that the Add/Remove Programs entry names. Without an
// entry, the one in the folder that the installation record names: a run
// ended before it wrote its entry left it there. Empty without either.
AnsiString EarlierLogPath() {
    AnsiString name, command, folder;
    if (ReadRegString(RootLocalMachine, UninstallRegistryKey().CStr(), DisplayNameValueName, &name)) {
        ReadRegString(RootLocalMachine, UninstallRegistryKey().CStr(), UninstallStringValueName, &command);
        return LogPathFromUninstallString(command);
    }
    if (!ReadRegString(RootLocalMachine, ProductRegistryKey, RootDirValueName, &folder) || !IsAbsoluteFolder(folder)) {
        return AnsiString();
    }
    return JoinPath(folder, UninstallLogName);
}

}  // namespace

AnsiString EarlierInstallFolder() {
    AnsiString logPath = EarlierLogPath();
    DWORD attributes = logPath.IsEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(logPath.CStr());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return AnsiString();
    return ParentPath(logPath);
}

bool UninstallPrevious(TDeinstall* log) {
    AnsiString logPath = EarlierLogPath();
    if (logPath.IsEmpty() || log->LoadLog(logPath.CStr()) != 0) return false;
    log->ReadHeader();
    log->KeepInstallRecord = true;
    return log->Run() == 0;
}

bool UninstallPrevious() {
    TDeinstall log;
    return UninstallPrevious(&log);
}

bool TakeBackEarlierInstallation(TbrcStringList* madeFolders, uint32_t* parentsMade) {
    TDeinstall previous;
    if (!UninstallPrevious(&previous)) return false;
    for (int32_t i = 0; i < previous.MadeFolders.Count(); ++i) madeFolders->Append(previous.MadeFolders.Get(i));
    if (previous.ParentsMade > *parentsMade) *parentsMade = previous.ParentsMade;
    return true;
}
