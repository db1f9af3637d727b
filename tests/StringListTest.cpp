// The string list's storage and line splitting, and the array beneath it
// (no Windows call).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/UbrcStringList.h"
#include "util/UArray.h"

namespace {

std::vector<std::string> Lines(const TbrcStringList& list) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i).CStr());
    return lines;
}

std::vector<std::string> Split(const char* text) {
    TbrcStringList list;
    list.SetText(text);
    return Lines(list);
}

using V = std::vector<std::string>;

TEST(StringListText, EndsLinesAtCrLfLfAndCr) {
    EXPECT_EQ(Split("a\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(Split("a\r\n\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(Split("a\nb\rc"), (V{"a", "b", "c"}));
    EXPECT_EQ(Split("a\n\rb"), (V{"a", "", "b"})) << "LF CR is two line ends";
}

TEST(StringListText, KeepsALastLineWithoutEndAndAddsNoneAfterAFinalEnd) {
    EXPECT_EQ(Split("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(Split("last"), (V{"last"}));
    EXPECT_EQ(Split(""), V{});
    EXPECT_EQ(Split("\r\n"), (V{""}));
    EXPECT_EQ(Split("a\r\n\r\n"), (V{"a", ""}));
}

TEST(StringListText, AppendsToWhatIsThere) {
    TbrcStringList list;
    list.SetText("a\r\n");
    list.SetText("b");
    EXPECT_EQ(Lines(list), (V{"a", "b"}));
}

TEST(StringListText, TextEndsEveryLineWithCrLf) {
    TbrcStringList list;
    EXPECT_STREQ(list.Text().CStr(), "");
    list.SetText("a\nb\r\n\r\nc");
    EXPECT_STREQ(list.Text().CStr(), "a\r\nb\r\n\r\nc\r\n");
}

TEST(StringList, GetOutsideTheLinesIsEmpty) {
    TbrcStringList list;
    list.Append("x");
    EXPECT_STREQ(list.Get(-1).CStr(), "");
    EXPECT_STREQ(list.Get(1).CStr(), "");
    EXPECT_STREQ(list.Get(0).CStr(), "x");
}

TEST(StringList, InsertMovesLaterLinesUpAndIgnoresBadIndexes) {
    TbrcStringList list;
    list.Append("a");
    list.Append("c");
    list.Insert(1, "b");
    list.Insert(3, "d");
    list.Insert(0, "0");
    list.Insert(7, "never");
    list.Insert(-1, "never");
    EXPECT_EQ(Lines(list), (V{"0", "a", "b", "c", "d"}));
}

TEST(StringList, GrowsInStepsOf1024) {
    TbrcStringList list;
    EXPECT_EQ(list.Capacity(), 0);
    for (int i = 0; i < 1024; ++i) list.Append(std::to_string(i).c_str());
    EXPECT_EQ(list.Capacity(), 1024);
    list.Append("1024");
    EXPECT_EQ(list.Capacity(), 2048);
    EXPECT_EQ(list.Count(), 1025);
    EXPECT_STREQ(list.Get(1000).CStr(), "1000") << "lines survive the growth";
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 2048) << "never shrinks";
}

static_assert(MovesBytewise<uint32_t> && MovesBytewise<AnsiString>, "both kinds of item the programs keep");

TEST(Array, RefusesIndexesOutsideItsItems) {
    TArray<uint32_t, 2> array;
    EXPECT_FALSE(array.Insert(1, 7));
    EXPECT_TRUE(array.Append(1));
    EXPECT_TRUE(array.Append(3));
    EXPECT_TRUE(array.Insert(1, 2));
    EXPECT_EQ(array.Capacity(), 4);
    EXPECT_EQ(*array.At(0) * 100 + *array.At(1) * 10 + *array.At(2), 123u);
    EXPECT_EQ(array.At(-1), nullptr);
    EXPECT_EQ(array.At(3), nullptr);
    EXPECT_FALSE(array.Insert(4, 9));
    EXPECT_EQ(array.Count(), 3);
}

}  // namespace
