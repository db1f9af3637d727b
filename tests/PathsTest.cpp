// Directory kinds, directory creation and the install folder check on the
// real file system.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "util/UCodePage.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "wizard/UFolderText.h"

namespace {

std::string Kind(uint32_t kind) { return GetKindDirectory(kind).CStr(); }

class DirectoryKinds : public ::testing::Test {
protected:
    void TearDown() override {
        CurrentIdeIndex = 0;
        InstallDir = AnsiString();
        BorlandProducts[8].RootDir = AnsiString();
    }
};

TEST_F(DirectoryKinds, SystemFoldersComeFromTheSystem) {
    char expected[MAX_PATH];
    GetWindowsDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(Kind(dkWindows), expected);
    GetSystemDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(Kind(dkSystem), expected);
    GetTempPathA(MAX_PATH, expected);
    EXPECT_EQ(Kind(dkTemp), expected);
    EXPECT_EQ(Kind(dkTemp).back(), '\\');
}

TEST_F(DirectoryKinds, UnknownKindsAreEmpty) {
    for (uint32_t kind : {0u, 7u, 100u, 0xFFFFFFFFu}) EXPECT_EQ(Kind(kind), "") << kind;
}

TEST_F(DirectoryKinds, InstallDirIsTakenAsItIs) {
    EXPECT_EQ(Kind(dkInstallDir), "");
    InstallDir = "C:\\Lib\\";
    EXPECT_EQ(Kind(dkInstallDir), "C:\\Lib\\");
}

TEST_F(DirectoryKinds, IdeFoldersFollowTheCurrentIde) {
    BorlandProducts[8].RootDir = "C:\\Borland\\D7";
    for (int index : {0, 10, -1}) {
        CurrentIdeIndex = index;
        EXPECT_EQ(Kind(dkIdeRoot), "") << index;
        EXPECT_EQ(Kind(dkIdeHelp), "") << index;
    }
    CurrentIdeIndex = 9;
    EXPECT_EQ(Kind(dkIdeRoot), "C:\\Borland\\D7");
    EXPECT_EQ(Kind(dkIdeHelp), "C:\\Borland\\D7\\Help\\");
    BorlandProducts[8].RootDir = AnsiString();
    EXPECT_EQ(Kind(dkIdeHelp), "\\Help\\");
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateDirectoryPath, CreatesEveryMissingParent) {
    TempDir temp;
    std::string path = temp / "a\\b\\c";
    EXPECT_EQ(CreateDirectoryPath(path.c_str()), 0u);
    EXPECT_TRUE(IsDirectory(path));
    EXPECT_EQ(CreateDirectoryPath(path.c_str()), 0u) << "an existing path is fine";
}

TEST(CreateDirectoryPath, AcceptsDoubledTrailingAndForwardSeparators) {
    TempDir temp;
    EXPECT_EQ(CreateDirectoryPath((temp / "a\\\\b\\").c_str()), 0u);
    EXPECT_EQ(CreateDirectoryPath((temp / "c/d/").c_str()), 0u);
    EXPECT_TRUE(IsDirectory(temp / "a\\b"));
    EXPECT_TRUE(IsDirectory(temp / "c\\d"));
}

TEST(CreateDirectoryPath, FailsBelowAFile) {
    TempDir temp;
    CreateDirectoryA((temp / "a").c_str(), nullptr);
    WriteFileBytes(temp / "a\\b", "file");
    EXPECT_NE(CreateDirectoryPath((temp / "a\\b\\c").c_str()), 0u);
    EXPECT_FALSE(IsDirectory(temp / "a\\b\\c"));
}

TEST(CreateDirectoryPath, RefusesPathsLongerThanItsBuffer) {
    TempDir temp;
    std::string path = temp / "x\\";
    path += std::string(MaxDirectoryPath + 1 - path.size(), 'y');
    ASSERT_EQ(path.size(), MaxDirectoryPath + 1);
    EXPECT_EQ(CreateDirectoryPath(path.c_str()), uint32_t(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_TRUE(ListTree(temp.Path()).empty()) << "nothing is created";

    // One character less is walked: the parents are created, whatever the
    // system answers for the long last component.
    path.pop_back();
    CreateDirectoryPath(path.c_str());
    EXPECT_TRUE(IsDirectory(temp / "x"));
}

TEST(CreateDirectoryPath, HandlesRootedAndEmptyPaths) {
    TempDir temp;
    // The temporary folder without its drive: rooted on the current drive.
    CurrentDirectory inside(temp.Path());
    std::string rooted = (temp / "r\\s").substr(2);
    ASSERT_EQ(rooted[0], '\\');
    EXPECT_EQ(CreateDirectoryPath(rooted.c_str()), 0u);
    EXPECT_TRUE(IsDirectory(temp / "r\\s"));

    EXPECT_NE(CreateDirectoryPath(""), 0u);
    EXPECT_EQ(CreateDirectoryPath("C:"), 0u) << "a drive alone is not created";
}

TEST(CreateDirectoryPath, DoesNotTryToCreateAServerOrShare) {
    // The server does not exist; the result is a failure, not a crash.
    EXPECT_NE(CreateDirectoryPath("\\\\vl-no-such-server\\share\\dir"), 0u);
}

// What the programs take from the system: the lead bytes of each code page,
// and case folded for every letter, as file names compare.
TEST(CodePage, LeadBytesAndCaseComeFromTheSystem) {
    struct {
        unsigned number;
        unsigned first, last, first2, last2;
    } const pages[] = {{932, 0x81, 0x9F, 0xE0, 0xFC}, {936, 0x81, 0xFE, 0, 0}, {949, 0x81, 0xFE, 0, 0},
                       {950, 0x81, 0xFE, 0, 0}, {1251, 0, 0, 0, 0}};
    for (const auto& page : pages) {
        TCodePage cp = CodePageOf(page.number);
        for (unsigned b = 0; b < 256; ++b) {
            bool lead = (b >= page.first && b <= page.last && page.first) || (b >= page.first2 && b <= page.last2 && page.first2);
            EXPECT_EQ(cp.IsLead(static_cast<char>(b)), lead) << page.number << " byte " << b;
        }
    }
    TCodePage cyrillic = CodePageOf(1251), japanese = CodePageOf(932);
    // "C:\Программы" and "c:\программы"; Ａ (82 60) and ａ (82 81), full width.
    EXPECT_TRUE(SameFileName("C:\\\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xfb", "c:\\\xef\xf0\xee\xe3\xf0\xe0\xec\xec\xfb", cyrillic));
    EXPECT_FALSE(SameFileName("\xcf", "\xf0", cyrillic));
    EXPECT_TRUE(SameFileName("\x82\x60", "\x82\x81", japanese));
    EXPECT_FALSE(SameFileName("\x83\x41", "\x83\x61", japanese)) << "ア and ヂ differ in a trail byte's case only";
    EXPECT_TRUE(IsSameOrBelow("c:\\\xef\xf0\xee\\x", "C:\\\xcf\xf0\xee", cyrillic));
}

TEST(CheckInstallFolder, AsksForTheDriveOnceTheTextPasses) {
    // No test prefix has a drive Q: or a network.
    AnsiString folder;
    EXPECT_EQ(CheckInstallFolder("C:\\", &folder), fpDriveRoot);
    EXPECT_EQ(CheckInstallFolder("y:/Vellorin//", &folder), fpNone);
    EXPECT_STREQ(folder.CStr(), "y:\\Vellorin");
    EXPECT_EQ(CheckInstallFolder("Q:\\Vellorin", &folder), fpNoSuchDrive);
    EXPECT_EQ(CheckInstallFolder("\\\\vl-no-such-server\\share\\Lib", &folder), fpNoSuchDrive);
    EXPECT_EQ(CheckInstallFolder("Q:Vellorin", &folder), fpNotAbsolute) << "the text first";
}

// Tried as the install will use it, and nothing of the try left behind.
TEST(CheckInstallFolder, TriesToMakeTheFolderAndToWriteInIt) {
    TempDir temp;
    AnsiString folder;
    EXPECT_EQ(CheckInstallFolder((temp / "New\\Lib").c_str(), &folder), fpNone);
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{}) << "the folders the try made go again";
    WriteFileBytes(temp / "file", "in the way");
    EXPECT_EQ(CheckInstallFolder((temp / "file\\Lib").c_str(), &folder), fpCannotCreate);
    EXPECT_EQ(CheckInstallFolder((temp / "file").c_str(), &folder), fpCannotCreate) << "a file, not a folder";
    CreateDirectoryA((temp / "Lib").c_str(), nullptr);
    WriteFileBytes(temp / "Lib\\mine.txt", "x");
    EXPECT_EQ(CheckInstallFolder((temp / "Lib").c_str(), &folder), fpNone);
    EXPECT_EQ(ListTree(temp / "Lib"), std::vector<std::string>{"mine.txt"});
    // Where the test command made a folder the build user may not write.
    if (GetEnvironmentVariableA("VL_READ_ONLY_FOLDER", nullptr, 0)) {
        EXPECT_EQ(CheckInstallFolder("V:\\read-only", &folder), fpCannotWrite);
        EXPECT_EQ(CheckInstallFolder("V:\\read-only\\Vellorin", &folder), fpCannotCreate);
    }
    // And a disk of 1 MB: the install would fill it half-way. What is free is told.
    if (GetEnvironmentVariableA("VL_SMALL_DISK", nullptr, 0)) {
        AnsiString free;
        EXPECT_EQ(CheckInstallFolder("V:\\small-disk\\Vellorin", &folder, &free), fpNoSpace);
        EXPECT_TRUE(free == "0" || free == "1") << free.CStr();
    }
}

// By where they lie: an installed IDE's folder, a folder that holds one, a
// link to either, and the Windows folder are refused, naming the folder
// concerned; a folder beside the IDE is not.
TEST(CheckInstallFolder, RefusesTheIdesFoldersAndWindowsWhateverNamesThem) {
    TempDir temp;
    TBorlandProduct& delphi7 = BorlandProducts[8];
    const std::string root = temp / "Borland\\Delphi7";
    ASSERT_EQ(CreateDirectoryPath(root.c_str()), 0u);
    delphi7.RootDir = root.c_str();
    delphi7.Installed = true;
    ASSERT_TRUE(MakeLink(temp / "Link", temp / "Borland"));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const struct {
        std::string typed;
        TFolderProblem problem;
        std::string other;
    } cases[] = {{temp / "Borland", fpIdeFolder, root},
                 {root, fpIdeFolder, root},
                 {temp / "Link", fpIdeFolder, root},
                 {temp / "Link\\Delphi7\\Vellorin", fpNone, ""},
                 {temp / "Borland\\Vellorin", fpNone, ""},
                 {std::string(windows) + "\\Vellorin", fpWindowsFolder, windows}};
    for (const auto& c : cases) {
        AnsiString folder, other;
        EXPECT_EQ(CheckInstallFolder(c.typed.c_str(), &folder, &other), c.problem) << c.typed;
        EXPECT_EQ(std::string(other.CStr()), c.other) << c.typed;
    }
    RemoveLink(temp / "Link");
    delphi7.RootDir = AnsiString();
    delphi7.Installed = false;
}

}  // namespace
