// The text rules of the destination folder.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "util/UAnsiString.h"

// An IDE's root folder without its last component: the folder that holds
// the IDE. A root without a backslash stays whole.
AnsiString ParentFolder(const AnsiString& rootDir);

// `folder` followed by the product's own folder name ("\Vellorin"), with no
// second backslash after a folder that ends with one.
AnsiString WithProductFolder(const AnsiString& folder);

// The folder as the install uses it, which is what Windows makes of the
// typed text: without surrounding double quotes, "/" as "\", doubled
// separators as one, "." and ".." resolved (never above the root), a
// long-path prefix ("\\?\") dropped, and no trailing separator but the
// backslash of a drive root ("C:\"). A text that names no drive or share is
// only trimmed, for the checks to refuse.
AnsiString NormalizedFolder(const AnsiString& typed);

// Why a folder cannot be the install folder.
enum TFolderProblem {
    fpNone,
    fpEmpty,
    fpNotAbsolute,      // neither "X:\..." nor "\\server\share..."
    fpTooLong,          // the script's deepest path below it would not fit a path
    fpNoSuchDrive,      // its drive or network share does not exist
    fpUnsuitableDrive,  // neither a local disk nor a network share: a CD, a removable or RAM disk
    fpDriveRoot,        // the root of a drive or share itself: the user's own files lie there
    fpForbiddenCharacter,  // < > : " | ? * or a control character in a name
    fpBadNameEnd,       // a name that ends with a blank or a dot
    fpDeviceName,       // CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an extension
    fpCannotCreate,     // the folder, or a folder on the way, cannot be made
    fpCannotWrite,      // no file can be written in it
    fpIdeFolder,        // an installed IDE's root folder, or a folder that holds one
    fpWindowsFolder,    // the Windows folder, or a folder in it
    fpNoSpace,          // its drive has less free space than the install needs
};

// The free space the install needs in its folder: what the payload writes,
// and room for what the IDEs' compilers write beside it.
uint64_t InstallSpaceNeeded();

// The longest install folder whose deepest script path still fits into the
// 259 characters of a Windows path.
size_t MaxInstallFolderLength();

// The checks of a normalized folder that need no system call: fpNone,
// fpEmpty, fpNotAbsolute, fpDriveRoot, fpForbiddenCharacter, fpBadNameEnd,
// fpDeviceName or fpTooLong.
TFolderProblem CheckFolderText(const AnsiString& folder);

// The name below the folder's root that the problem is about (for the
// problems of a name); empty for the others.
AnsiString OffendingName(TFolderProblem problem, const AnsiString& folder);

// The root of an absolute folder, with its backslash: "C:\" or
// "\\server\share\".
AnsiString FolderRoot(const AnsiString& folder);

// What the user is told about the folder's problem: what is wrong, and what
// to enter instead. `other` is the IDE's root folder or the Windows folder
// that the problem is about, or for fpNoSpace the megabytes free. Empty for
// fpNone.
AnsiString FolderProblemText(TFolderProblem problem, const AnsiString& folder,
                             const AnsiString& other = AnsiString());

// What the user is asked before the install goes into a folder that holds
// files and is not the earlier installation's: what will happen there,
// including, when users other than administrators can change the folder now,
// that it becomes a program folder only administrators can change.
AnsiString ExistingFolderQuestion(const AnsiString& folder, bool othersCanChange);

// Whether `typed` can be the install folder, for the wizard and for runs
// without a window: `folder` receives it normalized, and the result says
// what is wrong with it (fpNone when nothing is). After the text checks the
// system is asked for the type of its drive (GetDriveTypeA); then the folder
// is judged by its final path (a link is the folder it leads to) against the
// installed IDEs' folders (read by DetectIdes) and the Windows folder, with
// `other` receiving the one concerned; last the folder is tried: the folders
// missing on the way are made and a file is written in the deepest, and what
// the try made is taken back.
TFolderProblem CheckInstallFolder(const AnsiString& typed, AnsiString* folder, AnsiString* other = nullptr);

// The command line's /DIR= checked as the folder page checks a folder, and
// against the folder of an update (`earlier`, empty on a first install),
// which is the only one an update can use. `folder` receives it normalized.
// Empty when accepted; else why it is refused.
AnsiString CommandFolderRefusal(const AnsiString& earlier, AnsiString* folder);

// The folder the folder page proposes at its first entry: the earlier
// installation's folder, or a folder beside the first selected IDE, or in
// Program Files.
AnsiString ProposedInstallFolder(const AnsiString& prevRootDir);
