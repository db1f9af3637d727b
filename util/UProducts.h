// The Borland IDEs that the library supports, from their table
// (util/UIdes.def).
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

// The tool that compiles an IDE's packages: "bin\dcc32.exe <project>" or
// "bin\make.exe /f<makefile>".
enum TIdeCompiler : uint8_t { ckDcc32, ckMake };

// What the table says of an IDE besides BorlandProducts' fields: read in
// constant expressions only, so that the programs carry none of it.
struct TIdeRow {
    const char* Name;
    uint32_t Mask;
    TIdeCompiler Compiler;
    uint32_t ItemBit;         // its row on the selection page; 0 for none
    int Position;             // the row's place among the IDE rows there
    const char* DisplayName;  // the row's text
    const char* Option;       // its name on setup.exe's command line
};

constexpr TIdeRow IdeRows[] = {
#define VL_IDE(name, mask, compiler, item, position, display, option, key, file1, file2, file3) \
    {#name, mask, compiler, item, position, display, option},
#include "util/UIdes.def"
#undef VL_IDE
};

const int BorlandProductCount = sizeof IdeRows / sizeof *IdeRows;
extern TBorlandProduct BorlandProducts[BorlandProductCount];

namespace ide_checks {

constexpr bool MasksFollowTheOrder() {
    for (int i = 0; i < BorlandProductCount; ++i) {
        if (IdeRows[i].Mask != 1u << i) return false;
    }
    return true;
}

// The IDEs that dcc32 compiles for, as a mask.
constexpr uint32_t Dcc32Ides() {
    uint32_t mask = 0;
    for (const TIdeRow& ide : IdeRows) {
        if (ide.Compiler == ckDcc32) mask |= ide.Mask;
    }
    return mask;
}

}  // namespace ide_checks

static_assert(BorlandProductCount <= 32 && ide_checks::MasksFollowTheOrder(),
              "an IDE's mask must be 1 shl (index - 1)");

// The compiler of the IDE at `index` (1..BorlandProductCount), from a mask
// made of the table at compile time.
inline TIdeCompiler IdeCompiler(int index) {
    return (ide_checks::Dcc32Ides() >> (index - 1)) & 1 ? ckDcc32 : ckMake;
}

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
