// The undo actions on real registry values and files, and the replay of a
// log file.
#include <filesystem>

#include "EngineFixture.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UDeinstall.h"
#include "uninstall/UnDo.h"
#include "util/UTextFile.h"

namespace {

TUninstallRecord Rec(uint32_t code, uint32_t arg, uint32_t dirKind, const std::string& text) {
    return TUninstallRecord{code, arg, dirKind, AnsiString(text.c_str(), text.size())};
}

std::string Read(const std::string& path) {
    std::string data;
    ReadFileBytes(path, &data);
    return data;
}

class Undo : public EngineFixture {
protected:
    void UseIde(int index, const std::string& searchPath) {
        FakeIdeOptions options;
        options.searchPathValue = searchPath;
        ide_ = std::make_unique<FakeIde>(index, temp_ / "IDE", options);
        DetectIdes();
        CurrentIdeIndex = index;
    }
    void TearDown() override {
        ide_.reset();
        EngineFixture::TearDown();
    }
    std::unique_ptr<FakeIde> ide_;
};

TEST_F(Undo, APackageLosesItsRegistrationAndItsFolderEntry) {
    const std::string folder = installDir_ + "\\Delphi7";
    UseIde(9, "c:\\a;" + folder + ";$(DELPHI)\\Lib");
    const std::string key = "Software\\Borland\\Delphi\\7.0\\Known Packages";
    WriteRegString(RootCurrentUser, key.c_str(), (folder + "\\dclvll70.bpl").c_str(), "description");
    WriteRegString(RootCurrentUser, key.c_str(), "C:\\other.bpl", "kept");
    UndoPackage(Rec(0x10008, 0, dkInstallDir, "Delphi7\\dclvll70.bpl"));
    EXPECT_EQ(ide_->KnownPackage(folder + "\\dclvll70.bpl"), "(none)");
    EXPECT_EQ(ide_->KnownPackage("C:\\other.bpl"), "kept");
    EXPECT_EQ(ide_->LibraryPath(), "c:\\a;$(DELPHI)\\Lib");
}

TEST_F(Undo, SearchPathsLoseOneWholeEntry) {
    std::string source = installDir_ + "\\Source";
    std::string upper = source;
    CharUpperA(&upper[0]);
    UseIde(5, "x;" + upper + "x;" + upper);
    UndoSearchPath(Rec(0x10015, 0, dkInstallDir, "Source"));
    EXPECT_EQ(ide_->LibraryPath(), "x;" + upper + "x") << "the longer entry is another folder";
    UndoSearchPath(Rec(0x10015, 0, dkInstallDir, "Source"));
    EXPECT_EQ(ide_->LibraryPath(), "x;" + upper + "x") << "not there: left as it is";
}

TEST_F(Undo, Delphi3sSearchPathHasItsOwnName) {
    UseIde(1, "a;" + installDir_ + "\\Delphi3");
    UndoPackage(Rec(0x10008, 0, dkInstallDir, "Delphi3\\dclvll30.dpl"));
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\3.0\\Library", "SearchPath"), "a");
}

TEST_F(Undo, HelpTextLosesItsFirstOccurrenceOnly) {
    UseIde(9, "");
    const std::string file = ide_->HelpFile(2);
    WriteFileBytes(file, "Head\r\n:LINK VLLIB.HLP\r\nMiddle\r\n:Link vllib.hlp\r\n");
    UndoHelpText(Rec(0x1000A, 2, dkIdeHelp, HelpLinkLine));
    EXPECT_EQ(Read(file), "Head\r\nMiddle\r\n:Link vllib.hlp\r\n");
    // One larger than any IDE's is not even read.
    const std::string large = "Head\r\n:Link vllib.hlp\r\n" + std::string(MaxTextFileBytes, 'x');
    WriteFileBytes(file, large);
    UndoHelpText(Rec(0x1000A, 2, dkIdeHelp, HelpLinkLine));
    EXPECT_TRUE(Read(file) == large);
    DeleteFileA(file.c_str());
    UndoHelpText(Rec(0x1000A, 2, dkIdeHelp, HelpLinkLine));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is created";
}

TEST_F(Undo, RegistryEntriesGo) {
    // A Windows help value goes when it names the install folder or a folder below it.
    const char* const help = "Software\\Microsoft\\Windows\\Help";
    WriteRegString(RootLocalMachine, help, "vllib.hlp", "C:\\x");
    UndoWinHelp(Rec(0x1000C, 0, 0, "vllib.hlp"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, help, "vllib.hlp"), "C:\\x") << "another program's help";
    WriteRegString(RootLocalMachine, help, "vllib.hlp", (installDir_ + "\\HELP\\").c_str());
    UndoWinHelp(Rec(0x1000C, 0, 0, "vllib.hlp"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, help, "vllib.hlp"), "(none)");

    const std::string base = "Software\\VellorinTests\\Undo" + std::to_string(GetCurrentProcessId());
    CreateRegKey(RootCurrentUser, (base + "\\keep").c_str());
    CreateRegKey(RootCurrentUser, (base + "\\gone\\below").c_str());
    UndoRegistryKey(Rec(0x3000F, RootCurrentUser, 0, base + "\\gone"));
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (base + "\\gone").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (base + "\\keep").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());

    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib";
    WriteRegString(RootLocalMachine, entry.c_str(), "DisplayName", "x");
    UndoUninstallEntry(Rec(0x18012, 0, 3, "redud.exe"), "");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "x") << "no key name, nothing goes";
    UndoUninstallEntry(Rec(0x18012, 0, 3, "some other text"), "vllLib");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "(none)");
}

// What this release and the earlier installation made, what the tools
// left beside it, and a folder the install clears and made go; the user's
// files stay, and so does a folder of the user's that the install used.
TEST_F(Undo, FoldersLoseWhatTheProductMadeAndKeepWhatUsersPutThere) {
    for (const char* made :
         {"Demos\\Delphi\\IniDemo\\Main.pas", "Demos\\Delphi\\IniDemo\\Main.DCU", "Demos\\Delphi\\IniDemo\\Main.~pas",
          "Demos\\CBuilder\\IniDemo\\Main.h", "Demos\\CBuilder\\IniDemo\\Main.obj", "Demos\\Kylix\\Old.pas",
          "ReadMe.txt", "Delphi7\\built-by-hand.bpl", "Delphi7\\Old\\x.dcu"}) {
        std::filesystem::create_directories(std::filesystem::path(installDir_ + "\\" + made).parent_path());
        WriteFileBytes(installDir_ + "\\" + made, "x");
    }
    WriteFileBytes(installDir_ + "\\Demos\\CBuilder\\users-own.txt", "x");
    WriteFileBytes(installDir_ + "\\f.txt", "x");
    TEarlierInstall earlier;
    earlier.Files.Append("demos\\kylix\\old.pas");
    earlier.Folders.Append("demos\\kylix");
    UndoDeleteFile(Rec(0x1000B, 1, dkInstallDir, "f.txt"), earlier);
    UndoDeleteFile(Rec(0x1000B, 1, dkInstallDir, "missing.txt"), earlier);
    UndoDirectory(Rec(0x18001, 0, dkInstallDir, "Demos"), earlier);
    UndoDirectory(Rec(0x18001, 0, dkInstallDir, "Delphi7"), earlier);
    EXPECT_TRUE(Exists(installDir_ + "\\Delphi7\\Old\\x.dcu")) << "not made by the install";
    UndoDirectory(Rec(0x18001 | RecordFolderMade, 0, dkInstallDir, "Delphi7"), earlier);
    EXPECT_EQ(ListTree(installDir_),
              (std::vector<std::string>{"Demos\\", "Demos\\CBuilder\\", "Demos\\CBuilder\\users-own.txt", "Demos\\Delphi\\",
                                        "Demos\\Delphi\\IniDemo\\", "Demos\\Delphi\\IniDemo\\Main.~pas", "ReadMe.txt",
                                        "f.txt"}));
    UndoDeleteFile(Rec(0x18002, 1, dkInstallDir, "README.TXT"), earlier);
    EXPECT_FALSE(Exists(installDir_ + "\\ReadMe.txt"));
}

TEST_F(Undo, ATreeIsNeverRemovedFromAnEmptyOrRelativePath) {
    CreateDirectoryA((temp_ / "relative").c_str(), nullptr);
    WriteFileBytes(temp_ / "relative\\f", "x");
    InstallDir = AnsiString();
    UndoDirectory(Rec(0x18001, 0, dkInstallDir, ""), TEarlierInstall{});
    UndoDirectory(Rec(0x18001, 0, dkInstallDir, "relative"), TEarlierInstall{});  // below the current folder
    EXPECT_EQ(ListTree(temp_ / "relative"), std::vector<std::string>{"f"});
}

TEST_F(Undo, SelectingAnIdeSetsTheCurrentOne) {
    UndoSelectIde(Rec(0x14009, 9, 0, ""));
    EXPECT_EQ(CurrentIdeIndex, 9);
}

TEST_F(Undo, LoadingReportsMissingEmptyAndForeignFiles) {
    TDeinstall log;
    EXPECT_EQ(log.LoadLog((temp_ / "missing.log").c_str()), dlCannotOpen);
    WriteFileBytes(temp_ / "empty.log", "");
    EXPECT_EQ(log.LoadLog((temp_ / "empty.log").c_str()), dlEmpty);
    WriteFileBytes(temp_ / "short.log", "REDUD0");
    EXPECT_EQ(log.LoadLog((temp_ / "short.log").c_str()), dlNotALog);
}

TEST_F(Undo, ARunUndoesKeepableRecordsToo) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string ini = std::string(windows) + "\\vllib.ini";
    WriteFileBytes(ini, "[Main]\r\n");
    CreateRegKey(RootLocalMachine, "Software\\Brindlecraft\\Vellorin library");
    // As releases before the record of the log's end wrote it: the last
    // record is the product key's, and the log is whole.
    std::string bytes = "REDUD01";
    for (const AnsiString& record :
         {EncodeUninstallRecord(0x1400E, uhInstallDir, 0, temp_.Path().c_str()),
          EncodeUninstallRecord(0x1400E, uhEndOfHeader, 0, ""),
          EncodeUninstallRecord(0x38010, 5, dkWindows, "vllib.ini"),
          EncodeUninstallRecord(0x3000F, RootLocalMachine, 0, "Software\\Brindlecraft\\Vellorin library")}) {
        bytes.append(record.CStr(), record.Length());
    }
    WriteFileBytes(temp_ / "uninst.log", bytes);
    TDeinstall log;
    ASSERT_EQ(log.LoadLog((temp_ / "uninst.log").c_str()), 0);
    log.ReadHeader();
    EXPECT_EQ(log.Run(), 0);
    EXPECT_FALSE(log.CutShort);
    EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft", 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the product key and its emptied parent are gone";
}

}  // namespace
