// The path vocabulary: the one way both programs take a path apart, put one
// together and compare names.
//
// Paths are ANSI text in the code page of the user's locale. In the
// double-byte code pages (932, 936, 949, 950) a character may be a lead byte
// and a trail byte, and the trail byte may be 0x5C ("\") or 0x7C ("|"): every
// function here walks characters, never bytes, and folds the case of whole
// names, never of single bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "util/UAnsiString.h"

struct TCodePage {
    // Bit b set: byte b begins a double-byte character.
    uint8_t LeadBytes[32];
    // The code page's number, for FoldCase.
    unsigned Number;
    // The name with every letter in upper case, as Windows compares file
    // names; false when the name cannot be folded so (it is then compared
    // as it is). Null: only ASCII letters are folded.
    bool (*FoldCase)(unsigned codePage, const AnsiString& name, AnsiString* folded);

    bool IsLead(char c) const {
        unsigned char b = static_cast<unsigned char>(c);
        return (LeadBytes[b >> 3] >> (b & 7)) & 1;
    }
};

// The code page of both programs: single-byte with ASCII case until the
// program asks the system for its own (LoadSystemCodePage, UCodePage.h).
extern TCodePage SystemCodePage;

// A code page whose lead bytes are the ranges given as first-last pairs,
// ended by a 0; ASCII case folding.
TCodePage CodePageWithLeadRanges(const uint8_t* ranges);

// The bytes of the character at `at` of `text` (`length` bytes): 2 for a
// lead byte that a trail byte follows, else 1. A lead byte at the end, or
// before a NUL, is a character of its own.
size_t CharSize(const char* text, size_t length, size_t at, const TCodePage& cp = SystemCodePage);

// "\" or "/", for a byte that begins a character.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

enum TPathKind {
    pkRelative,       // "Lib", "" : taken from the current folder
    pkRooted,         // "\Lib": the root of the current drive
    pkDriveRelative,  // "C:Lib": the current folder of drive C
    pkDrive,          // "C:\Lib", "\\?\C:\Lib"
    pkShare,          // "\\server\share\Lib", "\\?\UNC\server\share\Lib"
    pkOther,          // a device ("\\.\COM1", "\\?\Volume{...}") or a share path without its share
};

struct TPathRoot {
    TPathKind Kind;
    // The root's bytes without the separator after it: "C:", "\\?\C:",
    // "\\server\share"; 0 for relative and rooted paths.
    size_t Length;
};

TPathRoot PathRoot(const AnsiString& path, const TCodePage& cp = SystemCodePage);
// Where the folders of `path` begin, past its root and the separator after
// it: a drive or a share cannot be created; 1 for a rooted path.
size_t DirectoryPathStart(const AnsiString& path, const TCodePage& cp = SystemCodePage);
// A drive's or a share's path: one that means the same from any folder.
bool IsAbsolutePath(const AnsiString& path, const TCodePage& cp = SystemCodePage);

// Where the last name of `path` starts: after its last separator; 0 when it
// has none.
size_t LastNameStart(const AnsiString& path, const TCodePage& cp = SystemCodePage);
// The last name: what follows the last separator.
AnsiString LastName(const AnsiString& path, const TCodePage& cp = SystemCodePage);
// The path without its last separator and what follows it; empty for a
// path without one.
AnsiString ParentPath(const AnsiString& path, const TCodePage& cp = SystemCodePage);

// Whether the last character is a separator.
bool EndsWithSeparator(const AnsiString& path, const TCodePage& cp = SystemCodePage);
// The path without the separators at its end.
AnsiString WithoutTrailingSeparators(const AnsiString& path, const TCodePage& cp = SystemCodePage);

// `base` and `name` with one backslash between them where needed. Only "\"
// counts as a separator here; an empty base gives `name` alone.
AnsiString JoinPath(const AnsiString& base, const char* name, const TCodePage& cp = SystemCodePage);

// `path` with "/" as "\", each run of separators as one, and none at either
// end.
AnsiString CollapsedSeparators(const AnsiString& path, const TCodePage& cp = SystemCodePage);

// A folder as folders are compared: every separator a backslash, runs of
// them as one (but the two that begin a share's path) and none at the end;
// the case is kept.
AnsiString CanonicalFolder(const AnsiString& folder, const TCodePage& cp = SystemCodePage);

// The name with its letters folded as the code page folds them: what two
// names that Windows takes for the same file have in common.
AnsiString FoldedName(const AnsiString& name, const TCodePage& cp = SystemCodePage);
// Whether two names are the same file name: without regard to case.
bool SameFileName(const AnsiString& a, const AnsiString& b, const TCodePage& cp = SystemCodePage);
// Whether `text` begins with `start`, compared as file names.
bool StartsWithName(const AnsiString& text, const AnsiString& start, const TCodePage& cp = SystemCodePage);
// Whether `text` ends with `end`, from the start of one of its characters,
// compared as file names.
bool EndsWithName(const AnsiString& text, const AnsiString& end, const TCodePage& cp = SystemCodePage);

// Whether two folders are the same, compared as canonical folders and as
// file names.
bool IsSameFolder(const AnsiString& a, const AnsiString& b, const TCodePage& cp = SystemCodePage);
// Where the part of `path` below the folder `base` starts: past `base` and
// the separators after it; 0 when `path` is not below `base` (or is `base`
// itself). Compared as folders are.
size_t RelativeStart(const AnsiString& base, const AnsiString& path, const TCodePage& cp = SystemCodePage);
// Whether `folder` is `base` or a folder below it; false for an empty `base`.
bool IsSameOrBelow(const AnsiString& folder, const AnsiString& base, const TCodePage& cp = SystemCodePage);

// The marker between a file's name and the 16 random hex digits of the new
// file that a rewrite of it writes beside it ("d7.cfg.vl0123456789abcdef.tmp").
extern const char RewriteMarker[];
// Whether `name` has exactly that form, so that one left by a run that was
// ended can be told from a user's file: a name, the marker, 16 lower-case
// hex digits, ".tmp".
bool IsRewriteLeftover(const char* name, const TCodePage& cp = SystemCodePage);

// A character that Windows does not allow in a name, separators aside:
// < > : " | ? * and the control characters.
bool IsForbiddenInName(char c);
// Where the first such character of a name (its `length` bytes) lies;
// `length` when there is none.
size_t ForbiddenCharAt(const char* name, size_t length, const TCodePage& cp = SystemCodePage);
