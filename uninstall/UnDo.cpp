#include "UnDo.h"

#include <windows.h>

#include "UPaths.h"
#include "UProducts.h"
#include "URegistry.h"
#include "UScoped.h"
#include "USearchPath.h"
#include "UText.h"

namespace {

const char WinHelpKey[] = "Software\\Microsoft\\Windows\\Help";
const char UninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

AnsiString RecordPath(const TUninstallRecord& record) {
    return JoinPath(GetKindDirectory(record.DirKind), record.Text.CStr());
}

const TBorlandProduct* CurrentIde() {
    if (CurrentIdeIndex < 1 || CurrentIdeIndex > BorlandProductCount) return nullptr;
    return &BorlandProducts[CurrentIdeIndex - 1];
}

}  // namespace

void RemoveSearchPathEntry(const AnsiString& entry) {
    const TBorlandProduct* ide = CurrentIde();
    if (!ide) return;
    AnsiString key = AnsiString(ide->RegKey) + LibraryKey;
    const char* name = SearchPathValueName(CurrentIdeIndex);
    AnsiString value, remaining;
    if (!ReadRegString(RootCurrentUser, key.CStr(), name, &value)) return;
    if (!CutSearchPathEntry(value, LowerCase(value), LowerCase(entry), &remaining)) return;
    WriteRegString(RootCurrentUser, key.CStr(), name, remaining.CStr());
}

void UndoPackage(const TUninstallRecord& record) {
    const TBorlandProduct* ide = CurrentIde();
    if (!ide) return;
    AnsiString package = RecordPath(record);
    DeleteRegValue(RootCurrentUser, (AnsiString(ide->RegKey) + KnownPackagesKey).CStr(), package.CStr());
    size_t slash = FindLastChar(package, '\\');
    RemoveSearchPathEntry(slash ? AnsiString(package.CStr(), slash - 1) : package);
}

void UndoSearchPath(const TUninstallRecord& record) { RemoveSearchPathEntry(RecordPath(record)); }

void UndoHelpText(const TUninstallRecord& record) {
    const TBorlandProduct* ide = CurrentIde();
    if (!ide || record.Arg < 1 || record.Arg > 3) return;
    AnsiString path = JoinPath(GetKindDirectory(record.DirKind), ide->IdeFiles[record.Arg - 1]);
    AnsiString content;
    {
        TScopedFile file(CreateFileA(path.CStr(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return;
        DWORD size = GetFileSize(file.Get(), nullptr);
        if (size == INVALID_FILE_SIZE) return;
        content.SetLength(size);
        DWORD read = 0;
        if (size > 0 && !ReadFile(file.Get(), content.Data(), size, &read, nullptr)) return;
        content.SetLength(read);
    }
    size_t position = FindTextPos(LowerCase(content), LowerCase(record.Text));
    if (position == 0) return;
    AnsiString remaining(content.CStr(), position - 1);
    size_t after = position - 1 + record.Text.Length();
    remaining.Append(content.CStr() + after, content.Length() - after);
    TScopedFile file(CreateFileA(path.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    DWORD written;
    WriteFile(file.Get(), remaining.CStr(), static_cast<DWORD>(remaining.Length()), &written, nullptr);
}

void UndoWinHelp(const TUninstallRecord& record) {
    DeleteRegValue(RootLocalMachine, WinHelpKey, record.Text.CStr());
}

void UndoRegistryKey(const TUninstallRecord& record) { DeleteRegKeyTree(record.Arg, record.Text.CStr()); }

void UndoUninstallEntry(const TUninstallRecord&, const AnsiString& uninstallKeyName) {
    if (uninstallKeyName.IsEmpty()) return;
    DeleteRegKeyTree(RootLocalMachine, (AnsiString(UninstallKeys) + uninstallKeyName).CStr());
}

void UndoDeleteFile(const TUninstallRecord& record) { DeleteFileA(RecordPath(record).CStr()); }

void UndoDirectory(const TUninstallRecord& record) {
    // Without its directory the names would be taken from the current folder.
    AnsiString base = GetKindDirectory(record.DirKind);
    if (base.IsEmpty()) return;
    // Only what the product makes goes; the user's own files stay, and with
    // them the folders that hold them.
    TProductPaths paths(record.DirKind, record.Text);
    AnsiString name, folder;
    bool folderExists = true;
    while (paths.NextFile(&name)) {
        // A folder taken back before holds nothing more: it is asked for
        // once, not for each of its files.
        size_t slash = FindLastChar(name, '\\');
        AnsiString parent(name.CStr(), slash ? slash - 1 : 0);
        if (parent != folder) {
            folder = parent;
            folderExists = GetFileAttributesA(JoinPath(base, folder.CStr()).CStr()) != INVALID_FILE_ATTRIBUTES;
        }
        if (folderExists) DeleteFileA(JoinPath(base, name.CStr()).CStr());
    }
    while (paths.NextFolder(&name)) RemoveDirectoryA(JoinPath(base, name.CStr()).CStr());
    AnsiString path = RecordPath(record);
    if (IsRemovableTree(LowerCase(path), LowerCase(GetKindDirectory(dkWindows)),
                        LowerCase(GetKindDirectory(dkSystem)))) {
        RemoveDirectoryA(path.CStr());
    }
}

void UndoSelectIde(const TUninstallRecord& record) {
    CurrentIdeIndex = static_cast<int32_t>(record.Arg);
}
