#include "util/UFolderIdentity.h"

#include <windows.h>

#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"
#include "util/UProducts.h"
#include "util/UText.h"

namespace {

struct THeldFolder {
    AnsiString Folder, Final;
    HANDLE Handle = INVALID_HANDLE_VALUE;
};
// The install folder and the IDEs' roots.
THeldFolder Held[1 + BorlandProductCount];

THeldFolder* FindHeld(const AnsiString& folder) {
    for (THeldFolder& held : Held) {
        if (held.Handle != INVALID_HANDLE_VALUE && IsSameFolder(held.Folder, folder)) return &held;
    }
    return nullptr;
}

void Release(THeldFolder* held) {
    CloseHandle(held->Handle);
    *held = THeldFolder();
}

// A folder, never a link, opened so that nobody else can delete or move it
// (nobody may open it for deleting). It asks for no access that others'
// sharing must allow: they may list it, read it and write in it.
HANDLE OpenFolderToHold(const AnsiString& folder) {
    TScopedFile handle(CreateFileA(folder.CStr(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (handle.IsValid() &&
        (!GetFileInformationByHandle(handle.Get(), &information) ||
         (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
             FILE_ATTRIBUTE_DIRECTORY)) {
        handle.Close();
    }
    return handle.Release();
}

}  // namespace

bool FinalFolderPath(const AnsiString& folder, AnsiString* final) {
    AnsiString existing = folder, missing;
    for (;;) {
        // "C:" alone would be the current folder of drive C.
        AnsiString probe = existing.Last() == ':' ? existing + "\\" : existing;
        if (FinalPath(probe, final)) break;
        AnsiString parent = ParentPath(existing);
        if (parent.IsEmpty()) return false;
        missing = AnsiString(existing.CStr() + parent.Length()) + missing;
        existing = parent;
    }
    if (EndsWithSeparator(*final) && IsSeparator(missing.CStr()[0])) final->SetLength(final->Length() - 1);
    *final += missing;
    return true;
}

bool HoldFolder(const AnsiString& folder) {
    if (folder.IsEmpty()) return false;
    if (FindHeld(folder)) return true;
    for (THeldFolder& held : Held) {
        if (held.Handle != INVALID_HANDLE_VALUE) continue;
        TScopedFile handle(OpenFolderToHold(folder));
        if (!handle.IsValid()) return false;
        if (!FinalPathOfHandle(handle.Get(), &held.Final)) {
            held.Final = AnsiString();
            return false;
        }
        held.Folder = folder;
        held.Handle = handle.Release();
        return true;
    }
    return false;
}

void HoldProductFolders() {
    HoldFolder(InstallDir);
    for (const TBorlandProduct& product : BorlandProducts) {
        if (product.Installed) HoldFolder(product.RootDir);
    }
}

bool HeldFinalPath(const AnsiString& folder, AnsiString* final) {
    THeldFolder* held = FindHeld(folder);
    if (!held) return false;
    *final = held->Final;
    return true;
}

bool RemoveFolderItself(const AnsiString& folder) {
    // A held folder is let go for its removal, and held again when it stays.
    THeldFolder* held = FindHeld(folder);
    if (held) Release(held);
    if (RemoveDirectoryA(folder.CStr())) return true;
    if (held) HoldFolder(folder);
    return false;
}

void ReleaseHeldFolders() {
    for (THeldFolder& held : Held) {
        if (held.Handle != INVALID_HANDLE_VALUE) Release(&held);
    }
}

AnsiString ForeignFolderAt(const AnsiString& folder, bool* windows) {
    if (windows) *windows = false;
    AnsiString final, other;
    if (!FinalFolderPath(folder, &final)) return AnsiString();
    for (const TBorlandProduct& product : BorlandProducts) {
        if (product.Installed && !product.RootDir.IsEmpty() && FinalPath(product.RootDir, &other) &&
            IsSameOrBelow(other, final)) {
            return product.RootDir;
        }
    }
    AnsiString windowsDir = GetKindDirectory(dkWindows);
    if (!windowsDir.IsEmpty() && FinalPath(windowsDir, &other) && IsSameOrBelow(final, other)) {
        if (windows) *windows = true;
        return windowsDir;
    }
    return AnsiString();
}
