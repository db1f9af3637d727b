#include "UnDo.h"

#include <windows.h>

#include "ULinks.h"
#include "UPaths.h"
#include "UProducts.h"
#include "URegistry.h"
#include "UScoped.h"
#include "USearchPath.h"
#include "UText.h"
#include "UTextFile.h"

namespace {

const char WinHelpKey[] = "Software\\Microsoft\\Windows\\Help";
const char UninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

AnsiString RecordPath(const TUninstallRecord& record) {
    return JoinPath(GetKindDirectory(record.DirKind), record.Text.CStr());
}

// A relative name without its last component; empty for a name of one.
AnsiString ParentName(const AnsiString& name) {
    size_t slash = FindLastChar(name, '\\');
    return AnsiString(name.CStr(), slash ? slash - 1 : 0);
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
    // A file that cannot be read whole, or is no line text, stays as it is.
    AnsiString content;
    if (LinkInProductFolders(path) || ReadTextFile(path, &content) != 0) return;
    size_t position = FindTextPos(LowerCase(content), LowerCase(record.Text));
    if (position == 0) return;
    AnsiString remaining(content.CStr(), position - 1);
    size_t after = position - 1 + record.Text.Length();
    remaining.Append(content.CStr() + after, content.Length() - after);
    ReplaceFileWhole(path, remaining);
}

void UndoWinHelp(const TUninstallRecord& record) {
    DeleteRegValue(RootLocalMachine, WinHelpKey, record.Text.CStr());
}

void UndoRegistryKey(const TUninstallRecord& record) { DeleteRegKeyTree(record.Arg, record.Text.CStr()); }

void UndoUninstallEntry(const TUninstallRecord&, const AnsiString& uninstallKeyName) {
    if (uninstallKeyName.IsEmpty()) return;
    DeleteRegKeyTree(RootLocalMachine, (AnsiString(UninstallKeys) + uninstallKeyName).CStr());
}

void UndoDeleteFile(const TUninstallRecord& record) {
    AnsiString path = RecordPath(record);
    if (!LinkInProductFolders(path)) DeleteFileA(path.CStr());
}

void UndoDirectory(const TUninstallRecord& record) {
    // Without its directory the names would be taken from the current folder.
    AnsiString base = GetKindDirectory(record.DirKind);
    if (base.IsEmpty()) return;
    // Only what the product makes goes; the user's own files stay, and with
    // them the folders that hold them. Nothing goes through a link.
    TProductPaths paths(record.DirKind, record.Text);
    AnsiString name, folder, finalFolder;
    bool known = false, folderUsable = false;
    while (paths.NextFile(&name)) {
        // Each folder is looked at once, not for each of its files: whether
        // it is there (one taken back before holds nothing more) and whether
        // a link lies on the way to it.
        AnsiString parent = ParentName(name);
        if (!known || parent != folder) {
            known = true;
            folder = parent;
            AnsiString path = JoinPath(base, folder.CStr());
            folderUsable = GetFileAttributesA(path.CStr()) != INVALID_FILE_ATTRIBUTES &&
                           !LinkInProductFolders(path) && FinalPath(path, &finalFolder);
        }
        if (folderUsable) DeleteFileNoFollow(JoinPath(base, name.CStr()), finalFolder);
    }
    // A folder is removed when it is empty, or (on Windows) when it is a link
    // itself; never one reached through a link.
    while (paths.NextFolder(&name)) {
        if (!LinkInProductFolders(JoinPath(base, ParentName(name).CStr()))) {
            RemoveDirectoryA(JoinPath(base, name.CStr()).CStr());
        }
    }
    AnsiString path = RecordPath(record);
    if (IsRemovableTree(LowerCase(path), LowerCase(GetKindDirectory(dkWindows)),
                        LowerCase(GetKindDirectory(dkSystem))) &&
        !LinkInProductFolders(JoinPath(base, ParentName(record.Text).CStr()))) {
        RemoveDirectoryA(path.CStr());
    }
}

void UndoSelectIde(const TUninstallRecord& record) {
    CurrentIdeIndex = static_cast<int32_t>(record.Arg);
}
