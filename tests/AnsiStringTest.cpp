#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "util/UAnsiString.h"

namespace {

TEST(AnsiString, EmptyStringsHaveATerminatedText) {
    AnsiString empty;
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_STREQ(AnsiString(nullptr).CStr(), "");
    EXPECT_EQ(empty.Last(), '\0');
    EXPECT_TRUE(empty == nullptr);
    EXPECT_TRUE(empty == "");
}

TEST(AnsiString, AppendingItselfDoublesTheText) {
    AnsiString text("abc");
    text += text;
    EXPECT_STREQ(text.CStr(), "abcabc");
    // A pointer into the string stays valid while the buffer grows.
    text.Append(text.CStr() + 1, 4);
    EXPECT_STREQ(text.CStr(), "abcabcbcab");
}

TEST(AnsiString, ManyAppendsKeepEveryCharacter) {
    AnsiString text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        text += c;
        expected += c;
    }
    EXPECT_EQ(text.Length(), expected.size());
    EXPECT_EQ(std::string(text.CStr()), expected);
}

TEST(AnsiString, AssigningAnEmptyStringEmptiesTheText) {
    AnsiString text("something");
    text = AnsiString();
    EXPECT_STREQ(text.CStr(), "");
    text = "x";
    text = AnsiString("");
    EXPECT_EQ(text.Length(), 0u);
    EXPECT_STREQ(text.CStr(), "");
}

TEST(AnsiString, KeepsBytesAfterANul) {
    AnsiString text("a\0b", 3);
    EXPECT_EQ(text.Length(), 3u);
    EXPECT_EQ(text[2], 'b');
    EXPECT_FALSE(text == "a");
}

TEST(AnsiString, CopiesAreIndependentAndMovesEmptyTheSource) {
    AnsiString original("base");
    AnsiString copy(original);
    copy += "+";
    EXPECT_STREQ(original.CStr(), "base");
    AnsiString moved(std::move(copy));
    EXPECT_STREQ(moved.CStr(), "base+");
    EXPECT_TRUE(copy.IsEmpty());
    AnsiString& same = original;
    original = same;
    EXPECT_STREQ(original.CStr(), "base");
    EXPECT_STREQ((original + "/" + moved).CStr(), "base/base+");
}

}  // namespace
