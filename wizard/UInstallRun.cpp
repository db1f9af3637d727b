#include "wizard/UInstallRun.h"

#include <windows.h>

#include "catalogue/UConst.h"
#include "script/UItemError.h"
#include "script/UOperations.h"
#include "script/UScript.h"
#include "uninstall/UDeinstall.h"
#include "util/UFileTree.h"
#include "util/UFolderIdentity.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/URegistry.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "wizard/UInstallRecord.h"

namespace {

// "EstimatedSize" in KB, measured on the install folder once every file is
// in place; only into an entry that the run wrote.
void RecordInstalledSize() {
    AnsiString key = UninstallRegistryKey();
    AnsiString name;
    if (!ReadRegString(RootLocalMachine, key.CStr(), DisplayNameValueName, &name)) return;
    uint64_t kilobytes = (DirectoryTreeBytes(InstallDir.CStr()) + 1023) / 1024;
    WriteRegDword(RootLocalMachine, key.CStr(), EstimatedSizeValueName,
                  kilobytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kilobytes));
}

// Ends the run and takes back what it did by replaying its own uninstall
// log, as an update takes back an earlier installation, then its logs and
// the folders it made for them while they stay empty; last the journal puts
// back what the replay cannot (it deletes the help index files again).
void TakeBackRun(TScript* script) {
    script->Finish();
    // The script leaves the process in one of the folders it made, which
    // could then not go.
    SetCurrentDirectoryA(GetKindDirectory(dkTemp).CStr());
    TDeinstall log;
    if (log.LoadLog(JoinPath(InstallDir, UninstallLogName).CStr()) == 0) {
        log.ReadHeader();
        log.Run();
    }
    // The run's folders go free, so that those it made can go.
    ReleaseHeldFolders();
    // The entry and the record are the product's own, whatever the log could name.
    DeleteRegKeyTree(RootLocalMachine, UninstallRegistryKey().CStr());
    DeleteRegKeyTree(RootLocalMachine, ProductRegistryKey);
    const char* const logs[] = {InstallLogName, UninstallLogName};
    for (const char* name : logs) {
        AnsiString log = JoinPath(InstallDir, name);
        if (!LinkInProductFolders(log)) DeleteFileA(log.CStr());
    }
    RemoveCreatedFolders(InstallDir, script->CreatedFolder);
    script->Journal.Restore();
}

// Whether the item failed on a file that another program holds open (an IDE
// its package, a help window its file). Windows says so of a running
// program's file with access denied, as of a file that the user may not
// change: a file in use is one that cannot be opened alone.
bool FileInUse(int32_t code, const ScriptItem& item) {
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return true;
    if (code != ERROR_ACCESS_DENIED) return false;
    AnsiString path = ItemOpcode(item) == siCopyFile ? TargetPath(item) : ItemPath(item);
    TScopedFile file(CreateFileA(path.CStr(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return !file.IsValid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// The run's own end: the folders it held go free.
struct TFolderHolds {
    ~TFolderHolds() { ReleaseHeldFolders(); }
};

}  // namespace

TInstallOutcome RunInstallScript(TInstallObserver* observer) {
    TInstallOutcome outcome;
    TScript script(TakeBackEarlierInstallation);
    TFolderHolds holds;
    script.Start();
    // From here on the install folder and the IDEs' folders are the ones
    // the run began with.
    HoldProductFolders();
    outcome.RemovedPrevious = script.RemovedPrevious;
    // Without its folder every item would fail, one by one, and in a folder
    // that others can change nothing of the product is safe: the run stops.
    if (!script.FolderMade) {
        TakeBackRun(&script);
        outcome.FolderNotMade = true;
        return outcome;
    }
    // The folder was there before, with the user's files: this run has put
    // nothing there to take back.
    if (script.ProtectError != 0) {
        outcome.FolderNotProtected = true;
        return outcome;
    }
    RecordFolderAhead();
    observer->Started(script.ItemCount(), script.RemovedPrevious);
    AnsiString caption;
    while (script.Index < script.ItemCount()) {
        script.ItemCaption(&caption);
        observer->ShowStep(caption);
        int32_t code = script.ExecuteItem();
        // Every later write would fail as well, each with its own report,
        // and leave an installation cut short: the run stops here, once.
        if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) {
            outcome.DiskFullAt = script.LogLine;
            TakeBackRun(&script);
            return outcome;
        }
        const ScriptItem& item = ScriptItems[script.Index];
        while (code != 0 && observer->ReportFailure(ItemErrorText(script.Index, code, item.Id, script.LogLine),
                                                    FileInUse(code, item))) {
            code = script.ExecuteItem();
        }
        if (code != 0) ++outcome.FailedItems;
        observer->ItemDone(script.ItemStep());
        ++script.Index;
        if (observer->CancelRequested()) {
            TakeBackRun(&script);
            outcome.Cancelled = true;
            return outcome;
        }
    }
    RecordInstalledSize();
    observer->Completed();
    return outcome;
}

AnsiString StoppedRunText(const TInstallOutcome& outcome) {
    if (!outcome.Cancelled && !outcome.FolderNotMade && !outcome.FolderNotProtected && outcome.DiskFullAt.IsEmpty()) {
        return AnsiString();
    }
    AnsiString text =
        outcome.FolderNotMade ? AnsiString("Setup cannot create the folder ") + InstallDir + ". Nothing was installed."
        : !outcome.DiskFullAt.IsEmpty()
            ? AnsiString("The disk is full. Setup stopped at this step:\r\n\r\n") + outcome.DiskFullAt +
                  "\r\n\r\nEverything it had installed has been removed. Please free some space on the disk "
                  "and run Setup again."
        : outcome.FolderNotProtected
            ? AnsiString("Setup cannot make the folder ") + InstallDir +
                  " a program folder that only administrators can change, and users other than administrators "
                  "can change it now. Nothing was installed."
            : AnsiString("The installation of ") + ProductNameAndVersion() +
                  " was cancelled. Everything it had installed has been removed.";
    if (outcome.RemovedPrevious) {
        text = text + "\r\n\r\nThe earlier installation of " + ProductName +
               " was removed before the install began, so " + ProductName + " is no longer installed.";
    }
    return text;
}
