#include "util/UFileTree.h"

#include <stdlib.h>
#include <windows.h>

#include "util/UAnsiString.h"
#include "util/ULinks.h"
#include "util/UScoped.h"

namespace {

// Deletes what the listing of `dir` (not a link itself) holds.
uint32_t DeleteEntries(const AnsiString& dir) {
    uint32_t result = 0;
    AnsiString base = dir + "\\";
    AnsiString finalFolder;
    if (!FinalPath(dir, &finalFolder)) finalFolder = AnsiString();
    WIN32_FIND_DATAA found;
    TScopedFind listing((base + "*.*").CStr(), &found);
    if (!listing.IsValid()) return result;
    do {
        AnsiString path = base + found.cFileName;
        bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link goes itself, where the system can take it away.
            if (directory ? !RemoveDirectoryA(path.CStr()) : !DeleteFileA(path.CStr())) {
                result |= directory ? dtDirectoryNotRemoved : dtFileNotDeleted;
            }
        } else if (!directory) {
            // A link to a file that the system shows as a plain file (Wine)
            // stays: deleting it there would delete what it leads to.
            if (!DeleteFileNoFollow(path, finalFolder)) result |= dtFileNotDeleted;
        } else if (found.cFileName[0] != '.') {
            result |= DeleteDirectoryTree(path.CStr(), false);
        }
    } while (listing.Next(&found));
    if (!listing.Close()) result |= dtListingNotClosed;
    return result;
}

// The bytes below `dir`, `depth` folders below where the measuring began.
// A link is not followed: two of them leading back up would have it count
// forever. Nor is a folder deeper than any that a product would make.
uint64_t TreeBytes(const AnsiString& dir, unsigned depth) {
    uint64_t bytes = 0;
    AnsiString base = dir + "\\";
    WIN32_FIND_DATAA found;
    TScopedFind listing((base + "*.*").CStr(), &found);
    if (!listing.IsValid()) return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            bytes += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        } else if (depth < MaxMeasuredDepth && lstrcmpA(found.cFileName, ".") != 0 &&
                   lstrcmpA(found.cFileName, "..") != 0) {
            bytes += TreeBytes(base + found.cFileName, depth + 1);
        }
    } while (listing.Next(&found));
    return bytes;
}

}  // namespace

uint32_t DeleteDirectoryTree(const char* dir, bool keepDir) {
    // A link is never listed: only the link itself can go.
    bool link = IsLink(dir);
    if (link && keepDir) return dtFileNotDeleted;
    uint32_t result = link ? 0 : DeleteEntries(AnsiString(dir));
    if (keepDir) return result;

    WIN32_FIND_DATAA found;
    TScopedFind probe(dir, &found);
    if (!probe.IsValid()) return result | dtDirectoryNotFound;
    if (!RemoveDirectoryA(dir)) result |= dtDirectoryNotRemoved;
    if (!probe.Close()) result |= dtProbeNotClosed;
    return result;
}

bool IsFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderHoldsEntries(const char* dir) {
    WIN32_FIND_DATAA found;
    TScopedFind listing((AnsiString(dir) + "\\*").CStr(), &found);
    if (!listing.IsValid()) return false;
    do {
        if (lstrcmpA(found.cFileName, ".") != 0 && lstrcmpA(found.cFileName, "..") != 0) return true;
    } while (listing.Next(&found));
    return false;
}

uint64_t DirectoryTreeBytes(const char* dir) { return TreeBytes(AnsiString(dir), 0); }

bool GetFileProductVersion(const char* path, uint32_t* ms, uint32_t* ls) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return false;
    void* info = malloc(size);
    if (!info) return false;
    bool found = false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    // A version resource may lack the fixed block: then the root query gives
    // no block of the full size, and nothing is read.
    if (GetFileVersionInfoA(path, 0, size, info) &&
        VerQueryValueA(info, "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        *ms = fixed->dwProductVersionMS;
        *ls = fixed->dwProductVersionLS;
        found = true;
    }
    free(info);
    return found;
}
