// The nine Borland IDEs that the library supports.
//
// The order and the mask bits are stored in the script, in uninstall logs and
// in the registry, so they never change. An IDE is addressed by its 1-based
// index in BorlandProducts or by its Mask = 1 shl (index - 1).
#pragma once

#include <stdint.h>

#include "UAnsiString.h"

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
