// redud.exe, the uninstaller that the setup places in the install folder and
// names in the Add/Remove Programs entry:
//
//   redud.exe [uninst.log] [/S]
//
// It replays the installation's uninstall log backwards, which removes the
// product's files and the install folder once nothing else is left in it,
// and with it this program. So it first copies itself to
// the temporary folder and runs from there; the copy is opened for deletion
// on close, and goes when it ends. /S removes without asking or reporting.
// Exit codes: 0 removed, 1 cancelled, 2 the log cannot be read, 3 another
// setup or uninstall of the product is running.
#include <stdlib.h>
#include <windows.h>

#include "UConst.h"
#include "UDeinstall.h"
#include "UPaths.h"
#include "URegistry.h"
#include "UScoped.h"
#include "USingleInstance.h"
#include "UText.h"

namespace {

const char Caption[] = "Uninstall";

struct TArguments {
    AnsiString LogPath;
    bool Silent = false;
    HANDLE Launcher = nullptr;  // the process of the first stage, to wait for
};

bool IsSwitch(const char* arg, char letter) {
    return (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter + 32) && !arg[2];
}

TArguments ParseArguments() {
    TArguments arguments;
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        if (IsSwitch(arg, 'S')) {
            arguments.Silent = true;
        } else if (lstrcmpiA(arg, "/RUN") == 0 && i + 1 < __argc) {
            arguments.Launcher = reinterpret_cast<HANDLE>(strtoul(__argv[++i], nullptr, 10));
        } else {
            arguments.LogPath = arg;
        }
    }
    return arguments;
}

AnsiString Quoted(const AnsiString& text) { return AnsiString("\"") + text + "\""; }


// Whether the folder is there with anything in it.
bool HoldsFiles(const AnsiString& folder) {
    WIN32_FIND_DATAA found;
    TScopedFind listing(JoinPath(folder, "*").CStr(), &found);
    if (!listing.IsValid()) return false;
    do {
        if (lstrcmpA(found.cFileName, ".") != 0 && lstrcmpA(found.cFileName, "..") != 0) return true;
    } while (listing.Next(&found));
    return false;
}

// Second stage, in the temporary copy: waits until the first stage has
// ended (so that its program file can go), then removes the product.
int Uninstall(const TArguments& arguments) {
    if (arguments.Launcher) {
        WaitForSingleObject(arguments.Launcher, 30000);
        CloseHandle(arguments.Launcher);
    }
    TSingleInstance instance;
    if (!instance.Acquired()) {
        if (!arguments.Silent) MessageBoxA(nullptr, AlreadyRunningText, Caption, MB_OK);
        return 3;
    }
    AnsiString product = ProductNameAndVersion();
    // A log that cannot be read is reported before anything is asked.
    TDeinstall log;
    if (log.LoadLog(arguments.LogPath.CStr()) != 0) {
        if (!arguments.Silent) {
            MessageBoxA(nullptr, (AnsiString("The uninstall log ") + arguments.LogPath +
                                  " cannot be read. Nothing was removed.").CStr(),
                        Caption, MB_OK | MB_ICONERROR);
        }
        return 2;
    }
    if (!arguments.Silent &&
        MessageBoxA(nullptr, (AnsiString("Are you sure you want to remove ") + product +
                              " from your computer?").CStr(),
                    Caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return 1;
    }
    log.ReadHeader();
    log.Run();
    if (!arguments.Silent) {
        AnsiString done = product + " was removed from your computer.";
        // Files the product did not make stay, and so does their folder.
        if (log.InstallDirKnown && HoldsFiles(InstallDir)) {
            AnsiString folder = InstallDir;
            if (folder.Last() == ':') folder += '\\';
            done += AnsiString(" The folder ") + folder + " still holds files and was left in place.";
        }
        MessageBoxA(nullptr, done.CStr(), Caption, MB_OK);
    }
    return 0;
}

// First stage: starts the temporary copy and ends, leaving the install
// folder free to go. Without a copy it removes what it can from where it is.
int StartFromTemporaryCopy(TArguments arguments) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return Uninstall(arguments);
    if (arguments.LogPath.IsEmpty()) {
        size_t folder = length;
        while (folder > 0 && self[folder - 1] != '\\') --folder;
        arguments.LogPath = JoinPath(AnsiString(self, folder), UninstallLogName);
    }
    AnsiString temp = GetKindDirectory(dkTemp);
    AnsiString copy = temp + "redud-" + Decimal(GetCurrentProcessId()) + ".exe";
    if (temp.IsEmpty() || !CopyFileA(self, copy.CStr(), FALSE)) return Uninstall(arguments);

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE deleteOnClose = CreateFileA(copy.CStr(), 0, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                       OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE launcher = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &launcher,
                    SYNCHRONIZE, TRUE, 0);
    // Handle values fit in 32 bits on 64-bit Windows too, so that they can
    // pass between programs of both kinds.
    const int32_t launcherValue = static_cast<int32_t>(reinterpret_cast<uintptr_t>(launcher));
    AnsiString command = Quoted(copy) + " /RUN " + Decimal(launcherValue) + " " + Quoted(arguments.LogPath) +
                         (arguments.Silent ? " /S" : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The copy runs in the temporary folder, so that no process holds the
    // install folder as its current one.
    BOOL started = CreateProcessA(copy.CStr(), command.Data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  temp.CStr(), &startup, &process);
    if (launcher) CloseHandle(launcher);
    if (deleteOnClose != INVALID_HANDLE_VALUE) CloseHandle(deleteOnClose);
    if (!started) {
        DeleteFileA(copy.CStr());
        return Uninstall(arguments);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    DetectPlatform();
    TArguments arguments = ParseArguments();
    return arguments.Launcher ? Uninstall(arguments) : StartFromTemporaryCopy(arguments);
}
