// The check of the install folder that asks the system.
#include <windows.h>

#include "UFolderText.h"

TFolderProblem CheckInstallFolder(const AnsiString& typed, AnsiString* folder) {
    *folder = NormalizedFolder(typed);
    TFolderProblem problem = CheckFolderText(*folder);
    if (problem != fpNone) return problem;
    UINT type = GetDriveTypeA(FolderRoot(*folder).CStr());
    if (type == DRIVE_FIXED || type == DRIVE_REMOTE) return fpNone;
    // DRIVE_UNKNOWN or DRIVE_NO_ROOT_DIR; the others are removable, CD or RAM disks.
    return type <= DRIVE_NO_ROOT_DIR ? fpNoSuchDrive : fpUnsuitableDrive;
}
