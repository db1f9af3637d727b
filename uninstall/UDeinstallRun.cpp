// Loading an uninstall log from its file, and replaying it.
#include <stdlib.h>
#include <windows.h>

#include "UConst.h"
#include "UDeinstall.h"
#include "UPaths.h"
#include "UProducts.h"
#include "URegistry.h"
#include "UScoped.h"
#include "UScriptItems.h"
#include "UnDo.h"

int32_t TDeinstall::LoadLog(const char* fileName) {
    int folder = lstrlenA(fileName);
    while (folder > 0 && fileName[folder - 1] != '\\' && fileName[folder - 1] != '/') --folder;
    LogFolder = AnsiString(fileName, folder);
    TScopedFile file(CreateFileA(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return dlCannotOpen;
    DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == 0) return dlEmpty;
    if (size == INVALID_FILE_SIZE) return dlCannotOpen;
    char* data = static_cast<char*>(malloc(size));
    if (!data) return dlCannotOpen;
    DWORD read = 0;
    if (!ReadFile(file.Get(), data, size, &read, nullptr)) read = 0;
    return AdoptLogData(data, read);
}

int32_t TDeinstall::Run() {
    DetectIdes();
    Cursor = ReplayStart;
    TUninstallRecord record;
    TReplayState state;
    state.InstallDirKnown = InstallDirKnown;
    // Keepable records (the INI file, the product key) are undone like all
    // others. Records that the script does not write are passed over.
    while (NextRecord(&record)) {
        state.IdeIndex = CurrentIdeIndex;
        state.IdeRoot = GetKindDirectory(dkIdeRoot);
        if (!MayUndo(record, state)) continue;
        switch (record.Kind()) {
        case siRegisterPackage: UndoPackage(record); break;
        case siModifyFile: UndoHelpText(record); break;
        case siDeleteFile:
        case siExtractIfAbsent: UndoDeleteFile(record); break;
        case siRegisterWinHelp: UndoWinHelp(record); break;
        case siCreateRegKey: UndoRegistryKey(record); break;
        case siAddSearchPath: UndoSearchPath(record); break;
        case siSelectIde: UndoSelectIde(record); break;
        case siCreateDirectory: UndoDirectory(record); break;
        case siRegisterUninstall: UndoUninstallEntry(record, UninstallKeyName); break;
        default: break;
        }
    }
    // A copy-only install records no item for the installation record's
    // key, yet the wizard writes the record; the header names the key.
    if (LoggedProductKey.Length() == static_cast<size_t>(lstrlenA(ProductRegistryKey)) &&
        lstrcmpiA(LoggedProductKey.CStr(), ProductRegistryKey) == 0) {
        DeleteRegKeyTree(RootLocalMachine, ProductRegistryKey);
    }
    return 0;
}

bool UninstallPrevious() {
    AnsiString key = UninstallRegistryKey(), name, command;
    if (!ReadRegString(RootLocalMachine, key.CStr(), DisplayNameValueName, &name) ||
        !ReadRegString(RootLocalMachine, key.CStr(), UninstallStringValueName, &command) ||
        command.IsEmpty()) {
        return false;
    }
    AnsiString logPath = LogPathFromUninstallString(command);
    if (logPath.IsEmpty()) return false;
    TDeinstall log;
    if (log.LoadLog(logPath.CStr()) == 0) {
        log.ReadHeader();
        log.Run();
    }
    return true;
}
