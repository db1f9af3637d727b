// redud.exe, the uninstaller that the setup places in the install folder and
// names in the Add/Remove Programs entry:
//
//   redud.exe [uninst.log] [/S]
//
// It replays the installation's uninstall log backwards, which removes the
// product's files and the install folder once nothing else is left in it,
// and with it this program. So it first copies itself into a new private
// folder below the temporary folder and runs from there; the copy removes
// itself and that folder when it ends. The first program waits for the copy
// and ends with its exit code, so that a build script can go on from there;
// the copy then removes the first program's file and the install folder.
// /S removes without asking or reporting. A relative log path is taken from
// the current folder. Exit codes: 0 removed, 1 cancelled, 2 the log cannot
// be read, 3 another setup or uninstall of the product is running, 4 the log
// was cut short (what it held was removed, parts may remain), 5 the copy
// could not be made or started (nothing was removed), 6 it ran out of memory,
// 7 the copy ended before it was done (parts may remain; run it again), 8
// removed, but files that could not be removed (held open by an IDE or a
// help window) go when Windows restarts, 9 files of the product could not be
// removed nor scheduled for then: the entry stays, run it again.
//
// A file that cannot be removed is named, with the reason Windows gave, in
// a box that offers Retry (the replay runs again over what it has not done)
// and Cancel, which has Windows remove what is left when it restarts; /S
// does that without asking.
#include <stdlib.h>
#include <windows.h>

#include "catalogue/UConst.h"
#include "script/UScript.h"
#include "uninstall/UDeinstall.h"
#include "uninstall/UnDo.h"
#include "util/UCodePage.h"
#include "util/UConsole.h"
#include "util/UFileTree.h"
#include "util/ULinks.h"
#include "util/UOutOfMemory.h"
#include "util/UPaths.h"
#include "util/URegistry.h"
#include "util/UScoped.h"
#include "util/USecurity.h"
#include "util/USingleInstance.h"
#include "util/USystemLibraries.h"
#include "util/UText.h"

namespace {

const char Caption[] = "Uninstall";

const int Cancelled = 1;
const int LogUnreadable = 2;
const int AlreadyRunning = 3;
const int CopyNotStarted = 5;
const int CopyEnded = 7;

// How many of the files left the box names.
const int32_t NamedLeftFiles = 5;

struct TArguments {
    AnsiString LogPath;
    bool Silent = false;
    // In the copy: the process of the first stage, its own program file
    // (opened by the first stage for deletion on close), and the pipe that
    // takes its exit code to the first stage.
    TOwnedHandle Launcher;
    TOwnedHandle OwnFile;
    TOwnedHandle Result;
    // What /S says of an end that is not a plain success; the first stage
    // writes it to the console of whoever started it.
    AnsiString Reason;
};

bool IsSwitch(const char* arg, char letter) {
    return (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter + 32) && !arg[2];
}

HANDLE HandleArgument(const char* text) { return reinterpret_cast<HANDLE>(strtoul(text, nullptr, 10)); }

void ParseArguments(TArguments* arguments) {
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        if (IsSwitch(arg, 'S')) {
            arguments->Silent = true;
        } else if (lstrcmpiA(arg, "/RUN") == 0 && i + 3 < __argc) {
            arguments->Launcher.Reset(HandleArgument(__argv[++i]));
            arguments->OwnFile.Reset(HandleArgument(__argv[++i]));
            arguments->Result.Reset(HandleArgument(__argv[++i]));
        } else {
            arguments->LogPath = arg;
        }
    }
}

AnsiString Quoted(const AnsiString& text) { return AnsiString("\"") + text + "\""; }

// Handle values fit in 32 bits on 64-bit Windows too, so that they can pass
// between programs of both kinds.
AnsiString HandleText(HANDLE handle) {
    return Decimal(static_cast<int32_t>(reinterpret_cast<uintptr_t>(handle)));
}

// Gives the first stage the exit code, then the reason, once; it then ends.
void TellLauncher(TArguments* arguments, int code) {
    if (!arguments->Result.IsValid()) return;
    DWORD written;
    int32_t value = code;
    WriteFile(arguments->Result.Get(), &value, sizeof value, &written, nullptr);
    const AnsiString& reason = arguments->Reason;
    if (!reason.IsEmpty()) {
        WriteFile(arguments->Result.Get(), reason.CStr(), static_cast<DWORD>(reason.Length()), &written, nullptr);
    }
    arguments->Result.Close();
}

// The report of an early end, in a box or, with /S, as the reason; its exit
// code goes to the first stage as every other does.
int EndEarly(TArguments* arguments, int code, const AnsiString& report, UINT style) {
    if (arguments->Silent) {
        arguments->Reason = report;
    } else if (!report.IsEmpty()) {
        MessageBoxA(nullptr, report.CStr(), Caption, style);
    }
    return code;
}

// What the replay left of the install folder because the first stage was
// running from it: its program file, then the folder (and those the install
// made above it) if nothing else is in it. Only once the first stage has
// ended.
void RemoveLauncher(const TArguments& arguments, TDeinstall* log) {
    if (arguments.Launcher.IsValid()) WaitForSingleObject(arguments.Launcher.Get(), 30000);
    AnsiString uninstaller = JoinPath(InstallDir, UninstallerName);
    if (!LinkInProductFolders(uninstaller)) DeleteFileA(uninstaller.CStr());
    log->RemoveInstallFolder();
}

// Why a log that does not lie in the folder it names is refused, and where
// that installation's own log is.
AnsiString ElsewhereText(const TDeinstall& log) {
    AnsiString text = AnsiString("The uninstall log ") + log.LogPath;
    if (!IsAbsoluteFolder(log.LoggedInstallDir)) {
        return text + " does not name the folder of its installation. Nothing was removed.";
    }
    return text + " does not lie in the folder of its installation, " + log.LoggedInstallDir +
           ". Nothing was removed. That installation's own log is " +
           JoinPath(log.LoggedInstallDir, UninstallLogName) + ".";
}

// Replays the log (again: only what is not done yet); false when it can no
// longer be read.
bool Replay(TDeinstall* log, const AnsiString& path) {
    if (log->LoadLog(path.CStr()) != 0) return false;
    log->ReadHeader();
    log->Run();
    return true;
}

// Names the files left, with the reason Windows gave for each, and asks
// whether to try again once what holds them is closed.
bool RetryLeftFiles(const TLeftFiles& left, const AnsiString& product) {
    TbrcStringList reasons;
    for (int32_t i = 0; i < left.Count() && i < NamedLeftFiles; ++i) {
        reasons.Append(FailureReason(static_cast<int32_t>(left.Error(i))));
    }
    AnsiString them = left.Count() == 1 ? "it" : "them";
    AnsiString text = LeftFilesText(product, left.Paths, reasons, NamedLeftFiles) +
                      "\r\n\r\nClose the programs that may be using " + them +
                      ", such as Delphi, C++Builder or a help window, and click Retry. Click Cancel to have " + them +
                      " removed when Windows restarts.";
    return MessageBoxA(nullptr, text.CStr(), Caption, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

bool Holds(const TbrcStringList& list, const AnsiString& path) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (IsSameFolder(list.Get(i), path)) return true;
    }
    return false;
}

// Has Windows remove each file left, not already in `scheduled`, when it
// restarts; adds those it took to `scheduled`. How many of the files left
// are scheduled.
int32_t ScheduleLeftFiles(const TLeftFiles& left, TbrcStringList* scheduled) {
    int32_t count = 0;
    for (int32_t i = 0; i < left.Count(); ++i) {
        const AnsiString& path = left.Paths.Get(i);
        if (Holds(*scheduled, path)) {
            ++count;
        } else if (MoveFileExA(path.CStr(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            scheduled->Append(path);
            ++count;
        }
    }
    return count;
}

// Whether everything in `folder` is in `scheduled`.
bool OnlyScheduledIn(const AnsiString& folder, const TbrcStringList& scheduled) {
    WIN32_FIND_DATAA found;
    TScopedFind listing(JoinPath(folder, "*").CStr(), &found);
    if (!listing.IsValid()) return false;
    do {
        if (lstrcmpA(found.cFileName, ".") == 0 || lstrcmpA(found.cFileName, "..") == 0) continue;
        if (!Holds(scheduled, JoinPath(folder, found.cFileName))) return false;
    } while (listing.Next(&found));
    return true;
}

// After the files scheduled, the folders that the install made and that
// hold nothing else, from the deepest up to the install folder: Windows
// takes them in that order. Whether the install folder is among them.
bool ScheduleEmptiedFolders(const TDeinstall& log, TbrcStringList* scheduled) {
    TbrcStringList folders;
    for (int32_t i = 0; i < scheduled->Count(); ++i) {
        for (AnsiString folder = ParentPath(scheduled->Get(i)); IsSameOrBelow(folder, InstallDir);
             folder = ParentPath(folder)) {
            if (Holds(folders, folder) || !Holds(log.MadeFolders, folder)) continue;
            // Deeper folders first: a folder's path is longer than its parent's.
            int32_t at = 0;
            while (at < folders.Count() && folders.Get(at).Length() >= folder.Length()) ++at;
            folders.Insert(at, folder);
        }
    }
    bool installFolder = false;
    for (int32_t i = 0; i < folders.Count(); ++i) {
        const AnsiString& folder = folders.Get(i);
        if (!OnlyScheduledIn(folder, *scheduled) || !MoveFileExA(folder.CStr(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            continue;
        }
        scheduled->Append(folder);
        installFolder |= IsSameFolder(folder, InstallDir);
    }
    return installFolder;
}

// "One of its files" or "N of its files", and what stands for them.
AnsiString FilesOfIt(int32_t count, const char* one, const char* more) {
    return count == 1 ? AnsiString("One of its files") + one : Decimal(count) + " of its files" + more;
}

// Second stage, in the temporary copy: removes the product. It holds the
// claim of the one setup or uninstall that may run until the install folder
// is gone.
int Uninstall(TArguments* arguments) {
    TSingleInstance instance(arguments->Silent ? UnattendedWaitMs : EndingGraceMs);
    if (!instance.Acquired()) return EndEarly(arguments, AlreadyRunning, AlreadyRunningText, MB_OK);
    AnsiString product = ProductNameAndVersion();
    // A log that cannot be read is reported before anything is asked.
    TDeinstall log;
    if (log.LoadLog(arguments->LogPath.CStr()) != 0) {
        return EndEarly(arguments, LogUnreadable,
                        AnsiString("The uninstall log ") + arguments->LogPath + " cannot be read. Nothing was removed.",
                        MB_OK | MB_ICONERROR);
    }
    // Nothing is taken back on the word of a log that lies elsewhere than in
    // the folder it names (a copy, a log of another folder).
    if (!log.InstallDirKnown) return EndEarly(arguments, LogUnreadable, ElsewhereText(log), MB_OK | MB_ICONERROR);
    if (!arguments->Silent &&
        MessageBoxA(nullptr, (AnsiString("Are you sure you want to remove ") + product +
                              " from your computer?").CStr(),
                    Caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return EndEarly(arguments, Cancelled, AnsiString(), 0);
    }
    log.ReadHeader();
    // The first stage runs from the uninstaller in the install folder, which
    // goes once it has ended (see RemoveLauncher): no file left.
    log.Left.Exempt = JoinPath(InstallDir, UninstallerName);
    log.Run();
    // A file held open (an IDE, a help window) can go once it is closed.
    while (!arguments->Silent && log.Left.Count() > 0 && RetryLeftFiles(log.Left, product) &&
           Replay(&log, arguments->LogPath)) {
    }
    // What is left goes when Windows restarts. Once all of it is scheduled
    // the rest goes now, the Add/Remove Programs entry with it: running the
    // uninstall again could remove nothing more, and after the restart
    // nothing of the product is left. Anything not scheduled keeps the entry.
    TbrcStringList scheduled;
    int32_t left = log.Left.Count();
    int32_t scheduledFiles = ScheduleLeftFiles(log.Left, &scheduled);
    if (left > 0 && scheduledFiles == left) {
        log.KeepWhileFilesLeft = false;
        if (Replay(&log, arguments->LogPath)) {
            int32_t unscheduled = log.Left.Count() - ScheduleLeftFiles(log.Left, &scheduled);
            scheduledFiles = scheduled.Count();
            left = scheduledFiles + unscheduled;
        }
    }
    int code = UninstallExitCode(log.CutShort, left, scheduledFiles);
    AnsiString cut = AnsiString("The uninstall log ") + arguments->LogPath + " was cut short. What it holds of " +
                     product + " was removed; parts of it may remain on your computer.";
    AnsiString atRestart = FilesOfIt(left, " could not be removed now: it", " could not be removed now: they") +
                           " will be removed when Windows restarts";
    AnsiString unremovable = product + " could not be removed completely. " +
                             FilesOfIt(left - scheduledFiles, "", "") +
                             " could neither be removed nor scheduled for removal when Windows restarts. It stays in "
                             "the list of installed programs: close the programs that may be using its files, then "
                             "uninstall it again from there.";
    if (arguments->Silent && code != 0) {
        arguments->Reason = code == UninstallFilesLeft ? unremovable
                            : log.CutShort           ? cut
                                                     : atRestart + ".";
    }
    TellLauncher(arguments, code);
    // The uninstaller and its log stay for the next run.
    if (code == UninstallFilesLeft) {
        if (!arguments->Silent) MessageBoxA(nullptr, unremovable.CStr(), Caption, MB_OK | MB_ICONWARNING);
        return code;
    }
    RemoveLauncher(*arguments, &log);
    bool folderScheduled = left > 0 && ScheduleEmptiedFolders(log, &scheduled);
    if (!arguments->Silent) {
        // A log cut short has taken back what it held, and no more.
        AnsiString done = log.CutShort ? cut : product + " was removed from your computer.";
        AnsiString folder = InstallDir;
        if (folder.Last() == ':') folder += '\\';
        if (left > 0) {
            done += AnsiString(" ") + atRestart +
                    (folderScheduled ? AnsiString(", and so will the folder ") + folder + "." : AnsiString("."));
        }
        // Files the product did not make stay, and so does their folder.
        if (log.InstallDirKnown && !folderScheduled && FolderHoldsEntries(InstallDir.CStr())) {
            done += AnsiString(" The folder ") + folder + " still holds files and was left in place.";
        }
        MessageBoxA(nullptr, done.CStr(), Caption, log.CutShort ? MB_OK | MB_ICONWARNING : MB_OK);
    }
    return code;
}

// Moves an open file to `target` (on the same disk) through its handle,
// which needs no other handle and works for a running program too.
bool MoveOpenFile(HANDLE file, const AnsiString& target) {
    int characters = MultiByteToWideChar(CP_ACP, 0, target.CStr(), -1, nullptr, 0);
    if (characters <= 1) return false;
    size_t bytes = sizeof(FILE_RENAME_INFO) + static_cast<size_t>(characters) * sizeof(WCHAR);
    FILE_RENAME_INFO* rename = static_cast<FILE_RENAME_INFO*>(calloc(1, bytes));
    if (!rename) return false;
    rename->ReplaceIfExists = FALSE;
    rename->FileNameLength = static_cast<DWORD>(characters - 1) * sizeof(WCHAR);
    MultiByteToWideChar(CP_ACP, 0, target.CStr(), -1, rename->FileName, characters);
    bool moved = SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes)) != 0;
    free(rename);
    return moved;
}

// The copy's end. A running program cannot be deleted, but it can be moved:
// out of its folder, which can then go at once, to the temporary folder.
// The file itself goes when the program has ended, its handle having been
// opened for deletion on close. Where the move fails the folder goes when
// Windows restarts.
void RemoveOwnCopy(TArguments* arguments) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return;
    AnsiString folder = ParentPath(AnsiString(self, length));
    if (folder.IsEmpty()) return;
    if (arguments->OwnFile.IsValid()) {
        MoveOpenFile(arguments->OwnFile.Get(), folder + ".tmp");
        arguments->OwnFile.Close();
    }
    if (!RemoveDirectoryA(folder.CStr())) MoveFileExA(folder.CStr(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int CopyNotMade(const TArguments& arguments, const AnsiString& temp) {
    AnsiString text = AnsiString("The uninstaller cannot start its copy in the temporary folder ") + temp +
                      ". Nothing was removed.";
    if (arguments.Silent) {
        TConsoleLines().Line(text);
    } else {
        MessageBoxA(nullptr, text.CStr(), Caption, MB_OK | MB_ICONERROR);
    }
    return CopyNotStarted;
}

// The copy's exit code as it sends it. A copy that ended without sending one
// was stopped half-way (only running out of memory says so itself); its
// folder, empty once its file went with it, goes here.
int AwaitCopy(HANDLE result, HANDLE copy, const AnsiString& folder, AnsiString* reason) {
    int32_t code = 0;
    DWORD read = 0;
    if (ReadFile(result, &code, sizeof code, &read, nullptr) && read == sizeof code) {
        char text[2048];
        DWORD got = 0;
        while (reason->Length() < sizeof text && ReadFile(result, text, sizeof text, &got, nullptr) && got > 0) {
            *reason += AnsiString(text, got);
        }
        return code;
    }
    DWORD ended = 0;
    WaitForSingleObject(copy, INFINITE);
    GetExitCodeProcess(copy, &ended);
    RemoveDirectoryA(folder.CStr());
    return ended == ExitOutOfMemory ? ExitOutOfMemory : CopyEnded;
}

// First stage: copies the program into a new folder that only
// administrators may change, starts the copy from there and waits for its
// exit code. The copy's file stays open, refusing writing and deleting, until
// the copy runs: nobody can put another program in its place. Nothing is
// removed when any of this fails.
int StartFromTemporaryCopy(TArguments* arguments) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    AnsiString temp = GetKindDirectory(dkTemp);
    if (length == 0 || length >= sizeof self || temp.IsEmpty()) return CopyNotMade(*arguments, temp);
    if (arguments->LogPath.IsEmpty()) {
        arguments->LogPath = JoinPath(ParentPath(AnsiString(self, length)), UninstallLogName);
    } else {
        // The copy runs elsewhere: a relative path is taken from here.
        char full[MAX_PATH];
        DWORD fullLength = GetFullPathNameA(arguments->LogPath.CStr(), sizeof full, full, nullptr);
        if (fullLength > 0 && fullLength < sizeof full) arguments->LogPath = full;
    }
    AnsiString folder;
    if (CreatePrivateFolder(temp, "redud-", &folder) != 0) return CopyNotMade(*arguments, temp);
    AnsiString copy = JoinPath(folder, UninstallerName);
    if (!CopyFileA(self, copy.CStr(), TRUE)) {
        DeleteFileA(copy.CStr());
        RemoveDirectoryA(folder.CStr());
        return CopyNotMade(*arguments, temp);
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    TScopedFile ownFile(CreateFileA(copy.CStr(), GENERIC_READ | DELETE, FILE_SHARE_READ, &inherited, OPEN_EXISTING,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    TOwnedHandle launcher;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), launcher.Receive(), SYNCHRONIZE,
                    TRUE, 0);
    TOwnedHandle resultRead, resultWrite;
    if (CreatePipe(resultRead.Receive(), resultWrite.Receive(), &inherited, 0)) {
        SetHandleInformation(resultRead.Get(), HANDLE_FLAG_INHERIT, 0);
    }
    BOOL started = FALSE;
    PROCESS_INFORMATION process;
    if (ownFile.IsValid() && launcher.IsValid() && resultWrite.IsValid()) {
        AnsiString command = Quoted(copy) + " /RUN " + HandleText(launcher.Get()) + " " + HandleText(ownFile.Get()) +
                             " " + HandleText(resultWrite.Get()) + " " + Quoted(arguments->LogPath) +
                             (arguments->Silent ? " /S" : "");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        // The copy runs in the temporary folder, so that no process holds the
        // install folder as its current one.
        started = CreateProcessA(copy.CStr(), command.Data(), nullptr, nullptr, TRUE, 0, nullptr, temp.CStr(),
                                 &startup, &process);
    }
    launcher.Close();
    // Without the copy, closing takes its file away.
    ownFile.Close();
    // The copy holds its own end of the pipe now: a copy that ends without
    // writing leaves nothing to read.
    resultWrite.Close();
    if (!started) {
        resultRead.Close();
        DeleteFileA(copy.CStr());
        RemoveDirectoryA(folder.CStr());
        return CopyNotMade(*arguments, temp);
    }
    TOwnedHandle thread(process.hThread), copyProcess(process.hProcess);
    AnsiString reason;
    int code = AwaitCopy(resultRead.Get(), copyProcess.Get(), folder, &reason);
    if (code == CopyEnded) reason = "The uninstaller's copy ended before it was done: parts may remain. Run it again.";
    if (arguments->Silent && !reason.IsEmpty()) TConsoleLines().Line(reason);
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    DetectPlatform();
    LoadSystemCodePage();
    TArguments arguments;
    ParseArguments(&arguments);
    if (!arguments.Launcher.IsValid()) return StartFromTemporaryCopy(&arguments);
    int exitCode = Uninstall(&arguments);
    TellLauncher(&arguments, exitCode);
    arguments.Launcher.Close();
    RemoveOwnCopy(&arguments);
    return exitCode;
}
