// Removing and measuring directory trees, and reading product versions of files.
#pragma once

#include <stdint.h>

// Result bits of DeleteDirectoryTree; 0 is complete success.
const uint32_t dtFileNotDeleted = 0x80000002;      // at any depth
const uint32_t dtListingNotClosed = 0x80000004;
const uint32_t dtDirectoryNotRemoved = 0x80000008;
const uint32_t dtProbeNotClosed = 0x80000010;
const uint32_t dtDirectoryNotFound = 0x80000020;   // when it was to be removed

// Deletes every file below `dir` and every subdirectory (except those whose
// name begins with a dot, which stay with all they hold), then `dir` itself
// unless `keepDir`. Read-only files are not made writable: they stay and
// are reported. A link (a reparse point) goes itself, never what it leads
// to; a link that the system shows as a plain file stays and is reported, as
// does a `dir` that is a link and is to be kept. Never stops early; returns
// the union of what failed.
uint32_t DeleteDirectoryTree(const char* dir, bool keepDir);

// Whether `path` is there and is a folder.
bool IsFolder(const char* path);

// Whether the folder is there with anything in it.
bool FolderHoldsEntries(const char* dir);

// How many folders deep DirectoryTreeBytes goes below the folder it measures.
const unsigned MaxMeasuredDepth = 32;

// The bytes of every file below `dir`, down to MaxMeasuredDepth folders
// deep; 0 for a missing folder. Links (reparse points) are left out.
uint64_t DirectoryTreeBytes(const char* dir);

// The product version of a file's version resource, as its most and least
// significant halves. False, with `ms` and `ls` untouched, for a missing
// file or one without a version resource or without its fixed block.
bool GetFileProductVersion(const char* path, uint32_t* ms, uint32_t* ls);
