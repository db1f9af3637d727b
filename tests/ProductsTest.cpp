// The IDE product table: fixed order, masks and help-file slots.
#include <gtest/gtest.h>

#include "util/UProducts.h"

namespace {

TEST(ProductTable, KeepsItsOrderAndMasks) {
    const char* names[] = {"Delphi3",   "Delphi4", "Delphi5",   "CBuilder3", "CBuilder4",
                           "CBuilder5", "Delphi6", "CBuilder6", "Delphi7"};
    for (int i = 0; i < BorlandProductCount; ++i) {
        EXPECT_STREQ(BorlandProducts[i].Name, names[i]);
        EXPECT_EQ(BorlandProducts[i].Mask, 1u << i);
    }
    EXPECT_STREQ(BorlandProducts[8].RegKey, "Software\\Borland\\Delphi\\7.0");
    EXPECT_STREQ(BorlandProducts[7].RegKey, "Software\\Borland\\C++Builder\\6.0");
}

TEST(ProductTable, LeavesUnusedHelpSlotsEmpty) {
    EXPECT_STREQ(BorlandProducts[0].IdeFiles[0], "delphi3.cfg");
    EXPECT_STREQ(BorlandProducts[0].IdeFiles[1], "");
    EXPECT_STREQ(BorlandProducts[0].IdeFiles[2], "");
    for (const char* file : BorlandProducts[3].IdeFiles) EXPECT_STREQ(file, "");
    EXPECT_STREQ(BorlandProducts[2].IdeFiles[2], "");
    EXPECT_STREQ(BorlandProducts[5].IdeFiles[2], "");
    EXPECT_STREQ(BorlandProducts[8].IdeFiles[2], "d7.als");
}

TEST(FindProduct, FindsSingleBitsOnly) {
    ASSERT_NE(FindProduct(0x040), nullptr);
    EXPECT_STREQ(FindProduct(0x040)->Name, "Delphi6");
    EXPECT_EQ(FindProduct(0x100), &BorlandProducts[8]);
    EXPECT_EQ(FindProduct(0x003), nullptr);
    EXPECT_EQ(FindProduct(0), nullptr);
    EXPECT_EQ(FindProduct(0x200), nullptr);
}

TEST(SearchPathValueName, IsSpelledWithoutBlankForDelphi3Only) {
    EXPECT_STREQ(SearchPathValueName(1), "SearchPath");
    EXPECT_STREQ(SearchPathValueName(4), "Search Path");
    EXPECT_STREQ(SearchPathValueName(9), "Search Path");
    EXPECT_STREQ(KnownPackagesKey, "\\Known Packages");
    EXPECT_STREQ(LibraryKey, "\\Library");
}

}  // namespace
