#include "script/UScript.h"

#include "catalogue/UConst.h"
#include "script/UInstallLogLines.h"
#include "script/UItemError.h"
#include "script/UOperations.h"
#include "util/UFileTree.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/USecurity.h"
#include "util/UText.h"
#include "util/UTextFile.h"


AnsiString FailureReason(int32_t code) {
    if (code == static_cast<int32_t>(ErrorLinkOnTheWay)) return "A link lies on the way to it, and Setup follows none.";
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) --length;
    return AnsiString(text, length < sizeof text ? length : 0);
}

TScript::TScript(TTakeBackEarlier takeBackEarlier, const ScriptItem* items, int32_t count)
    : takeBackEarlier_(takeBackEarlier), items_(items), count_(count) {}

TScript::~TScript() { Finish(); }

int32_t TScript::Start() {
    // An earlier installation goes first; its folder becomes this one's
    // (InstallDir is taken from its log), and its logs are replaced.
    RemovePreviousInstallation();
    // Half-written files of a run that was ended, in the folders it edits.
    RemoveRewriteLeftovers();
    // Noted so that a cancelled run can take away the folders it made, and
    // an uninstall those that the product made.
    CreateDirectoryPath(InstallDir.CStr(), &CreatedFolder, FolderSecurityFor(InstallDir));
    FolderMade = IsFolder(InstallDir.CStr());
    if (FolderMade && !CreatedFolder.IsEmpty()) {
        MadeFolders.Append(InstallDir);
        // Each separator below the outermost folder made is one more folder.
        uint32_t above = 0;
        for (AnsiString folder = InstallDir; folder.Length() > CreatedFolder.Length(); folder = ParentPath(folder)) {
            ++above;
        }
        if (above > ParentsMade) ParentsMade = above;
    }
    // A folder that was there before becomes the product's: nothing that
    // another user placed there can be changed by that user from now on, the
    // logs and the uninstaller included.
    if (FolderMade && !IsMadeFolder(InstallDir) && OthersCanChangePath(InstallDir)) {
        ProtectError = ProtectExistingFolder(InstallDir);
        FolderProtected = ProtectError == 0;
        // Nothing goes into it then, not even the logs.
        if (ProtectError != 0) return 0;
    }
    OpenInstallLog();
    if (FolderProtected) WriteInstallLogLine(AnsiString(LogProtectingDirectory) + InstallDir + LogSuccess);
    OpenUninstLog();
    Index = 0;
    return 0;
}

int32_t TScript::Finish() {
    FlushLogs();
    uninstLog_.Close();
    installLog_.Close();
    return 0;
}

void TScript::ItemCaption(AnsiString* caption) const {
    if (Index < 0 || Index >= count_) return;
    switch (ItemOpcode(items_[Index])) {
    case siCompilePackage: *caption = "Compiling package"; break;
    case siCreateDirectory: *caption = "Creating directory"; break;
    case siExtractFile: *caption = "Copying file"; break;
    default: break;
    }
}

int32_t TScript::ExecuteItem() {
    if (Index < 0 || Index >= count_) return 0;
    int32_t result = ExecuteOneItem(items_[Index]);
    // The log is whole once the last item has run: an uninstall can tell a
    // log that was cut short.
    if (Index == count_ - 1) WriteEndOfLog();
    return result;
}

int32_t TScript::ExecuteOneItem(const ScriptItem& item) {
    uint32_t op = ItemOpcode(item);

    // Inside a block whose test failed, only its own end item counts.
    if (SkipOp != 0) {
        if (op == SkipOp && item.Value == SkipMask) SkipOp = SkipMask = 0;
        return 0;
    }
    LogLine = AnsiString();
    if (CopyOnly && !(op & (FileSystemClass | ControlClass))) return 0;
    // A compiled runtime package goes into the system folder as part of its
    // registration, which copying only leaves out: nothing was compiled.
    if (CopyOnly && op == siCopyFile && item.Target && item.Target->DirKind == dkSystem) return 0;

    KeepUnrecordedTarget(item);
    // A compile writes files and registry values that no record names until
    // its package is registered: what the log holds so far must be on the
    // disk first.
    if (op == siCompilePackage) FlushLogs();
    // The Add/Remove Programs entry is recorded before it is written: an
    // install ended between the two leaves an uninstall that takes it away.
    // Every other item is recorded after it ran.
    bool recordFirst = op == siRegisterUninstall;
    if ((item.Id & sfRecordUndo) && recordFirst) WriteUninstRecord(item);
    int32_t result = Perform(item);
    // A failing item is logged as the wizard reports it, its own line last,
    // and then the reason a Windows call gave (a missing file is all that a
    // check tells).
    if (result > 0 && op != siCheckFile) {
        AnsiString reason = FailureReason(result);
        if (!reason.IsEmpty() && !LogLine.IsEmpty()) LogLine += "\r\n";
        LogLine += reason;
    }
    if (result != 0) {
        AnsiString report = ItemErrorText(Index, result, item.Id, LogLine);
        if (LogLine.IsEmpty()) report.SetLength(report.Length() - 2);
        WriteInstallLogLine(report);
    } else if (!LogLine.IsEmpty()) {
        WriteInstallLogLine(LogLine);
    }
    // Recorded whether or not the operation succeeded: undoing what did not
    // happen is harmless.
    if ((item.Id & sfRecordUndo) && !recordFirst) WriteUninstRecord(item);
    return result;
}

// The file that an item changes outside the install folder and that the
// uninstall log cannot put back (a copy, a merge, a deletion), kept in the
// journal before the change. Inside the install folder the log's record of
// the folder takes everything back.
void TScript::KeepUnrecordedTarget(const ScriptItem& item) {
    AnsiString path;
    switch (ItemOpcode(item)) {
    case siCopyFile: path = TargetPath(item); break;
    case siMergeFiles: path = ItemPath2(item); break;
    case siDeleteFile: path = ItemPath(item); break;
    default: return;
    }
    if (RelativeStart(InstallDir, path) != 0) return;
    Journal.Keep(path);
}

int32_t TScript::RemovePreviousInstallation() {
    // What it made and left (a file of the user's kept it) is still the
    // product's, in the folder that this run goes on in.
    if (takeBackEarlier_(&MadeFolders, &ParentsMade)) {
        RemovedPrevious = true;
        LogLine += LogSuccess;
    }
    return 0;
}

// The IDE's compiler and make tool run with administrator rights from its
// folder: one that other users can change lets them run anything so. The
// product cannot mend that, but says so, once per IDE.
void TScript::WarnOfIdeFolder() {
    if (CopyOnly || CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount) return;
    uint32_t mask = 1u << (CurrentIdeIndex - 1);
    if (warnedIdes_ & mask) return;
    warnedIdes_ |= mask;
    const AnsiString& root = BorlandProducts[CurrentIdeIndex - 1].RootDir;
    if (root.IsEmpty()) return;
    const AnsiString folders[] = {root, JoinPath(root, "bin")};
    for (const AnsiString& folder : folders) {
        if (OthersCanChangePath(folder)) {
            LogLine = AnsiString("Warning: users other than administrators can change the folder ") + folder +
                      ", from which the IDE's compiler and make tool run with administrator rights";
            return;
        }
    }
}

bool TScript::IsMadeFolder(const AnsiString& path) const {
    for (int32_t i = 0; i < MadeFolders.Count(); ++i) {
        if (IsSameFolder(MadeFolders.Get(i), path)) return true;
    }
    return false;
}

static_assert(siEndIfVersions == siIfVersions + 1 && siEndIfItems == siIfItems + 1 &&
                  siEndIfCustomized == siIfCustomized + 1 && siEndIfNotCustomized == siIfNotCustomized + 1,
              "a block's end opcode must be its start's + 1");

int32_t TScript::Perform(const ScriptItem& item) {
    // A block start whose test fails skips to the end item of its own kind
    // (the start opcode + 1) with the same Value.
    auto skipUnless = [this, &item](bool run) {
        if (!run) {
            SkipOp = ItemOpcode(item) + 1;
            SkipMask = item.Value;
        }
        return 0;
    };
    // Every opcode has its case (one without fails to compile); a value
    // without a row does nothing.
    switch (static_cast<TScriptOpcode>(ItemOpcode(item))) {
    case siSelectIde:
        CurrentIdeIndex = static_cast<int32_t>(item.Value);
        WarnOfIdeFolder();
        return 0;
    case siIfVersions: return skipUnless((item.Value & InstallVersions) != 0);
    case siIfItems: return skipUnless((item.Value & InstallItems) != 0);
    case siIfCustomized: return skipUnless((item.Value & CustomizeItems) != 0);
    case siIfNotCustomized: return skipUnless((item.Value & CustomizeItems) == 0);

    case siCreateDirectory: {
        bool made = false;
        int32_t result = OpCreateDirectory(item, &LogLine, &made);
        AnsiString path = ItemPath(item);
        if (made) MadeFolders.Append(path);
        itemMadeFolder_ = IsMadeFolder(path);
        return result;
    }
    case siExtractFile: return OpExtractFile(item, &LogLine, true);
    case siExtractIfAbsent: return OpExtractFile(item, &LogLine, false);
    case siExtractIfNewer: return OpExtractIfNewer(item, &LogLine);
    case siClearDirectory: return OpClearDirectory(item, &LogLine, IsMadeFolder(ItemPath(item)));
    case siSetCurrentDir: return OpSetCurrentDir(item);
    case siCopyFile: return OpCopyFile(item, &LogLine);
    case siCopyFiles: return OpCopyFiles(item, &LogLine);
    case siDeleteFile: return OpDeleteFile(item, &LogLine);
    case siDeleteFiles: return OpDeleteFiles(item, &LogLine);
    case siCheckFile: return OpCheckFile(item, &LogLine);
    case siModifyFile: return OpModifyFile(item, &LogLine);
    case siMergeFiles: return OpMergeFiles(item, &LogLine);
    case siReplaceText: return OpReplaceText(item, &LogLine);

    case siCompilePackage: return OpCompilePackage(item, &LogLine);
    case siRegisterPackage: return OpRegisterPackage(item, &LogLine);
    case siAddSearchPath: return OpAddSearchPath(item, &LogLine);
    case siSetHelpDir: return OpSetHelpDir(item);
    case siRegisterWinHelp: return OpRegisterWinHelp(item, &LogLine);
    case siCreateRegKey: return OpCreateRegKey(item);
    case siRegisterUninstall: return OpRegisterUninstall(&LogLine);
    case siUninstallPrevious: return RemovePreviousInstallation();

    // Header items exist for their records; end items of running blocks do
    // nothing.
    case siUninstallHeader:
    case siEndIfVersions:
    case siEndIfItems:
    case siEndIfCustomized:
    case siEndIfNotCustomized: return 0;
    }
    return 0;
}
