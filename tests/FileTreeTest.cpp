// Tree deletion on real trees, and product versions of real programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/version.h"
#include "TestSupport.h"
#include "util/UFileTree.h"

namespace {

void MakeTree(const TempDir& temp) {
    CreateDirectoryA((temp / "d").c_str(), nullptr);
    CreateDirectoryA((temp / "d\\s").c_str(), nullptr);
    CreateDirectoryA((temp / "d\\s\\deep").c_str(), nullptr);
    for (const char* file : {"d\\a.txt", "d\\b.txt", "d\\s\\c.txt", "d\\s\\deep\\e.txt"}) {
        WriteFileBytes(temp / file, "x");
    }
}

TEST(DeleteDirectoryTree, RemovesEverythingAndReportsSuccess) {
    TempDir temp;
    MakeTree(temp);
    EXPECT_EQ(DeleteDirectoryTree((temp / "d").c_str(), false), 0u);
    EXPECT_TRUE(ListTree(temp.Path()).empty());
}

TEST(DeleteDirectoryTree, KeepsTheDirectoryWhenAsked) {
    TempDir temp;
    MakeTree(temp);
    EXPECT_EQ(DeleteDirectoryTree((temp / "d").c_str(), true), 0u);
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"d\\"});
}

TEST(DeleteDirectoryTree, LeavesReadOnlyFilesAndTheirFolders) {
    TempDir temp;
    MakeTree(temp);
    SetReadOnly(temp / "d\\s\\c.txt", true);
    EXPECT_EQ(DeleteDirectoryTree((temp / "d").c_str(), true), 0x8000000Au);
    EXPECT_EQ(ListTree(temp.Path()), (std::vector<std::string>{"d\\", "d\\s\\", "d\\s\\c.txt"}));
}

TEST(DeleteDirectoryTree, ReportsAMissingDirectoryOnlyWhenRemovingIt) {
    TempDir temp;
    EXPECT_EQ(DeleteDirectoryTree((temp / "absent").c_str(), false), 0x80000020u);
    EXPECT_EQ(DeleteDirectoryTree((temp / "absent").c_str(), true), 0u);
}

TEST(DeleteDirectoryTree, LeavesDotFoldersWithWhatTheyHold) {
    TempDir temp;
    MakeTree(temp);
    CreateDirectoryA((temp / "d\\.svn").c_str(), nullptr);
    WriteFileBytes(temp / "d\\.svn\\entries", "x");
    WriteFileBytes(temp / "d\\.hidden-file", "x");
    EXPECT_EQ(DeleteDirectoryTree((temp / "d").c_str(), false), 0x80000008u);
    EXPECT_EQ(ListTree(temp.Path()), (std::vector<std::string>{"d\\", "d\\.svn\\", "d\\.svn\\entries"}));
}

// Links to a folder and to a file inside the tree, and a tree that is a
// link itself: what they lead to stays whole. Windows takes the links away
// themselves; Wine cannot, and they stay, reported.
TEST(DeleteDirectoryTree, NeverFollowsALink) {
    TempDir temp;
    MakeTree(temp);
    CreateDirectoryA((temp / "victim").c_str(), nullptr);
    WriteFileBytes(temp / "victim\\keep.txt", "kept");
    WriteFileBytes(temp / "victim.txt", "kept");
    ASSERT_TRUE(MakeLink(temp / "d\\s\\to-folder", temp / "victim"));
    ASSERT_TRUE(MakeLink(temp / "d\\to-file.txt", temp / "victim.txt"));
    ASSERT_TRUE(MakeLink(temp / "tree", temp / "victim"));
    EXPECT_NE(DeleteDirectoryTree((temp / "tree").c_str(), true), 0u) << "a link is not cleared";
    uint32_t result = DeleteDirectoryTree((temp / "d").c_str(), false);
    std::vector<std::string> left;
    for (std::string entry : ListTree(temp / "d")) {
        if (entry.back() == '\\') entry.pop_back();
        if (!IsLink(temp / ("d\\" + entry))) left.push_back(entry);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"s"})) << "all but the links and the folders that hold them";
    EXPECT_EQ(result == 0, !Exists(temp / "d")) << result;
    std::string data;
    ReadFileBytes(temp / "victim\\keep.txt", &data);
    EXPECT_EQ(data, "kept");
    ReadFileBytes(temp / "victim.txt", &data);
    EXPECT_EQ(data, "kept");
    for (const char* link : {"d\\s\\to-folder", "d\\to-file.txt", "tree"}) RemoveLink(temp / link);
}

TEST(DirectoryTreeBytes, AddsUpEveryFileBelowAndNothingForAMissingFolder) {
    TempDir temp;
    MakeTree(temp);
    WriteFileBytes(temp / "d\\s\\deep\\e.txt", std::string(5000, 'e'));
    EXPECT_EQ(DirectoryTreeBytes((temp / "d").c_str()), 5003u);
    EXPECT_EQ(DirectoryTreeBytes((temp / "absent").c_str()), 0u);
}

// Two links that lead back up would have the measuring go round forever.
TEST(DirectoryTreeBytes, FollowsNoLink) {
    TempDir temp;
    MakeTree(temp);
    CreateDirectoryA((temp / "elsewhere").c_str(), nullptr);
    WriteFileBytes(temp / "elsewhere\\big.bin", std::string(100000, 'b'));
    ASSERT_TRUE(MakeLink(temp / "d\\up", temp / "d"));
    ASSERT_TRUE(MakeLink(temp / "d\\s\\top", temp.Path()));
    ASSERT_TRUE(MakeLink(temp / "d\\s\\out", temp / "elsewhere"));
    EXPECT_EQ(DirectoryTreeBytes((temp / "d").c_str()), 4u);
    for (const char* link : {"d\\up", "d\\s\\top", "d\\s\\out"}) RemoveLink(temp / link);
}

TEST(DirectoryTreeBytes, GoesNoDeeperThanItsBound) {
    TempDir temp;
    std::string folder = temp.Path();
    for (unsigned depth = 1; depth <= MaxMeasuredDepth + 1; ++depth) {
        folder += "\\f";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << depth;
        // One byte at every depth, ten at the last that is measured.
        WriteFileBytes(folder + "\\x", depth == MaxMeasuredDepth ? "0123456789" : "x");
    }
    EXPECT_EQ(DirectoryTreeBytes(temp.Path().c_str()), MaxMeasuredDepth - 1 + 10u);
}

TEST(GetFileProductVersion, ReadsTheUninstallersProductVersion) {
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(GetFileProductVersion(BuildFile("redud.exe").c_str(), &ms, &ls));
    EXPECT_EQ(ms, uint32_t(VL_VERSION_MAJOR << 16 | VL_VERSION_MINOR));
    EXPECT_EQ(ms, 0x00030013u);
    EXPECT_EQ(ls, uint32_t(VL_VERSION_RELEASE << 16 | VL_VERSION_BUILD));
}

TEST(GetFileProductVersion, IsFalseWithoutAUsableVersionResource) {
    TempDir temp;
    WriteFileBytes(temp / "a.txt", "text");
    for (const std::string& path : {temp / "a.txt", temp / "missing.exe",
                                    BuildFile("fixtures/no_fixed_version.exe")}) {
        uint32_t ms = 11, ls = 22;
        EXPECT_FALSE(GetFileProductVersion(path.c_str(), &ms, &ls)) << path;
        EXPECT_EQ(ms, 11u) << path;
        EXPECT_EQ(ls, 22u) << path;
    }
}

}  // namespace
