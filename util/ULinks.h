// Links on the way. A symbolic link, a junction or a mount point (a reparse
// point) inside a folder that the programs write or delete in would take a
// write or a deletion to wherever it leads: planted by another user in an
// install folder, it would have the programs empty or overwrite that user's
// chosen victim with administrator rights. So nothing is written or deleted
// through one; a link met in a tree that is removed goes itself.
//
// Windows marks a link by its attributes. Wine marks only links to folders:
// a link to a file shows as a plain file, and deleting it there deletes what
// it leads to. Where the attributes say nothing, the file's final path (with
// every link resolved) is compared with the path it was reached by.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/UAnsiString.h"
#include "util/UScoped.h"

// ERROR_STOPPED_ON_SYMLINK: "The create operation stopped after reaching a
// symbolic link." The result of an operation refused for a link on the way.
const uint32_t ErrorLinkOnTheWay = 681;

// `path` with every link resolved, as Windows gives it ("\\?\C:\..."); false
// when it cannot be had.
bool FinalPath(const AnsiString& path, AnsiString* final);
// The same for what an open handle names.
bool FinalPathOfHandle(HANDLE file, AnsiString* final);

// Whether what `path` names is a link that Windows marks as one.
bool IsLink(const char* path);

// Whether a folder between `base` and `path`, or what `path` names, is a
// link. False for a path that is not below `base`, and for the parts that do
// not exist yet.
bool LinkOnTheWay(const AnsiString& base, const AnsiString& path);

// The same for the folders the programs work in: the install folder and the
// root folder of every IDE found.
bool LinkInProductFolders(const AnsiString& path);

// Deletes the file at `path` in the folder whose final path is
// `finalFolder`, unless it lies elsewhere (a link to a file, under Wine):
// false, with the Windows error or ErrorLinkOnTheWay, when it is not
// deleted. A link that Windows marks as one goes itself. `evenReadOnly`: a
// file that the product made goes also when it has been made read-only (a
// copy from a CD, a checkout); anything else read-only stays.
bool DeleteFileNoFollow(const AnsiString& path, const AnsiString& finalFolder, bool evenReadOnly = false);

// Opens `path` for writing, creating it or emptying the file that is there,
// never through a link that leads nowhere (Windows and Wine would create what
// it leads to). INVALID_HANDLE_VALUE and the Windows error otherwise;
// ErrorLinkOnTheWay for a name that exists but cannot be looked at.
HANDLE CreateFileForWriting(const AnsiString& path);

// Opens the file at `path` for reading (others may read it meanwhile,
// nobody may write it), never through a link: the file itself is opened,
// and refused when it is a link that Windows marks as one or lies elsewhere
// than the folder's final path and its name say (a link to a file, under
// Wine). False, with the Windows error or ErrorLinkOnTheWay, and `file`
// closed, when it is not opened.
bool OpenForReadingNoFollow(const AnsiString& path, TScopedFile* file);
