// The destination folder's text rules: how a typed folder is normalized,
// what the text alone refuses, and what the user is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "script/UScriptItems.h"
#include "wizard/UFolderText.h"

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
                      FolderCase{"C:\\", "C:\\", fpDriveRoot, "C:\\"},
                      FolderCase{"C:/\\", "C:\\", fpDriveRoot, "C:\\"},
                      FolderCase{"//nas/lib/", "\\\\nas\\lib", fpDriveRoot, "\\\\nas\\lib\\"},
                      FolderCase{"//nas/lib/x", "\\\\nas\\lib\\x", fpNone, "\\\\nas\\lib\\"},
                      // Names that Windows does not allow, anywhere below the root.
                      FolderCase{"C:\\Li|b", "C:\\Li|b", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\Li*b\\x", "C:\\Li*b\\x", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\a\\b:c", "C:\\a\\b:c", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\a<b>", "C:\\a<b>", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\a\"b?", "C:\\a\"b?", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\a\tb", "C:\\a\tb", fpForbiddenCharacter, "C:\\"},
                      FolderCase{"C:\\Lib ", "C:\\Lib ", fpBadNameEnd, "C:\\"},
                      FolderCase{"C:\\Lib.\\x", "C:\\Lib.\\x", fpBadNameEnd, "C:\\"},
                      FolderCase{"C:\\con\\Lib", "C:\\con\\Lib", fpDeviceName, "C:\\"},
                      FolderCase{"C:\\x\\Lpt9.txt", "C:\\x\\Lpt9.txt", fpDeviceName, "C:\\"},
                      FolderCase{"C:\\nul.d", "C:\\nul.d", fpDeviceName, "C:\\"},
                      FolderCase{"C:\\COM0", "C:\\COM0", fpNone, "C:\\"},
                      FolderCase{"C:\\console", "C:\\console", fpNone, "C:\\"},
                      FolderCase{"C:\\.vellorin", "C:\\.vellorin", fpNone, "C:\\"},
                      FolderCase{"", "", fpEmpty, ""},
                      FolderCase{"Lib", "Lib", fpNotAbsolute, ""},
                      FolderCase{"C:Lib\\", "C:Lib", fpNotAbsolute, ""},
                      FolderCase{"\\Lib", "\\Lib", fpNotAbsolute, ""},
                      FolderCase{"\\\\nas\\", "\\\\nas", fpNotAbsolute, ""},
                      // What Windows makes of a typed folder is the folder used.
                      FolderCase{"\\\\?\\C:\\Lib", "C:\\Lib", fpNone, "C:\\"},
                      FolderCase{"\\\\?\\UNC\\nas\\lib\\x", "\\\\nas\\lib\\x", fpNone, "\\\\nas\\lib\\"},
                      FolderCase{"\\\\.\\COM1\\x", "\\\\.\\COM1\\x", fpNotAbsolute, ""},
                      FolderCase{"\"C:\\Lib\\Vellorin\"", "C:\\Lib\\Vellorin", fpNone, "C:\\"},
                      FolderCase{"C:\\Lib\\\\Vellorin", "C:\\Lib\\Vellorin", fpNone, "C:\\"},
                      FolderCase{"C:\\Lib\\..\\Vellorin", "C:\\Vellorin", fpNone, "C:\\"},
                      FolderCase{"C:\\Lib\\.\\x\\..\\..\\..\\V", "C:\\V", fpNone, "C:\\"},
                      FolderCase{"C:\\Lib\\..", "C:\\", fpDriveRoot, "C:\\"},
                      FolderCase{"\\\\nas\\lib\\..\\x", "\\\\nas\\lib\\x", fpNone, "\\\\nas\\lib\\"},
                      FolderCase{"C:\\Lib...", "C:\\Lib...", fpBadNameEnd, "C:\\"}));

// Japanese names whose second byte is "\\" (機能, ソフト) or "|" (コンポーネント),
// and the Big5 學院, as their code pages make them: names like any other.
TEST(FolderText, DoubleByteNamesAreWholeCharacters) {
    const uint8_t ranges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0}, ranges950[] = {0x81, 0xFE, 0};
    const TCodePage before = SystemCodePage;
    SystemCodePage = CodePageWithLeadRanges(ranges932);
    const char* kinou = "C:\\\x8a\x4a\x94\xad\\\x8b\x40\x94\x5c";
    EXPECT_STREQ(NormalizedFolder(kinou).CStr(), kinou);
    EXPECT_STREQ(NormalizedFolder((std::string(kinou) + "\\").c_str()).CStr(), kinou);
    EXPECT_EQ(CheckFolderText(kinou), fpNone);
    EXPECT_STREQ(WithProductFolder("C:\\\x91\xe3\x95\x5c").CStr(), "C:\\\x91\xe3\x95\x5c\\Vellorin") << "代表";
    EXPECT_STREQ(ParentFolder("C:\\\x91\xe3\x95\x5c\\Delphi7").CStr(), "C:\\\x91\xe3\x95\x5c");
    EXPECT_EQ(CheckFolderText("C:\\\x83\x52\x83\x93\x83\x7c\x81\x5b\x83\x6c\x83\x93\x83\x67"), fpNone);
    EXPECT_EQ(CheckFolderText("C:\\a|\x83\x7c"), fpForbiddenCharacter);
    EXPECT_EQ(FolderProblemText(fpBadNameEnd, "C:\\\x83\x5c\x83\x74\x83\x67."),
              "The name \"\x83\x5c\x83\x74\x83\x67.\" in the destination folder ends with a dot, which Windows does "
              "not allow at the end of a name. Please enter another folder.") << "the whole of ソフト.";
    SystemCodePage = CodePageWithLeadRanges(ranges950);
    EXPECT_EQ(CheckFolderText("C:\\\xbe\xc7\xb0\x7c"), fpNone) << "學院";
    SystemCodePage = before;
}

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
    // What cannot work is named.
    EXPECT_EQ(text(fpDriveRoot, "C:\\"), "The destination folder C:\\ is the root of a drive, where your own files "
                                         "lie. Please enter a folder below it, such as C:\\Vellorin.");
    EXPECT_EQ(text(fpForbiddenCharacter, "C:\\Work\\Li|b"),
              "The name \"Li|b\" in the destination folder holds \"|\", which Windows does not allow in a name. "
              "Please enter another folder.");
    EXPECT_EQ(text(fpForbiddenCharacter, "C:\\a\tb"),
              "The name \"a\tb\" in the destination folder holds a control character, which Windows does not allow "
              "in a name. Please enter another folder.");
    EXPECT_EQ(text(fpBadNameEnd, "C:\\Lib "), "The name \"Lib \" in the destination folder ends with a blank, which "
                                             "Windows does not allow at the end of a name. Please enter another folder.");
    EXPECT_EQ(text(fpBadNameEnd, "C:\\Lib.\\x"), "The name \"Lib.\" in the destination folder ends with a dot, "
                                                  "which Windows does not allow at the end of a name. Please enter "
                                                  "another folder.");
    EXPECT_EQ(text(fpDeviceName, "C:\\con\\Lib"),
              "The name \"con\" in the destination folder is the name of a device (CON, PRN, AUX, NUL, COM1 to COM9, "
              "LPT1 to LPT9), which Windows does not allow for a folder. Please enter another folder.");
    EXPECT_EQ(text(fpCannotCreate, "C:\\Locked\\Lib"),
              "The destination folder C:\\Locked\\Lib cannot be created. Please enter a folder that you may create.");
    const std::string needed = std::to_string(InstallSpaceNeeded() >> 20);
    EXPECT_GT(InstallSpaceNeeded(), uint64_t(PayloadWrittenBytes)) << "room for the compilers' output";
    EXPECT_EQ(FolderProblemText(fpNoSpace, "V:\\Lib", "1").CStr(),
              "The drive of the destination folder V:\\Lib has 1 MB free, and Setup needs about " + needed +
                  " MB there. Please free some space on it, or enter a folder on another drive.");
    EXPECT_EQ(text(fpCannotWrite, "C:\\Locked"),
              "Setup cannot write into the destination folder C:\\Locked. Please enter a folder that you may write to.");
}

}  // namespace
