#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "UPaths.h"

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
    ::testing::Values(StartCase{"C:\\a\\b", 0}, StartCase{"a\\b", 0}, StartCase{"", 0},
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
                      BelowCase{"", "c:\\lib", 0}, BelowCase{"c:\\lib", "C:\\LIB\\x", 0}));

TEST(CollapsedSeparators, KeepsOneBackslashBetweenNamesAndNoneAtTheEnds) {
    EXPECT_STREQ(CollapsedSeparators("Help\\d7.ohi").CStr(), "Help\\d7.ohi");
    EXPECT_STREQ(CollapsedSeparators("\\Help\\\\d7.ohi\\").CStr(), "Help\\d7.ohi");
    EXPECT_STREQ(CollapsedSeparators("a//b/c").CStr(), "a\\b\\c");
    EXPECT_STREQ(CollapsedSeparators("\\\\").CStr(), "");
    EXPECT_STREQ(CollapsedSeparators("").CStr(), "");
}

}  // namespace
