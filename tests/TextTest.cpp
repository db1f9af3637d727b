#include <gtest/gtest.h>

#include "util/UText.h"

namespace {

TEST(FindTextPos, GivesTheFirstOccurrenceOneBased) {
    EXPECT_EQ(FindTextPos("aaab", "aab"), 2u);
    EXPECT_EQ(FindTextPos("abc", "abc"), 1u);
    EXPECT_EQ(FindTextPos("xabcabc", "bc"), 3u);
    EXPECT_EQ(FindTextPos("abc", "abcd"), 0u);
    EXPECT_EQ(FindTextPos("abc", "B"), 0u) << "bytes compare exactly";
}

TEST(FindTextPos, EmptyTextOrPatternIsNotFound) {
    EXPECT_EQ(FindTextPos("", "a"), 0u);
    EXPECT_EQ(FindTextPos("a", ""), 0u);
    EXPECT_EQ(FindTextPos("", ""), 0u);
}

TEST(FindLastChar, GivesTheLastOccurrenceOneBased) {
    EXPECT_EQ(FindLastChar("C:\\a\\b", '\\'), 5u);
    EXPECT_EQ(FindLastChar("\\", '\\'), 1u);
    EXPECT_EQ(FindLastChar("abc", '\\'), 0u);
    EXPECT_EQ(FindLastChar("", '\\'), 0u);
}

TEST(RegStringText, DropsTheTerminatingNulOnly) {
    EXPECT_STREQ(RegStringText("abc\0", 4).CStr(), "abc");
    EXPECT_STREQ(RegStringText("abc", 3).CStr(), "abc") << "stored without its NUL";
    EXPECT_STREQ(RegStringText("\0", 1).CStr(), "");
    EXPECT_STREQ(RegStringText("", 0).CStr(), "");
}

TEST(IsEditableText, RefusesNulBytesAndUtf16) {
    EXPECT_TRUE(IsEditableText(""));
    EXPECT_TRUE(IsEditableText("a"));
    EXPECT_TRUE(IsEditableText("TButton=vcl.hlp>main\r\n\xFF\xFF"));
    EXPECT_FALSE(IsEditableText(AnsiString("a\r\n\0b", 5))) << "a line list would end at the NUL";
    EXPECT_FALSE(IsEditableText(AnsiString("\0", 1)));
    EXPECT_FALSE(IsEditableText("\xFF\xFE")) << "UTF-16, little-endian";
    EXPECT_FALSE(IsEditableText("\xFE\xFF")) << "UTF-16, big-endian";
}

}  // namespace
