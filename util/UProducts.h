// The nine Borland IDEs that the library supports.
//
// The order and the mask bits are stored in the script, in uninstall logs and
// in the registry, so they never change. An IDE is addressed by its 1-based
// index in BorlandProducts or by its Mask = 1 shl (index - 1).
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"

struct TBorlandProduct {
    const char* Name;     // short name, as the install log lists it
    uint32_t Mask;
    AnsiString RootDir;   // run time: the IDE's root folder; empty when not found
    bool Installed;       // run time: detection found the IDE
    bool Selected;        // run time: chosen for installation
    const char* RegKey;   // below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
    const char* IdeFiles[3];  // help configuration files by slot 1..3; "" for none
};

const int BorlandProductCount = 9;
extern TBorlandProduct BorlandProducts[BorlandProductCount];

// Suffixes of an IDE's RegKey, below HKEY_CURRENT_USER: its registered design
// packages and its library settings.
extern const char KnownPackagesKey[];
extern const char LibraryKey[];
// The value of an IDE key that holds its root folder.
extern const char RootDirValueName[];

// The name of the library search path value below RegKey + LibraryKey for
// the IDE at `ideIndex`: Delphi 3 spells it without the blank.
const char* SearchPathValueName(int32_t ideIndex);

// The first record whose Mask equals `mask` exactly, or null.
TBorlandProduct* FindProduct(uint32_t mask);

// Reads "RootDir" of every IDE key below HKEY_LOCAL_MACHINE into RootDir and
// sets Installed by whether a string value was found; Selected stays.
void DetectIdes();
