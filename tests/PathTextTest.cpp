#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "util/UPaths.h"
#include "util/UText.h"

namespace {

struct JoinCase {
    const char* base;
    const char* name;
    const char* expected;
};

void PrintTo(const JoinCase& c, std::ostream* out) {
    *out << '"' << c.base << "\" + \"" << (c.name ? c.name : "(null)") << '"';
}

class JoinPathCases : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathCases, JoinWithOneBackslashWhereNeeded) {
    const JoinCase& c = GetParam();
    EXPECT_STREQ(JoinPath(c.base, c.name).CStr(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinPathCases,
    ::testing::Values(JoinCase{"C:\\Lib", "Source", "C:\\Lib\\Source"},
                      JoinCase{"C:\\", "Source", "C:\\Source"},
                      JoinCase{"C:\\Lib", "", "C:\\Lib"},
                      JoinCase{"C:\\Lib", nullptr, "C:\\Lib"},
                      JoinCase{"C:\\Lib", "\\x", "C:\\Lib\\x"},
                      JoinCase{"C:\\Lib\\", "\\x", "C:\\Lib\\\\x"},
                      JoinCase{"", "x", "x"},
                      JoinCase{"", "", ""},
                      // Only the backslash counts as a separator here.
                      JoinCase{"C:/Lib", "x", "C:/Lib\\x"},
                      JoinCase{"C:\\Lib/", "x", "C:\\Lib/\\x"},
                      JoinCase{"C:\\Lib", "Source\\a.pas", "C:\\Lib\\Source\\a.pas"}));

struct StartCase {
    const char* path;
    size_t expected;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << '"' << c.path << '"'; }

class DirectoryPathStartCases : public ::testing::TestWithParam<StartCase> {};

TEST_P(DirectoryPathStartCases, SkipsWhatCannotBeCreated) {
    EXPECT_EQ(DirectoryPathStart(GetParam().path), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DirectoryPathStartCases,
    ::testing::Values(StartCase{"C:\\a\\b", 3}, StartCase{"\\\\?\\C:\\a", 7}, StartCase{"a\\b", 0}, StartCase{"", 0},
                      StartCase{"\\a\\b", 1}, StartCase{"/a", 1},
                      StartCase{"\\\\server\\share\\dir", 15},
                      StartCase{"//server/share/dir", 15},
                      StartCase{"\\\\server\\share", 14},
                      StartCase{"\\\\server", 8}, StartCase{"\\\\", 2}));

struct BelowCase {
    const char* base;
    const char* path;
    size_t expected;
};

void PrintTo(const BelowCase& c, std::ostream* out) { *out << '"' << c.path << "\" below \"" << c.base << '"'; }

class RelativeStartCases : public ::testing::TestWithParam<BelowCase> {};

TEST_P(RelativeStartCases, FindsThePartBelowTheBase) {
    EXPECT_EQ(RelativeStart(GetParam().base, GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RelativeStartCases,
    ::testing::Values(BelowCase{"c:\\lib", "c:\\lib\\source\\a.pas", 7},
                      BelowCase{"c:\\lib\\", "c:\\lib\\source", 7},
                      BelowCase{"c:\\lib", "c:\\lib\\\\help\\", 8},
                      BelowCase{"c:\\lib", "c:/lib/source", 7},
                      BelowCase{"c:\\", "c:\\lib", 3},
                      // The base itself, a sibling that starts alike, another folder.
                      BelowCase{"c:\\lib", "c:\\lib", 0}, BelowCase{"c:\\lib", "c:\\lib\\", 0},
                      BelowCase{"c:\\lib", "c:\\library\\x", 0}, BelowCase{"c:\\lib", "d:\\lib\\x", 0},
                      BelowCase{"", "c:\\lib", 0}, BelowCase{"c:\\lib", "C:\\LIB\\x", 7}));

// The lead bytes of the double-byte code pages: 932 (Japanese), 936, 949
// and 950 (Chinese, Korean, Traditional Chinese), and a single-byte one.
const uint8_t Ranges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0};
const uint8_t Ranges950[] = {0x81, 0xFE, 0};
const uint8_t NoRanges[] = {0};
const TCodePage Cp932 = CodePageWithLeadRanges(Ranges932);
const TCodePage Cp950 = CodePageWithLeadRanges(Ranges950);
const TCodePage SingleByte = CodePageWithLeadRanges(NoRanges);

// Names whose trail bytes are "\" (0x5C) or "|" (0x7C).
#define KAIHATSU "\x8a\x4a\x94\xad"  // 開発 in 932
#define KINOU "\x8b\x40\x94\x5c"     // 機能: 能 ends with 0x5C
#define SOFUTO "\x83\x5c\x83\x74\x83\x67"  // ソフト: ソ ends with 0x5C
#define PO "\x83\x7c"                  // ポ: ends with 0x7C
#define SEIKOU "\xa6\xa8\xa5\x5c"     // 成功 in 950: 功 ends with 0x5C

struct CharCase {
    const TCodePage* cp;
    const char* path;
    const char* parent;
    const char* last;
    const char* withoutTrailing;
    const char* joined;  // with "Source"
    size_t forbiddenAt;  // in the last name; its length when none
};

void PrintTo(const CharCase& c, std::ostream* out) { *out << '"' << c.path << '"'; }

class CharCases : public ::testing::TestWithParam<CharCase> {};

TEST_P(CharCases, ADoubleByteCharacterIsOneCharacter) {
    const CharCase& c = GetParam();
    EXPECT_STREQ(ParentPath(c.path, *c.cp).CStr(), c.parent);
    EXPECT_STREQ(LastName(c.path, *c.cp).CStr(), c.last);
    EXPECT_STREQ(WithoutTrailingSeparators(c.path, *c.cp).CStr(), c.withoutTrailing);
    EXPECT_STREQ(JoinPath(c.path, "Source", *c.cp).CStr(), c.joined);
    AnsiString last = LastName(c.path, *c.cp);
    EXPECT_EQ(ForbiddenCharAt(last.CStr(), last.Length(), *c.cp), c.forbiddenAt);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CharCases,
    ::testing::Values(
        CharCase{&Cp932, "C:\\" KAIHATSU "\\" KINOU, "C:\\" KAIHATSU, KINOU, "C:\\" KAIHATSU "\\" KINOU,
                 "C:\\" KAIHATSU "\\" KINOU "\\Source", 4},
        CharCase{&Cp932, "C:\\" KINOU "\\", "C:\\" KINOU, "", "C:\\" KINOU, "C:\\" KINOU "\\Source", 0},
        CharCase{&Cp932, "C:\\" SOFUTO "\\x", "C:\\" SOFUTO, "x", "C:\\" SOFUTO "\\x", "C:\\" SOFUTO "\\x\\Source", 1},
        CharCase{&Cp932, "C:\\a" PO "b", "C:", "a" PO "b", "C:\\a" PO "b", "C:\\a" PO "b\\Source", 4},
        CharCase{&Cp950, "C:\\" SEIKOU, "C:", SEIKOU, "C:\\" SEIKOU, "C:\\" SEIKOU "\\Source", 4},
        // A lead byte at the end of the text is a character of its own.
        CharCase{&Cp932, "C:\\a\\\x94", "C:\\a", "\x94", "C:\\a\\\x94", "C:\\a\\\x94\\Source", 1},
        // The same bytes in a single-byte code page: 0x5C and 0x7C are "\" and "|".
        CharCase{&SingleByte, "C:\\" KINOU, "C:\\\x8b\x40\x94", "", "C:\\\x8b\x40\x94", "C:\\" KINOU "Source", 0},
        CharCase{&SingleByte, "C:\\a" PO "b", "C:", "a" PO "b", "C:\\a" PO "b", "C:\\a" PO "b\\Source", 2}));

TEST(PathRoot, KnowsEachKindOfPath) {
    auto root = [](const char* path, const TCodePage& cp = SingleByte) {
        TPathRoot r = PathRoot(path, cp);
        return std::to_string(r.Kind) + ":" + std::to_string(r.Length);
    };
    EXPECT_EQ(root("C:\\Lib"), std::to_string(pkDrive) + ":2");
    EXPECT_EQ(root("C:Lib"), std::to_string(pkDriveRelative) + ":2");
    EXPECT_EQ(root("\\Lib"), std::to_string(pkRooted) + ":0");
    EXPECT_EQ(root("Lib"), std::to_string(pkRelative) + ":0");
    EXPECT_EQ(root("\\\\?\\C:\\Lib"), std::to_string(pkDrive) + ":6");
    EXPECT_EQ(root("\\\\?\\UNC\\nas\\lib\\x"), std::to_string(pkShare) + ":15");
    EXPECT_EQ(root("\\\\nas\\lib\\x"), std::to_string(pkShare) + ":9");
    EXPECT_EQ(root("\\\\.\\COM1"), std::to_string(pkOther) + ":8");
    EXPECT_EQ(root("\\\\nas"), std::to_string(pkOther) + ":5");
    // A server's name whose trail byte is "\" is one name.
    EXPECT_EQ(root("\\\\" KINOU "\\lib\\x", Cp932), std::to_string(pkShare) + ":10");
    EXPECT_EQ(root("\\\\" KINOU "\\lib\\x", SingleByte), std::to_string(pkOther) + ":12") << "no share name";
}

TEST(FileNames, CompareWithoutRegardToCaseButNeverFoldATrailByte) {
    EXPECT_TRUE(SameFileName("C:\\Lib\\Vellorin", "c:\\LIB\\vellorin", Cp932));
    // ア is 83 41 and ヂ 83 61: "A" and "a" as trail bytes.
    EXPECT_FALSE(SameFileName("C:\\\x83\x41", "C:\\\x83\x61", Cp932));
    EXPECT_TRUE(SameFileName("C:\\\x83\x41", "C:\\\x83\x61", SingleByte)) << "two letters in a single-byte page";
    EXPECT_TRUE(IsSameFolder("c:/" KINOU "//x\\", "C:\\" KINOU "\\X", Cp932));
    EXPECT_FALSE(IsSameFolder("C:\\" KINOU, "C:\\\x8b\x40\x94", Cp932));
    EXPECT_EQ(RelativeStart("C:\\" KINOU, "c:\\" KINOU "\\Source", Cp932), 8u);
    EXPECT_EQ(RelativeStart("C:\\\x8b\x40\x94", "C:\\" KINOU "Source", Cp932), 0u);
    EXPECT_TRUE(IsSameOrBelow("C:\\" SOFUTO "\\x", "C:\\" SOFUTO, Cp932));
    EXPECT_FALSE(IsSameOrBelow("C:\\" SOFUTO "x", "C:\\\x83", Cp932));
    EXPECT_TRUE(StartsWithName("HELP\\d7.gid", "help\\", Cp932));
    EXPECT_FALSE(StartsWithName("\x83\x5c", "\x83", Cp932)) << "half a character";
    EXPECT_TRUE(EndsWithName(KINOU ".GID", ".gid", Cp932));
}

TEST(FileNames, ARewritesLeftoverIsToldFromAUsersFile) {
    EXPECT_TRUE(IsRewriteLeftover("d7.cfg.vl0123456789abcdef.tmp", Cp932));
    EXPECT_TRUE(IsRewriteLeftover(KINOU ".vl0123456789abcdef.tmp", Cp932));
    for (const char* name : {".vl0123456789abcdef.tmp", "d7.cfg.vl0123456789abcdeF.tmp", "d7.vl0123456789abcde.tmp",
                             "d7.vl0123456789abcdef.TMP", "d7.xl0123456789abcdef.tmp", "d7.vl0123456789abcdef.tmp2",
                             "vl0123456789abcdef.tmp", "\x83.vl0123456789abcdef.tmp"}) {
        EXPECT_FALSE(IsRewriteLeftover(name, Cp932)) << name;
    }
}

TEST(CollapsedSeparators, KeepsOneBackslashBetweenNamesAndNoneAtTheEnds) {
    EXPECT_STREQ(CollapsedSeparators("Help\\d7.ohi").CStr(), "Help\\d7.ohi");
    EXPECT_STREQ(CollapsedSeparators("\\Help\\\\d7.ohi\\").CStr(), "Help\\d7.ohi");
    EXPECT_STREQ(CollapsedSeparators("a//b/c").CStr(), "a\\b\\c");
    EXPECT_STREQ(CollapsedSeparators("\\\\").CStr(), "");
    EXPECT_STREQ(CollapsedSeparators("").CStr(), "");
}

}  // namespace
