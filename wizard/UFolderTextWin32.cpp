// The check of the install folder that asks the system.
#include <windows.h>

#include "catalogue/UConst.h"
#include "util/UFileTree.h"
#include "util/UFolderIdentity.h"
#include "util/UPathText.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "util/URunState.h"
#include "util/UScoped.h"
#include "util/UText.h"
#include "wizard/UFolderText.h"

namespace {

// Whether a new file can be written in the folder: one is made, under a
// name nobody uses, and goes again when it is closed.
bool CanWriteIn(const AnsiString& folder) {
    for (DWORD attempt = 0; attempt < 8; ++attempt) {
        AnsiString name = JoinPath(folder, "~vlcheck") + Decimal(static_cast<int32_t>(GetTickCount() + attempt)) + ".tmp";
        TScopedFile file(CreateFileA(name.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.IsValid()) return true;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace

TFolderProblem CheckInstallFolder(const AnsiString& typed, AnsiString* folder, AnsiString* other) {
    *folder = NormalizedFolder(typed);
    TFolderProblem problem = CheckFolderText(*folder);
    if (problem != fpNone) return problem;
    UINT type = GetDriveTypeA(FolderRoot(*folder).CStr());
    // DRIVE_UNKNOWN or DRIVE_NO_ROOT_DIR; the others are removable, CD or RAM disks.
    if (type != DRIVE_FIXED && type != DRIVE_REMOTE) return type <= DRIVE_NO_ROOT_DIR ? fpNoSuchDrive : fpUnsuitableDrive;
    // Asked before anything is written: a disk that fills up half-way leaves
    // an installation cut short. Of the deepest folder there already, which
    // may be another disk mounted below the root.
    AnsiString existing = *folder;
    while (!IsFolder(existing.CStr()) && LastNameStart(existing) > 0) existing = ParentPath(existing);
    if (!EndsWithSeparator(existing)) existing += '\\';
    ULARGE_INTEGER free;
    if (GetDiskFreeSpaceExA(existing.CStr(), &free, nullptr, nullptr) &&
        free.QuadPart < InstallSpaceNeeded()) {
        if (other) *other = Decimal(static_cast<int32_t>(free.QuadPart >> 20));
        return fpNoSpace;
    }
    // The install fills the folder and folders named after the IDEs in it,
    // and an uninstall empties them: never where an IDE or Windows lies.
    bool windows = false;
    AnsiString foreign = ForeignFolderAt(*folder, &windows);
    if (other) *other = foreign;
    if (!foreign.IsEmpty()) return windows ? fpWindowsFolder : fpIdeFolder;
    // Tried as the install will use it: the folders missing on the way made,
    // a file written in it; what the try made goes again.
    AnsiString created;
    if (CreateDirectoryPath(folder->CStr(), &created) != 0) {
        RemoveCreatedFolders(*folder, created);
        return fpCannotCreate;
    }
    bool made = IsFolder(folder->CStr());
    bool written = made && CanWriteIn(*folder);
    RemoveCreatedFolders(*folder, created);
    if (!made) return fpCannotCreate;
    return written ? fpNone : fpCannotWrite;
}

AnsiString CommandFolderRefusal(const AnsiString& earlier, AnsiString* folder) {
    *folder = NormalizedFolder(CommandChoice.Folder);
    if (!earlier.IsEmpty() && !IsSameFolder(*folder, earlier)) {
        return AnsiString(ProductName) + " is installed in " + earlier +
               ", and an update installs into that folder. To install into " + *folder + ", uninstall it first.";
    }
    AnsiString other;
    TFolderProblem problem = CheckInstallFolder(CommandChoice.Folder, folder, &other);
    return FolderProblemText(problem, *folder, other);
}

AnsiString ProposedInstallFolder(const AnsiString& prevRootDir) {
    AnsiString base;
    for (const TBorlandProduct& product : BorlandProducts) {
        if (product.Selected) {
            base = ParentFolder(product.RootDir);
            break;
        }
    }
    if (!prevRootDir.IsEmpty()) return prevRootDir;
    if (base.IsEmpty()) {
        ReadRegString(RootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                      "ProgramFilesDir", &base);
    }
    return base.IsEmpty() ? base : WithProductFolder(base);
}
