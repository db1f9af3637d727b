// The destination folder's text rules: how a typed folder is normalized,
// what the text alone refuses, and what the user is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "UFolderText.h"
#include "UScriptItems.h"

namespace {

struct FolderCase {
    const char* typed;
    const char* folder;  // normalized
    TFolderProblem problem;
    const char* root;
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << '"' << c.typed << '"'; }

class FolderCases : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderCases, NormalizedThenCheckedAsText) {
    AnsiString folder = NormalizedFolder(GetParam().typed);
    EXPECT_STREQ(folder.CStr(), GetParam().folder);
    EXPECT_EQ(CheckFolderText(folder), GetParam().problem);
    EXPECT_STREQ(FolderRoot(folder).CStr(), GetParam().root);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderCases,
    ::testing::Values(FolderCase{"C:\\Lib\\Vellorin\\", "C:\\Lib\\Vellorin", fpNone, "C:\\"},
                      FolderCase{"c:/Lib/Vellorin//", "c:\\Lib\\Vellorin", fpNone, "c:\\"},
                      FolderCase{"C:\\", "C:\\", fpNone, "C:\\"},
                      FolderCase{"C:/\\", "C:\\", fpNone, "C:\\"},
                      FolderCase{"//nas/lib/", "\\\\nas\\lib", fpNone, "\\\\nas\\lib\\"},
                      FolderCase{"", "", fpEmpty, ""},
                      FolderCase{"Lib", "Lib", fpNotAbsolute, ""},
                      FolderCase{"C:Lib\\", "C:Lib", fpNotAbsolute, ""},
                      FolderCase{"\\Lib", "\\Lib", fpNotAbsolute, ""},
                      FolderCase{"\\\\nas\\", "\\\\nas", fpNotAbsolute, ""},
                      FolderCase{"\\\\?\\C:\\Lib", "\\\\?\\C:\\Lib", fpNotAbsolute, ""}));

TEST(InstallFolderLength, TheDeepestScriptPathJustFitsBelowTheLongestFolder) {
    const std::string longest = "C:\\" + std::string(MaxInstallFolderLength() - 3, 'x');
    EXPECT_EQ(CheckFolderText(longest.c_str()), fpNone);
    EXPECT_EQ(CheckFolderText((longest + "x").c_str()), fpTooLong);
    size_t deepest = 0;
    for (const ScriptItem& item : ScriptItems) {
        if (item.DirKind == dkInstallDir) deepest = std::max(deepest, JoinPath(longest.c_str(), item.Name).Length());
    }
    EXPECT_EQ(deepest, 259u) << "MAX_PATH without its NUL";
}

TEST(FolderProblemText, SaysWhatIsWrongAndWhatToEnter) {
    auto text = [](TFolderProblem problem, const char* folder) {
        return std::string(FolderProblemText(problem, folder).CStr());
    };
    const std::string elsewhere = " Please enter a folder on a local disk or a network share.";
    EXPECT_EQ(text(fpEmpty, ""), "Please enter the destination folder, a full path such as C:\\Vellorin.");
    EXPECT_EQ(text(fpNotAbsolute, "Lib"),
              "The destination folder must be a full path, such as C:\\Vellorin or \\\\server\\share\\Vellorin.");
    EXPECT_EQ(text(fpTooLong, "C:\\x"), "The destination folder is too long. Please enter a folder of at most " +
                                            std::to_string(MaxInstallFolderLength()) + " characters.");
    EXPECT_EQ(text(fpNoSuchDrive, "Q:\\Vellorin"), "The drive Q: does not exist." + elsewhere);
    EXPECT_EQ(text(fpNoSuchDrive, "\\\\nas\\lib\\x"), "The network share \\\\nas\\lib cannot be reached." + elsewhere);
    EXPECT_EQ(text(fpUnsuitableDrive, "E:\\"), "The drive E: is neither a local disk nor a network share." + elsewhere);
}

}  // namespace
