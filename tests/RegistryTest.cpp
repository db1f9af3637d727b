// The registry helpers against the real registry of the test prefix. Every
// test works below a key of its own process and removes it afterwards.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "util/URegistry.h"

namespace {

const HKEY User = HKEY_CURRENT_USER;

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        DetectPlatform();
        base_ = "Software\\VellorinTests\\" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(User, base_.c_str());
        ASSERT_TRUE(CreateRegKey(RootCurrentUser, base_.c_str()));
    }
    void TearDown() override { RegDeleteTreeA(User, base_.c_str()); }

    std::string Key(const std::string& below = "") const {
        return below.empty() ? base_ : base_ + "\\" + below;
    }
    void SetRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY opened;
        ASSERT_EQ(RegCreateKeyExA(User, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                                  nullptr), ERROR_SUCCESS);
        RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(opened);
    }
    bool Exists(const std::string& key) const {
        HKEY opened;
        if (RegOpenKeyExA(User, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    }
    std::string Read(const char* name, bool* ok) const {
        AnsiString text("left over");
        *ok = ReadRegString(RootCurrentUser, Key().c_str(), name, &text);
        return text.CStr();
    }

    std::string base_;
};

TEST_F(Registry, StringsRoundTripWithTheirNul) {
    ASSERT_TRUE(WriteRegString(RootCurrentUser, Key("new\\deep").c_str(), "v", "C:\\Lib"));
    AnsiString text;
    EXPECT_TRUE(ReadRegString(RootCurrentUser, Key("new\\deep").c_str(), "v", &text));
    EXPECT_STREQ(text.CStr(), "C:\\Lib");

    ASSERT_TRUE(WriteRegString(RootCurrentUser, Key().c_str(), "empty", ""));
    DWORD type = 0, size = 99;
    RegGetValueA(User, Key().c_str(), "empty", RRF_RT_ANY, &type, nullptr, &size);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 1u) << "an empty string is stored as its NUL";
}

TEST_F(Registry, ReadStringTakesOnlyRegSz) {
    SetRaw(Key(), "expand", REG_EXPAND_SZ, "%TEMP%", 7);
    SetRaw(Key(), "dword", REG_DWORD, "\1\0\0\0", 4);
    bool ok = true;
    EXPECT_EQ(Read("expand", &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read("dword", &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read("missing", &ok), "");
    EXPECT_FALSE(ok);
}

TEST_F(Registry, ReadStringGivesEmptyValuesAsEmptyText) {
    SetRaw(Key(), "nul-only", REG_SZ, "", 1);
    SetRaw(Key(), "no-bytes", REG_SZ, "", 0);
    bool ok = false;
    EXPECT_EQ(Read("nul-only", &ok), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read("no-bytes", &ok), "");
    EXPECT_TRUE(ok);
}

TEST_F(Registry, AStringStoredWithoutItsNulReadsWholeUnderWine) {
    // Wine's ANSI registry functions add the NUL when they convert a string
    // value, so the byte that the reader drops is always that NUL here.
    HKEY opened;
    ASSERT_EQ(RegOpenKeyExA(User, Key().c_str(), 0, KEY_WRITE, &opened), ERROR_SUCCESS);
    RegSetValueExW(opened, L"wide", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6);
    RegCloseKey(opened);
    bool ok = false;
    EXPECT_EQ(Read("wide", &ok), "abc");
    EXPECT_TRUE(ok);
}

TEST_F(Registry, DwordsReadAnyValueOfAtMostFourBytes) {
    uint32_t value = 7;
    EXPECT_FALSE(ReadRegDword(RootCurrentUser, Key().c_str(), "missing", &value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(WriteRegDword(RootCurrentUser, Key().c_str(), "mask", 0x480));
    EXPECT_TRUE(ReadRegDword(RootCurrentUser, Key().c_str(), "mask", &value));
    EXPECT_EQ(value, 0x480u);

    SetRaw(Key(), "short", REG_BINARY, "\x34\x12", 2);
    EXPECT_TRUE(ReadRegDword(RootCurrentUser, Key().c_str(), "short", &value));
    EXPECT_EQ(value, 0x1234u);
    SetRaw(Key(), "long", REG_BINARY, "12345678", 8);
    value = 7;
    EXPECT_FALSE(ReadRegDword(RootCurrentUser, Key().c_str(), "long", &value));
    EXPECT_EQ(value, 0u);
}

TEST_F(Registry, DeleteValueNeverCreatesTheKey) {
    WriteRegString(RootCurrentUser, Key().c_str(), "v", "x");
    EXPECT_TRUE(DeleteRegValue(RootCurrentUser, Key().c_str(), "v"));
    EXPECT_FALSE(DeleteRegValue(RootCurrentUser, Key().c_str(), "v"));
    EXPECT_FALSE(DeleteRegValue(RootCurrentUser, Key("absent").c_str(), "v"));
    EXPECT_FALSE(Exists(Key("absent")));
}

TEST_F(Registry, DeleteTreeOfAMissingKeyOrAnEmptyPathChangesNothing) {
    EXPECT_FALSE(DeleteRegKeyTree(RootCurrentUser, Key("absent\\x").c_str()));
    EXPECT_TRUE(Exists(Key()));
    // An open key stands in for a root, which an empty path would empty.
    CreateRegKey(RootCurrentUser, Key("below").c_str());
    HKEY opened;
    ASSERT_EQ(RegOpenKeyExA(User, Key().c_str(), 0, KEY_ALL_ACCESS, &opened), ERROR_SUCCESS);
    EXPECT_FALSE(DeleteRegKeyTree(static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(opened)), ""));
    RegCloseKey(opened);
    EXPECT_TRUE(Exists(Key("below")));
}

TEST_F(Registry, DeleteTreeRemovesTheSubtreeAndEmptyAncestors) {
    // base (holds a value) \ a (empty) \ b \ c \ d, with values down the tree.
    WriteRegString(RootCurrentUser, Key().c_str(), "keep", "1");
    WriteRegString(RootCurrentUser, Key("a\\b\\c\\d").c_str(), "v", "1");
    WriteRegString(RootCurrentUser, Key("a\\b\\c").c_str(), "v", "1");
    WriteRegString(RootCurrentUser, Key("a\\b\\c2").c_str(), "v", "1");
    EXPECT_TRUE(DeleteRegKeyTree(RootCurrentUser, Key("a\\b").c_str()));
    EXPECT_FALSE(Exists(Key("a\\b")));
    EXPECT_FALSE(Exists(Key("a"))) << "left empty, so it goes too";
    EXPECT_TRUE(Exists(Key())) << "holds a value, so the walk stops there";
}

TEST_F(Registry, DeleteTreeStopsAtAParentWithValuesOrOtherSubkeys) {
    WriteRegString(RootCurrentUser, Key("valued\\child").c_str(), "v", "1");
    WriteRegString(RootCurrentUser, Key("valued").c_str(), "v", "1");
    WriteRegString(RootCurrentUser, Key("shared\\child").c_str(), "v", "1");
    CreateRegKey(RootCurrentUser, Key("shared\\sibling").c_str());

    EXPECT_TRUE(DeleteRegKeyTree(RootCurrentUser, Key("valued\\child").c_str()));
    EXPECT_FALSE(Exists(Key("valued\\child")));
    EXPECT_TRUE(Exists(Key("valued")));
    EXPECT_TRUE(DeleteRegKeyTree(RootCurrentUser, Key("shared\\child").c_str()));
    EXPECT_FALSE(Exists(Key("shared\\child")));
    EXPECT_TRUE(Exists(Key("shared\\sibling")));
}

TEST_F(Registry, DeleteTreeNeverRemovesTheFirstComponent) {
    const std::string top = "VellorinTestTop" + std::to_string(GetCurrentProcessId());
    CreateRegKey(RootCurrentUser, (top + "\\only\\below").c_str());
    EXPECT_TRUE(DeleteRegKeyTree(RootCurrentUser, (top + "\\only").c_str()));
    EXPECT_FALSE(Exists(top + "\\only"));
    EXPECT_TRUE(Exists(top)) << "empty, but the first component of the path";

    CreateRegKey(RootCurrentUser, (top + "\\x\\y").c_str());
    EXPECT_TRUE(DeleteRegKeyTree(RootCurrentUser, top.c_str()));
    EXPECT_FALSE(Exists(top + "\\x"));
    EXPECT_TRUE(Exists(top)) << "a single component keeps the key and loses its subkeys";
    RegDeleteTreeA(User, top.c_str());
    RegDeleteKeyA(User, top.c_str());
}

TEST(Platform, IsNtUnderWine) {
    DetectPlatform();
    EXPECT_EQ(PlatformId, uint32_t(VER_PLATFORM_WIN32_NT));
}

}  // namespace
