// The operations that make the library usable in the IDEs and in Windows:
// compiling packages with each IDE's own tools, registering design packages
// and search paths, Windows help, the product key and the uninstall entry.
#include <windows.h>

#include "catalogue/UConst.h"
#include "script/UInstallLogLines.h"
#include "script/UOperations.h"
#include "script/UScript.h"
#include "script/USearchPath.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "util/UScoped.h"
#include "util/UText.h"

namespace {

const char WinHelpKey[] = "Software\\Microsoft\\Windows\\Help";

const TBorlandProduct* CurrentIde() {
    if (CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount) return nullptr;
    return &BorlandProducts[CurrentIdeIndex - 1];
}

// Adds `folder` to the current IDE's library search path unless one of its
// entries already is that folder (compared without regard to case).
// Appends "...Already" or "...Success" to the line; orSearchPathNotWritten
// when the value cannot be written back.
int32_t AddToSearchPath(const TBorlandProduct& ide, const AnsiString& value,
                        const AnsiString& folder, AnsiString* line) {
    if (SearchPathHasEntry(LowerCase(value), LowerCase(folder))) {
        *line += LogAlready;
        return 0;
    }
    AnsiString key = AnsiString(ide.RegKey) + LibraryKey;
    if (!WriteRegString(RootCurrentUser, key.CStr(), SearchPathValueName(CurrentIdeIndex),
                        AddSearchPathEntry(value, folder).CStr())) {
        return orSearchPathNotWritten;
    }
    *line += LogSuccess;
    return 0;
}

bool ReadSearchPath(const TBorlandProduct& ide, AnsiString* value) {
    AnsiString key = AnsiString(ide.RegKey) + LibraryKey;
    return ReadRegString(RootCurrentUser, key.CStr(), SearchPathValueName(CurrentIdeIndex), value);
}

}  // namespace

int32_t OpCompilePackage(const ScriptItem& item, AnsiString* line) {
    // A failure names the package; the run's report adds the reason.
    *line = AnsiString(LogCompilingPackage) + item.Name + LogFail;
    if (item.Value == 0) return orNoIde;
    int index = 1;
    while (!(item.Value & (1u << (index - 1)))) ++index;
    if (index > BorlandProductCount) return orUnknownIde;
    const AnsiString& root = BorlandProducts[index - 1].RootDir;
    // Without a root folder the tool would be looked for at the root of the
    // current drive; nothing is started then.
    if (root.IsEmpty()) return ERROR_FILE_NOT_FOUND;

    // The tool by its full name: a command line alone would be tried at each
    // blank of the IDE's folder first (C:\Borland\My Tools\... starts
    // C:\Borland\My.exe).
    bool dcc32 = IdeCompiler(index) == ckDcc32;
    AnsiString tool = JoinPath(root, dcc32 ? "bin\\dcc32.exe" : "bin\\make.exe");
    AnsiString command = AnsiString("\"") + tool + (dcc32 ? "\" " : "\" /f") + item.Name;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(tool.CStr(), command.Data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return static_cast<int32_t>(GetLastError());
    }
    // The compiler's exit code is not read: the siCheckFile item that follows
    // judges the outcome by the package it should have written.
    TOwnedHandle thread(process.hThread), compiler(process.hProcess);
    WaitForSingleObject(compiler.Get(), INFINITE);
    line->SetLength(line->Length() - (sizeof LogFail - 1));
    *line += LogSuccess;
    return 0;
}

int32_t OpRegisterPackage(const ScriptItem& item, AnsiString* line) {
    const TBorlandProduct* ide = CurrentIde();
    if (!ide) return orNoIde;
    AnsiString path = ItemPath(item);
    AnsiString packagesKey = AnsiString(ide->RegKey) + KnownPackagesKey;
    if (!WriteRegString(RootCurrentUser, packagesKey.CStr(), path.CStr(),
                        PackageDescription().CStr())) {
        *line = AnsiString(LogRegisteringPackage) + path + LogFail;
        return orPackageNotRegistered;
    }
    *line = AnsiString(LogRegisteringPackage) + path + LogSuccess;
    AnsiString value;
    if (!ReadSearchPath(*ide, &value)) return orSearchPathUnread;
    AnsiString folder = LastNameStart(path) ? ParentPath(path) : path;
    *line += "\r\n";
    *line += LogAddingSearchPath;
    *line += folder;
    return AddToSearchPath(*ide, value, folder, line);
}

int32_t OpAddSearchPath(const ScriptItem& item, AnsiString* line) {
    const TBorlandProduct* ide = CurrentIde();
    AnsiString value;
    if (!ide || !ReadSearchPath(*ide, &value)) return orSearchPathUnread;
    AnsiString path = ItemPath(item);
    *line = AnsiString(LogAddingSearchPath) + path;
    return AddToSearchPath(*ide, value, path, line);
}

int32_t OpSetHelpDir(const ScriptItem& item) {
    HelpDir = ItemPath(item);
    return 0;
}

int32_t OpRegisterWinHelp(const ScriptItem& item, AnsiString* line) {
    bool written = WriteRegString(RootLocalMachine, WinHelpKey, item.Name, HelpDir.CStr());
    *line = AnsiString(LogRegisteringWinHelp) + item.Name + LogOutcome(written);
    return written ? 0 : -1;
}

int32_t OpCreateRegKey(const ScriptItem& item) {
    CreateRegKey(item.Value, item.Name);
    return 0;
}

int32_t OpRegisterUninstall(AnsiString* line) {
    AnsiString key = UninstallRegistryKey();
    const AnsiString uninstaller = JoinPath(InstallDir, UninstallerName);
    // What Windows shows beside the name; the entry works without them.
    const char* const shown[][2] = {{DisplayVersionValueName, ProductVersion},
                                    {PublisherValueName, ProductMaker},
                                    {InstallLocationValueName, InstallDir.CStr()},
                                    {DisplayIconValueName, uninstaller.CStr()}};
    int32_t result = 0;
    // Never an entry whose uninstaller is missing: it could not be taken
    // away again.
    if (GetFileAttributesA(uninstaller.CStr()) == INVALID_FILE_ATTRIBUTES ||
        !CreateRegKey(RootLocalMachine, key.CStr())) {
        result = orEntryKeyNotMade;
    } else if (!WriteRegString(RootLocalMachine, key.CStr(), DisplayNameValueName,
                               UninstallDisplayName().CStr())) {
        result = orEntryNameNotWritten;
    } else if (!WriteRegString(RootLocalMachine, key.CStr(), UninstallStringValueName,
                               UninstallCommand(InstallDir).CStr())) {
        result = orEntryCommandNotWritten;
    } else {
        for (const auto& value : shown) {
            if (!WriteRegString(RootLocalMachine, key.CStr(), value[0], value[1])) result = orEntryValueNotWritten;
        }
        const char* const withoutButtons[] = {NoModifyValueName, NoRepairValueName};
        for (const char* name : withoutButtons) {
            if (!WriteRegDword(RootLocalMachine, key.CStr(), name, 1)) result = orEntryValueNotWritten;
        }
    }
    *line = AnsiString(LogRegisteringUninstall) + UninstallerName + LogOutcome(result == 0);
    return result;
}
