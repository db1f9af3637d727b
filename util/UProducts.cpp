#include "util/UProducts.h"

TBorlandProduct BorlandProducts[BorlandProductCount] = {
#define VL_IDE(name, mask, compiler, item, position, display, option, key, file1, file2, file3) \
    {#name, mask, {}, false, false, key, {file1, file2, file3}},
#include "util/UIdes.def"
#undef VL_IDE
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
