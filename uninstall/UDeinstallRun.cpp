// Loading an uninstall log from its file, and replaying it.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "UConst.h"
#include "UDeinstall.h"
#include "ULinks.h"
#include "UPaths.h"
#include "UProducts.h"
#include "URegistry.h"
#include "UScoped.h"
#include "UScriptItems.h"
#include "UTextFile.h"
#include "UnDo.h"

namespace {

// The longest install.log read: a whole one of every part is about 60 KB.
const uint32_t MaxInstallLog = 4 * 1024 * 1024;

}  // namespace

int32_t TDeinstall::LoadLog(const char* fileName) {
    int folder = lstrlenA(fileName);
    while (folder > 0 && fileName[folder - 1] != '\\' && fileName[folder - 1] != '/') --folder;
    LogFolder = AnsiString(fileName, folder);
    LogPath = fileName;
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
    // Without a whole one, the files that install.log names are not known.
    if (ReadWholeFile(JoinPath(LogFolder, InstallLogName), &InstallLogText, nullptr, MaxInstallLog) != 0) {
        InstallLogText = AnsiString();
    }
    return AdoptLogData(data, read);
}

void TDeinstall::MarkUndone(const TUninstallRecord& record) {
    uint32_t code = record.Code | RecordUndone;
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((code >> (8 * i)) & 0xFF);
    memcpy(LogData + record.Offset, bytes, sizeof bytes);
    TScopedFile file(CreateFileA(LogPath.CStr(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    DWORD written;
    if (SetFilePointer(file.Get(), static_cast<LONG>(record.Offset), nullptr, FILE_BEGIN) == record.Offset) {
        WriteFile(file.Get(), bytes, sizeof bytes, &written, nullptr);
    }
}

int32_t TDeinstall::Run() {
    DetectIdes();
    // What the installation made, as its install.log tells, for the
    // folders taken back. Read only from the install folder itself.
    TEarlierInstall earlier;
    if (InstallDirKnown) ReadInstallLog(InstallLogText, InstallDir, &earlier);
    // Records undone are marked in the log, so that a replay stopped
    // half-way and run again goes on where it stopped; never through a link.
    bool mark = InstallDirKnown && !LogPath.IsEmpty() && !LinkInProductFolders(LogPath);
    Cursor = ReplayStart;
    TUninstallRecord record;
    TReplayState state;
    state.InstallDirKnown = InstallDirKnown;
    // Keepable records (the INI file, the product key) are undone like all
    // others. Records outside the product's territory are passed over.
    while (NextRecord(&record)) {
        if (record.Code & RecordUndone) continue;
        state.IdeIndex = CurrentIdeIndex;
        state.IdeRoot = GetKindDirectory(dkIdeRoot);
        state.BlockIde = BlockIdeAt(record.Offset);
        if (!MayUndo(record, state)) continue;
        switch (record.Kind()) {
        case siRegisterPackage: UndoPackage(record); break;
        case siModifyFile: UndoHelpText(record); break;
        case siDeleteFile:
        case siExtractFile:
        case siExtractIfAbsent:
        case siCopyFile: UndoDeleteFile(record, earlier); break;
        case siRegisterWinHelp: UndoWinHelp(record); break;
        case siCreateRegKey: UndoRegistryKey(record); break;
        case siAddSearchPath: UndoSearchPath(record); break;
        case siSelectIde: UndoSelectIde(record); break;
        case siCreateDirectory: UndoDirectory(record, earlier); break;
        case siRegisterUninstall: UndoUninstallEntry(record, UninstallKeyName); break;
        default: break;
        }
        if (mark && record.Kind() != siSelectIde) MarkUndone(record);
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
