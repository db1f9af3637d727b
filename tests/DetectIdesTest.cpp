// IDE detection from the "RootDir" values of the IDE keys in the test
// prefix's HKEY_LOCAL_MACHINE. The Borland keys are shared by every test
// program that fakes IDEs, so these tests hold a lock on them.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "util/UProducts.h"
#include "util/URegistry.h"

namespace {

class DetectIdesTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Borland"); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Borland");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Borland");
        for (TBorlandProduct& product : BorlandProducts) product.Selected = false;
    }
    void SetRootDir(int index, DWORD type, const char* text) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, BorlandProducts[index - 1].RegKey, 0,
                                  nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExA(key, "RootDir", 0, type, reinterpret_cast<const BYTE*>(text),
                       lstrlenA(text) + 1);
        RegCloseKey(key);
    }
};

TEST_F(DetectIdesTest, FindsNothingWithoutIdeKeys) {
    BorlandProducts[0].RootDir = "stale";
    BorlandProducts[0].Installed = true;
    DetectIdes();
    for (const TBorlandProduct& product : BorlandProducts) {
        EXPECT_FALSE(product.Installed) << product.Name;
        EXPECT_STREQ(product.RootDir.CStr(), "") << product.Name;
    }
}

TEST_F(DetectIdesTest, ReadsRootDirAsItIsStored) {
    SetRootDir(9, REG_SZ, "C:\\Program Files\\Borland\\Delphi7");
    SetRootDir(8, REG_SZ, "C:\\CBuilder6\\");
    SetRootDir(7, REG_SZ, "");
    SetRootDir(3, REG_EXPAND_SZ, "%ProgramFiles%\\Borland\\Delphi5");
    CreateRegKey(RootLocalMachine, BorlandProducts[1].RegKey);  // key without RootDir
    BorlandProducts[8].Selected = true;

    DetectIdes();
    EXPECT_TRUE(BorlandProducts[8].Installed);
    EXPECT_STREQ(BorlandProducts[8].RootDir.CStr(), "C:\\Program Files\\Borland\\Delphi7");
    EXPECT_TRUE(BorlandProducts[8].Selected) << "detection leaves the choice alone";
    EXPECT_TRUE(BorlandProducts[7].Installed);
    EXPECT_STREQ(BorlandProducts[7].RootDir.CStr(), "C:\\CBuilder6\\");
    EXPECT_TRUE(BorlandProducts[6].Installed) << "an empty RootDir still counts";
    EXPECT_STREQ(BorlandProducts[6].RootDir.CStr(), "");
    EXPECT_FALSE(BorlandProducts[2].Installed) << "REG_EXPAND_SZ is not a string here";
    EXPECT_FALSE(BorlandProducts[1].Installed);
    EXPECT_FALSE(BorlandProducts[0].Installed);
}

}  // namespace
