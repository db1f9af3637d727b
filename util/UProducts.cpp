#include "util/UProducts.h"

TBorlandProduct BorlandProducts[BorlandProductCount] = {
    {"Delphi3", 0x001, {}, false, false, "Software\\Borland\\Delphi\\3.0",
     {"delphi3.cfg", "", ""}},
    {"Delphi4", 0x002, {}, false, false, "Software\\Borland\\Delphi\\4.0",
     {"delphi4.cfg", "delphi4.ohi", "delphi4.ohl"}},
    {"Delphi5", 0x004, {}, false, false, "Software\\Borland\\Delphi\\5.0",
     {"delphi5.ohi", "delphi5.ohl", ""}},
    {"CBuilder3", 0x008, {}, false, false, "Software\\Borland\\C++Builder\\3.0", {"", "", ""}},
    {"CBuilder4", 0x010, {}, false, false, "Software\\Borland\\C++Builder\\4.0",
     {"bcb4.cfg", "bcb4.ohi", "bcb4.ohl"}},
    {"CBuilder5", 0x020, {}, false, false, "Software\\Borland\\C++Builder\\5.0",
     {"bcb5.ohi", "bcb5.ohl", ""}},
    {"Delphi6", 0x040, {}, false, false, "Software\\Borland\\Delphi\\6.0",
     {"delphi6.ohi", "delphi6.ohl", "delphi6.als"}},
    {"CBuilder6", 0x080, {}, false, false, "Software\\Borland\\C++Builder\\6.0",
     {"bcb6.ohi", "bcb6.ohl", "bcb6.als"}},
    {"Delphi7", 0x100, {}, false, false, "Software\\Borland\\Delphi\\7.0",
     {"d7.ohi", "d7.ohl", "d7.als"}},
};

const char KnownPackagesKey[] = "\\Known Packages";
const char LibraryKey[] = "\\Library";
const char RootDirValueName[] = "RootDir";

const char* SearchPathValueName(int32_t ideIndex) {
    return ideIndex == 1 ? "SearchPath" : "Search Path";
}

TBorlandProduct* FindProduct(uint32_t mask) {
    for (TBorlandProduct& product : BorlandProducts) {
        if (product.Mask == mask) return &product;
    }
    return nullptr;
}
