// The composed texts of the product and the selection table.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/UConst.h"
#include "resources/version.h"

namespace {

TEST(ComposedTexts, NameTheEditionProductAndVersion) {
    EXPECT_EQ(std::string(ProductNameAndVersion().CStr()), "Vellorin library v" VL_VERSION_SHORT);
    EXPECT_EQ(std::string(EditionText().CStr()), std::string(EditionLabel) + " of Vellorin library v" VL_VERSION_SHORT);
    EXPECT_EQ(std::string(UninstallDisplayName().CStr()), "Brindlecraft Vellorin library v" VL_VERSION_SHORT);
}

TEST(ComposedTexts, ThePackageDescriptionStartsWithACapital) {
    ASSERT_TRUE(EditionLabel[0] >= 'a' && EditionLabel[0] <= 'z');
    std::string description = PackageDescription().CStr();
    std::string edition = EditionText().CStr();
    EXPECT_EQ(description[0], edition[0] - 'a' + 'A');
    EXPECT_EQ(description.substr(1), edition.substr(1));
}

TEST(ComposedTexts, TheUninstallCommandQuotesPathsWithBlanks) {
    EXPECT_STREQ(UninstallCommand("C:\\Lib\\Vellorin").CStr(),
                 "C:\\Lib\\Vellorin\\redud.exe C:\\Lib\\Vellorin\\uninst.log");
    EXPECT_STREQ(UninstallCommand("C:\\Program Files\\Vellorin").CStr(),
                 "\"C:\\Program Files\\Vellorin\\redud.exe\" "
                 "\"C:\\Program Files\\Vellorin\\uninst.log\"");
}

TEST(SelectionTable, HasTheRowsInDisplayOrderWithTheirBits) {
    const char* names[] = {"Delphi 3",     "Delphi 4",     "Delphi 5",
                           "Delphi 6",     "Delphi 7",     "C++Builder 4",
                           "C++Builder 5", "C++Builder 6", "Context help files",
                           "Delphi demo projects", "C++Builder demo projects"};
    const uint32_t itemBits[] = {0x001, 0x002, 0x004, 0x008, 0x400, 0x010,
                                 0x020, 0x040, 0x080, 0x100, 0x200};
    const uint32_t ideBits[] = {0x001, 0x002, 0x004, 0x040, 0x100, 0x010, 0x020, 0x080, 0, 0, 0};
    uint32_t allItems = 0;
    for (int i = 0; i < SelectionItemCount; ++i) {
        EXPECT_STREQ(SelectionItems[i].DisplayName, names[i]);
        EXPECT_EQ(SelectionItems[i].ItemBit, itemBits[i]) << i;
        EXPECT_EQ(SelectionItems[i].IdeBit, ideBits[i]) << i;
        allItems |= SelectionItems[i].ItemBit;
    }
    EXPECT_EQ(allItems, 0x7FFu) << "every item bit once";
}

TEST(SelectionTable, StartsWithNothingSelectedAndTheCustomizeDefault) {
    EXPECT_EQ(InstallVersions, 0u);
    EXPECT_EQ(InstallItems, 0u);
    EXPECT_EQ(CustomizeItems, 5u);
    ASSERT_EQ(CustomizeOptionCount, 1);
    EXPECT_STREQ(CustomizeOptions[0].Name, "");
    EXPECT_STREQ(CustomizeOptions[0].Description, "");
}

}  // namespace
