#include "uninstall/UnDo.h"

#include <windows.h>

#include "script/USearchPath.h"
#include "util/UFileTree.h"
#include "util/UFolderIdentity.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "util/UTextFile.h"

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
    RemoveSearchPathEntry(LastNameStart(package) ? ParentPath(package) : package);
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
    AnsiString folder;
    if (ReadRegString(RootLocalMachine, WinHelpKey, record.Text.CStr(), &folder) &&
        IsSameOrBelow(folder, InstallDir)) {
        DeleteRegValue(RootLocalMachine, WinHelpKey, record.Text.CStr());
    }
}

void UndoRegistryKey(const TUninstallRecord& record) { DeleteRegKeyTree(record.Arg, record.Text.CStr()); }

void UndoUninstallEntry(const TUninstallRecord&, const AnsiString& uninstallKeyName) {
    if (uninstallKeyName.IsEmpty()) return;
    DeleteRegKeyTree(RootLocalMachine, (AnsiString(UninstallKeys) + uninstallKeyName).CStr());
}

namespace {

// Deletes a file of the product's (see DeleteFileNoFollow); false, with the
// file noted in `left`, when it is there and stays.
bool DeleteProductFile(const AnsiString& path, const AnsiString& finalFolder, bool evenReadOnly, TLeftFiles* left) {
    return DeleteFileNoFollow(path, finalFolder, evenReadOnly) || !left || left->Note(path, GetLastError());
}

}  // namespace

bool UndoDeleteFile(const TUninstallRecord& record, const TEarlierInstall& earlier, TLeftFiles* left) {
    if (record.DirKind == dkInstallDir && !IsProductFile(dkInstallDir, record.Text, earlier)) return true;
    AnsiString path = RecordPath(record), finalFolder;
    if (LinkInProductFolders(path) || !FinalPath(ParentPath(path), &finalFolder)) return true;
    // An IDE's help index is the IDE's file, which the replay deletes only
    // so that the IDE makes it anew: a read-only one stays.
    return DeleteProductFile(path, finalFolder, record.DirKind != dkIdeRoot, left);
}

namespace {

// Whether `path` (below `base`) is there, has no link on the way, and what
// its final path is.
bool UsableFolder(const AnsiString& path, AnsiString* finalPath) {
    return GetFileAttributesA(path.CStr()) != INVALID_FILE_ATTRIBUTES && !LinkInProductFolders(path) &&
           FinalPath(path, finalPath);
}

// Deletes what the IDEs' tools and WinHelp left beside the product's files
// in `folder` (relative to `base`).
bool DeleteWhatToolsLeft(const AnsiString& base, uint32_t dirKind, const AnsiString& folder,
                         const TEarlierInstall& earlier, TLeftFiles* left) {
    AnsiString path = JoinPath(base, folder.CStr()), finalFolder;
    if (!UsableFolder(path, &finalFolder)) return true;
    // The product's files right in this folder.
    TbrcStringList products;
    TProductPaths paths(dirKind, folder, earlier);
    for (AnsiString name; paths.NextFile(&name);) {
        if (IsSameFolder(ParentPath(name), folder)) products.Append(name);
    }
    WIN32_FIND_DATAA found;
    TScopedFind listing(JoinPath(path, "*").CStr(), &found);
    if (!listing.IsValid()) return true;
    bool all = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        for (int32_t i = 0; i < products.Count(); ++i) {
            if (IsLeftBeside(found.cFileName, products.Get(i))) {
                all &= DeleteProductFile(JoinPath(path, found.cFileName), finalFolder, false, left);
                break;
            }
        }
    } while (listing.Next(&found));
    return all;
}

// Notes the files that taking back a folder that the install clears left
// in it, at any depth, each with the reason its deletion fails with: they
// are the product's. Read-only ones stay, as that leaves them, and so do
// folders whose name begins with a dot; no link is followed.
bool NoteFilesLeftIn(const AnsiString& folder, TLeftFiles* left) {
    AnsiString finalFolder;
    WIN32_FIND_DATAA found;
    TScopedFind listing(JoinPath(folder, "*").CStr(), &found);
    if (!left || !listing.IsValid() || !FinalPath(folder, &finalFolder)) return true;
    bool all = true;
    do {
        DWORD attributes = found.dwFileAttributes;
        AnsiString path = JoinPath(folder, found.cFileName);
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!(attributes & FILE_ATTRIBUTE_READONLY)) all &= DeleteProductFile(path, finalFolder, false, left);
        } else if (found.cFileName[0] != '.') {
            all &= NoteFilesLeftIn(path, left);
        }
    } while (listing.Next(&found));
    return all;
}

// A folder that the install clears, and that the record says the install
// made, is the product's: it goes whole, links (themselves) excepted, unless
// it is or holds an IDE's folder or lies in the Windows folder. Others go
// when nothing is left in them.
bool RemoveFolder(const AnsiString& base, uint32_t dirKind, const AnsiString& folder, const TEarlierInstall& earlier,
                  bool made, TLeftFiles* left) {
    AnsiString path = JoinPath(base, folder.CStr());
    if (!IsRemovableTree(path, GetKindDirectory(dkWindows), GetKindDirectory(dkSystem)) ||
        LinkInProductFolders(JoinPath(base, ParentPath(folder).CStr()))) {
        return true;
    }
    if (made && !folder.IsEmpty() && IsClearedFolder(dirKind, folder, earlier) && !LinkInProductFolders(path) &&
        ForeignFolderAt(path).IsEmpty()) {
        return (DeleteDirectoryTree(path.CStr(), false) & dtFileNotDeleted) != dtFileNotDeleted ||
               NoteFilesLeftIn(path, left);
    }
    bool all = DeleteWhatToolsLeft(base, dirKind, folder, earlier, left);
    RemoveFolderItself(path);
    return all;
}

}  // namespace

bool UndoDirectory(const TUninstallRecord& record, const TEarlierInstall& earlier, TLeftFiles* left) {
    // Without its directory the names would be taken from the current folder.
    AnsiString base = GetKindDirectory(record.DirKind);
    if (base.IsEmpty()) return true;
    // Only what the product makes goes; the user's own files stay, and with
    // them the folders that hold them. Nothing goes through a link.
    TProductPaths paths(record.DirKind, record.Text, earlier);
    AnsiString name, folder, finalFolder;
    bool known = false, folderUsable = false, all = true;
    while (paths.NextFile(&name)) {
        // Each folder is looked at once, not for each of its files: whether
        // it is there (one taken back before holds nothing more) and whether
        // a link lies on the way to it.
        AnsiString parent = ParentPath(name);
        if (!known || parent != folder) {
            known = true;
            folder = parent;
            folderUsable = UsableFolder(JoinPath(base, folder.CStr()), &finalFolder);
        }
        if (folderUsable) all &= DeleteProductFile(JoinPath(base, name.CStr()), finalFolder, true, left);
    }
    // Then the folders below it, each before its parent (each of those has
    // a record of its own, which decides whether it goes whole), and the
    // folder itself.
    while (paths.NextFolder(&name)) all &= RemoveFolder(base, record.DirKind, name, earlier, false, left);
    return RemoveFolder(base, record.DirKind, record.Text, earlier, (record.Code & RecordFolderMade) != 0, left) &&
           all;
}

void UndoSelectIde(const TUninstallRecord& record) {
    CurrentIdeIndex = static_cast<int32_t>(record.Arg);
}
