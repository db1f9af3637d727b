// The string list's collation-ordered search and its files, under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/UbrcStringList.h"
#include "TestSupport.h"

namespace {

using V = std::vector<std::string>;

V Lines(const TbrcStringList& list) {
    V lines;
    for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i).CStr());
    return lines;
}

TEST(StringListSearch, AddKeepsCollationOrder) {
    TbrcStringList list;
    EXPECT_EQ(list.IndexOf("a"), -1);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("C"), 1);
    EXPECT_EQ(list.Add("A"), 0) << "sorts before every line";
    EXPECT_EQ(list.Add("a"), 0) << "lower case before upper case of the same letter";
    EXPECT_EQ(list.Add("d"), 4) << "sorts after every line";
    EXPECT_EQ(list.Add("a-b"), 2) << "string sort: the hyphen counts";
    EXPECT_EQ(Lines(list), (V{"a", "A", "a-b", "b", "C", "d"}));
}

TEST(StringListSearch, IsCaseSensitive) {
    TbrcStringList list;
    list.Add("Abc");
    list.Add("xyz");
    EXPECT_EQ(list.IndexOf("abc"), -1);
    EXPECT_EQ(list.IndexOf("Abc"), 0);
    EXPECT_EQ(list.IndexOf("xyz"), 1);
}

TEST(StringListSearch, DuplicatesChoosesTheLeftmostEqualLine) {
    TbrcStringList list;
    for (const char* line : {"a", "b", "b", "b", "c"}) list.Append(line);
    int32_t index = -1;
    EXPECT_TRUE(list.Find("b", &index));
    EXPECT_EQ(index, 2) << "the first equal line the search meets";
    list.Duplicates = 1;
    EXPECT_TRUE(list.Find("b", &index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("bb", &index));
    EXPECT_EQ(index, 4);
}

class StringListFiles : public ::testing::Test {
protected:
    std::string Save(const TbrcStringList& list) {
        list.SaveToFile((temp_ / "out.txt").c_str());
        std::string data;
        ReadFileBytes(temp_ / "out.txt", &data);
        return data;
    }
    V Load(const std::string& bytes) {
        WriteFileBytes(temp_ / "in.txt", bytes);
        TbrcStringList list;
        list.Append("replaced by the load");
        list.LoadFromFile((temp_ / "in.txt").c_str());
        return Lines(list);
    }
    TempDir temp_;
};

TEST_F(StringListFiles, LoadSplitsTheFileIntoLines) {
    EXPECT_EQ(Load("a\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(Load("a\r\n\r\nb\r\n"), (V{"a", "", "b"}));
    EXPECT_EQ(Load(std::string("a\r\nb\0c\r\nd", 9)), (V{"a", "b"})) << "stops at a NUL";
    EXPECT_EQ(Load(""), V{});
    TbrcStringList list;
    list.Append("x");
    list.LoadFromFile((temp_ / "missing.txt").c_str());
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(StringListFiles, SaveEndsEveryLineWithCrLf) {
    TbrcStringList list;
    EXPECT_EQ(Save(list), "");
    list.SetText("a\nlast");
    EXPECT_EQ(Save(list), "a\r\nlast\r\n");
}

TEST_F(StringListFiles, LongLinesAndManyLinesRoundTrip) {
    TbrcStringList list;
    V expected;
    std::string bytes;
    // Lines around the 8096-byte buffer: exactly filling it, one over, far over.
    for (size_t length : {10u, 8094u, 8095u, 20000u, 0u, 3000u, 3000u, 3000u}) {
        std::string line(length, static_cast<char>('a' + expected.size()));
        expected.push_back(line);
        list.Append(line.c_str());
        bytes += line + "\r\n";
    }
    for (int i = 0; i < 2000; ++i) {
        expected.push_back("line " + std::to_string(i));
        list.Append(expected.back().c_str());
        bytes += expected.back() + "\r\n";
    }
    EXPECT_EQ(Save(list), bytes);
    EXPECT_EQ(Load(bytes), expected);
}

TEST_F(StringListFiles, SaveToAMissingFolderWritesNothing) {
    TbrcStringList list;
    list.Append("x");
    list.SaveToFile((temp_ / "no\\such\\file.txt").c_str());
    EXPECT_TRUE(ListTree(temp_.Path()).empty());
}

}  // namespace
