// The script's operations one at a time, on items made for the test: result
// codes of the failing paths and the edge cases of the file edits.
#include "EngineFixture.h"
#include "script/UOperations.h"
#include "util/ULinks.h"
#include "util/UTextFile.h"

#include <sddl.h>

namespace {

ScriptItem Item(uint32_t op, const std::string& name, uint32_t value = 0, uint8_t dirKind = dkNone) {
    // The names live as long as the test: keep them in a pool.
    static std::vector<std::unique_ptr<std::string>> names;
    names.push_back(std::make_unique<std::string>(name));
    return ScriptItem{op, value, names.back()->c_str(), nullptr, nullptr, nullptr, dirKind, dkNone, 0};
}

std::string Read(const std::string& path) {
    std::string data;
    ReadFileBytes(path, &data);
    return data;
}

class Operations : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        CreateDirectoryA(installDir_.c_str(), nullptr);
    }
    // A fake Delphi 7 as the current IDE.
    void UseDelphi7(const FakeIdeOptions& options = {}) {
        ide_ = std::make_unique<FakeIde>(9, temp_ / "D7", options);
        DetectIdes();
        CurrentIdeIndex = 9;
    }
    void TearDown() override {
        ide_.reset();
        EngineFixture::TearDown();
    }
    std::unique_ptr<FakeIde> ide_;
    AnsiString line;
};

TEST_F(Operations, ModifyFileNeedsTheHelpFile) {
    FakeIdeOptions options;
    options.helpFiles = false;
    UseDelphi7(options);
    EXPECT_EQ(OpModifyFile(Item(siModifyFile, HelpLinkLine, 2, dkIdeHelp), &line), -1);
    EXPECT_EQ(std::string(line.CStr()), "Modifying file: " + ide_->HelpFile(2) + "...Fail") << "the failure names the file";
}

TEST_F(Operations, ModifyFileAppendsTheLineOnceOnALineOfItsOwn) {
    UseDelphi7();
    ScriptItem link = Item(siModifyFile, HelpLinkLine, 2, dkIdeHelp);
    struct Case {
        std::string before, after;
    } cases[] = {
        {"a\r\n", "a\r\n:Link vllib.hlp\r\n"},
        {"a", "a\r\n:Link vllib.hlp\r\n"},
        {"", "\r\n:Link vllib.hlp\r\n"},
        {"\n", "\n\r\n:Link vllib.hlp\r\n"},
        {"a\r\n:LINK VLLIB.HLP\r\n", "a\r\n:LINK VLLIB.HLP\r\n"},   // case does not matter
        {":Link vllib.hlp\r\n", ":Link vllib.hlp\r\n:Link vllib.hlp\r\n"},  // only after a line break
    };
    for (const Case& c : cases) {
        WriteFileBytes(ide_->HelpFile(2), c.before);
        EXPECT_EQ(OpModifyFile(link, &line), 0);
        EXPECT_EQ(Read(ide_->HelpFile(2)), c.after) << c.before;
        bool already = c.before == c.after;
        EXPECT_STREQ(line.CStr(), ("Modifying file: " + ide_->HelpFile(2) +
                                   (already ? "...Already" : "...Success")).c_str());
    }
}

// A help file of the IDE that cannot be rewritten whole is left byte for
// byte as it was, and its item fails with a line that says so.
TEST_F(Operations, TheIdesTextFilesAreLeftAsTheyWereWhenTheyCannotBeReadWhole) {
    UseDelphi7();
    CreateDirectoryA((installDir_ + "\\Help").c_str(), nullptr);
    WriteFileBytes(installDir_ + "\\Help\\vllib.als", "TvlSettings=vllib.hlp>main\r\n");
    ScriptItem merge = Item(siMergeFiles, "Help\\vllib.als", 0, dkInstallDir);
    merge.Name2 = "d7.als";
    merge.DirKind2 = dkIdeHelp;
    const std::string merged = "Merging files: " + installDir_ + "\\Help\\vllib.als, " + ide_->HelpFile(3);
    ScriptItem index = Item(siModifyFile, HelpIndexLine, 1, dkIdeHelp);
    ScriptItem replace = Item(siReplaceText, "d7.ohi", 0, dkIdeHelp);
    replace.Text = "TButton";
    replace.Name2 = "TEdit";
    const std::string replaced = "Replace text: File=" + ide_->HelpFile(1) + ", FindText=TButton, ReplaceTo=TEdit";
    struct Case {
        const char* name;
        std::string bytes;
        int32_t result;
    } cases[] = {
        {"a NUL byte in the second line",
         std::string("TButton=vcl.hlp>main\r\nTEd") + '\0' + "it=vcl.hlp>main\r\nTForm=x\r\n", tfNotText},
        {"UTF-16", std::string("\xFF\xFEx\0=\0\r\0\n\0", 10), tfNotText},
        {"larger than any IDE's", "TButton=vcl.hlp>main\r\n" + std::string(MaxTextFileBytes, 'x'), tfTooLarge},
    };
    ASSERT_EQ(ide_->HelpFile(1), ide_->Root() + "\\Help\\d7.ohi");
    for (const Case& c : cases) {
        WriteFileBytes(ide_->HelpFile(3), c.bytes);
        WriteFileBytes(ide_->HelpFile(1), c.bytes);
        EXPECT_EQ(OpMergeFiles(merge, &line), c.result) << c.name;
        EXPECT_EQ(std::string(line.CStr()), merged + "...Fail") << c.name;
        EXPECT_TRUE(Read(ide_->HelpFile(3)) == c.bytes) << c.name;
        EXPECT_EQ(OpModifyFile(index, &line), c.result) << c.name;
        EXPECT_EQ(std::string(line.CStr()), "Modifying file: " + ide_->HelpFile(1) + "...Fail") << c.name;
        EXPECT_EQ(OpReplaceText(replace, &line), c.result) << c.name;
        EXPECT_EQ(std::string(line.CStr()), replaced + "...Fail") << c.name;
        EXPECT_TRUE(Read(ide_->HelpFile(1)) == c.bytes) << c.name;
    }
    // Held open by the IDE, without sharing: it cannot even be read.
    WriteFileBytes(ide_->HelpFile(3), FakeIde::AliasFileText);
    HANDLE held = CreateFileA(ide_->HelpFile(3).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpMergeFiles(merge, &line), -1);
    CloseHandle(held);
    EXPECT_EQ(Read(ide_->HelpFile(3)), FakeIde::AliasFileText);
    // And merged once it can be, with nothing left beside it.
    EXPECT_EQ(OpMergeFiles(merge, &line), 0);
    EXPECT_EQ(Read(ide_->HelpFile(3)), "TButton=vcl.hlp>main\r\nTForm=vcl.hlp>main\r\nTvlSettings=vllib.hlp>main\r\n");
    EXPECT_EQ(ListTree(ide_->Root() + "\\Help"), (std::vector<std::string>{"d7.als", "d7.gid", "d7.ohi", "d7.ohl"}));
}

std::string DaclText(const std::string& folder) {
    std::vector<char> descriptor(8192);
    DWORD needed = 0;
    char* text = nullptr;
    if (!GetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(),
                          static_cast<DWORD>(descriptor.size()), &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return "(unreadable)";
    }
    std::string dacl(text);
    LocalFree(text);
    return dacl;
}

std::string SddlOf(SECURITY_ATTRIBUTES* attributes) {
    char* text = nullptr;
    if (!attributes || !ConvertSecurityDescriptorToStringSecurityDescriptorA(
                           attributes->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return "(none)";
    }
    std::string sddl(text);
    LocalFree(text);
    return sddl;
}

TEST_F(Operations, FoldersThatARunMakesGetThePermissionsOfProgramFiles) {
    // As the programs build them: Administrators and SYSTEM full control,
    // Users read and execute, inherited below and not from above; only the
    // first two for the uninstaller's private folder.
    EXPECT_EQ(SddlOf(ProductFolderSecurity.Attributes()), "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)");
    TSecurity privateFolder(PrivateFolderSddl);
    EXPECT_EQ(SddlOf(privateFolder.Attributes()), "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)");
    EXPECT_EQ(FolderSecurityFor(AnsiString((temp_ / "elsewhere").c_str())), nullptr);

    // Read back: the folders the run makes, the install folder and its
    // parent among them, have the product's permissions; a folder that was
    // there keeps its own.
    const std::string plain = DaclText(installDir_);
    CreateDirectoryA((temp_ / "Made").c_str(), ProductFolderSecurity.Attributes());
    const std::string product = DaclText(temp_ / "Made");
    if (product == plain) GTEST_SKIP() << "this system keeps no permissions of folders: " << plain;
    EXPECT_EQ(OpCreateDirectory(Item(siCreateDirectory, "", 0, dkInstallDir), &line), 0);
    EXPECT_EQ(DaclText(installDir_), plain);
    InstallDir = (temp_ / "New\\Lib").c_str();
    EXPECT_EQ(OpCreateDirectory(Item(siCreateDirectory, "Source", 0, dkInstallDir), &line), 0);
    for (const char* made : {"New", "New\\Lib", "New\\Lib\\Source"}) EXPECT_EQ(DaclText(temp_ / made), product) << made;
}

TEST_F(Operations, FoldersThatOthersCanChangeAreTold) {
    const std::string open = temp_ / "Open", made = temp_ / "Made", plain = temp_ / "Plain";
    CreateDirectoryA(open.c_str(), nullptr);
    ASSERT_TRUE(OpenToEveryone(open));
    CreateDirectoryA(made.c_str(), ProductFolderSecurity.Attributes());
    CreateDirectoryA(plain.c_str(), nullptr);
    EXPECT_TRUE(OthersCanChangePath(open.c_str())) << DaclText(open);
    EXPECT_FALSE(OthersCanChangePath(made.c_str())) << DaclText(made);
    EXPECT_FALSE(OthersCanChangePath(plain.c_str())) << "the running administrator's own: " << DaclText(plain);
    EXPECT_FALSE(OthersCanChangePath((temp_ / "Missing").c_str())) << "nothing there to change";
}

TEST_F(Operations, ProtectingAFolderShutsOthersOutBelowItAndFollowsNoLink) {
    const std::string folder = temp_ / "Taken", outside = temp_ / "Outside";
    const std::vector<std::string> inside = {folder, folder + "\\Sub", folder + "\\Sub\\a.txt"};
    for (const std::string& dir : {folder, folder + "\\Sub", outside}) CreateDirectoryA(dir.c_str(), nullptr);
    WriteFileBytes(inside[2], "a");
    WriteFileBytes(outside + "\\v.txt", "v");
    for (const std::string& path : inside) ASSERT_TRUE(OpenToEveryone(path)) << path;
    for (const std::string& path : {outside, outside + "\\v.txt"}) ASSERT_TRUE(OpenToEveryone(path)) << path;
    ASSERT_TRUE(MakeLink(folder + "\\ToFolder", outside));
    ASSERT_TRUE(MakeLink(folder + "\\Sub\\ToFile.txt", outside + "\\v.txt"));

    EXPECT_EQ(ProtectExistingFolder(folder.c_str()), 0u);
    for (const std::string& path : inside) EXPECT_FALSE(OthersCanChangePath(path.c_str())) << path << DaclText(path);
    EXPECT_EQ(ProtectExistingFolder((folder + "\\ToFolder").c_str()), ErrorLinkOnTheWay);
    for (const std::string& path : {outside, outside + "\\v.txt"}) {
        EXPECT_TRUE(OthersCanChangePath(path.c_str())) << "a link's target stays as it was: " << path;
    }
    EXPECT_EQ(ProtectExistingFolder((temp_ / "Missing").c_str()), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    for (const char* link : {"\\ToFolder", "\\Sub\\ToFile.txt"}) RemoveLink(folder + link);
}

TEST_F(Operations, SearchPathsNeedTheirValue) {
    FakeIdeOptions options;
    options.searchPath = false;
    UseDelphi7(options);
    EXPECT_EQ(OpAddSearchPath(Item(siAddSearchPath, "Source", 0, dkInstallDir), &line), -2);
    EXPECT_STREQ(line.CStr(), "");
    ScriptItem package = Item(siRegisterPackage, "Delphi7\\dclvll70.bpl", 0, dkInstallDir);
    EXPECT_EQ(OpRegisterPackage(package, &line), -2);
    EXPECT_EQ(std::string(line.CStr()),
              "Registering package: " + installDir_ + "\\Delphi7\\dclvll70.bpl...Success");
    EXPECT_EQ(ide_->KnownPackage(installDir_ + "\\Delphi7\\dclvll70.bpl"), PackageDescription().CStr());
}

TEST_F(Operations, SearchPathsCompareWholeEntriesWithoutCase) {
    const std::string folder = installDir_ + "\\Delphi7";
    FakeIdeOptions options;
    options.searchPathValue = "c:\\a;" + folder + "Old";
    UseDelphi7(options);
    ScriptItem package = Item(siRegisterPackage, "Delphi7\\dclvll70.bpl", 0, dkInstallDir);
    EXPECT_EQ(OpRegisterPackage(package, &line), 0);
    EXPECT_EQ(ide_->LibraryPath(), "c:\\a;" + folder + "Old;" + folder) << "a longer entry is another folder";
    EXPECT_NE(std::string(line.CStr()).find("Adding search path: " + folder + "...Success"), std::string::npos);

    ide_.reset();
    std::string upper = folder;
    CharUpperA(&upper[0]);
    options.searchPathValue = "c:\\a;" + upper + ";";
    UseDelphi7(options);
    EXPECT_EQ(OpRegisterPackage(package, &line), 0);
    EXPECT_EQ(ide_->LibraryPath(), "c:\\a;" + upper + ";");
    EXPECT_NE(std::string(line.CStr()).find("...Already"), std::string::npos);

    ide_.reset();
    options.searchPathValue = "";
    UseDelphi7(options);
    EXPECT_EQ(OpAddSearchPath(Item(siAddSearchPath, "Source", 0, dkInstallDir), &line), 0);
    EXPECT_EQ(ide_->LibraryPath(), installDir_ + "\\Source");
}

TEST_F(Operations, CompilingChoosesTheToolOfTheLowestIdeBitAndStartsItByItsFullName) {
    UseDelphi7();
    // An IDE folder with a blank, and a program planted where a command line
    // without a program name would be tried first.
    FakeIde builder(8, temp_ / "My Tools\\CB6");
    ASSERT_TRUE(CopyFileA(BuildFile("fixtures/make.exe").c_str(), (temp_ / "My.exe").c_str(), FALSE));
    DetectIdes();
    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "x.dpk", 0), &line), -1);
    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "x.dpk", 0x200), &line), -2);
    EXPECT_STREQ(line.CStr(), "Compiling package: x.dpk...Fail") << "a failure names its package";
    EXPECT_TRUE(ide_->Calls().empty());

    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "vll60.mak", 0x180), &line), 0);
    EXPECT_STREQ(line.CStr(), "Compiling package: vll60.mak...Success");
    EXPECT_EQ(builder.Calls(), std::vector<std::string>{"\"" + builder.Root() + "\\bin\\make.exe\" /fvll60.mak|" +
                                                        temp_.Path()});
    EXPECT_EQ(GetFileAttributesA((temp_ / "calls.log").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted program ran";
    // A tool that cannot be started fails with the system's error.
    ASSERT_TRUE(DeleteFileA((builder.Root() + "\\bin\\make.exe").c_str()));
    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "vll60.mak", 0x180), &line), int32_t(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(line.CStr(), "Compiling package: vll60.mak...Fail");
}

TEST_F(Operations, AMissingPackageFailsItsCheckWithOne) {
    FakeIdeOptions options;
    options.failing = {"vll70"};
    UseDelphi7(options);
    SetCurrentDirectoryA(installDir_.c_str());
    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "vll70.dpk", 0x100), &line), 0);
    EXPECT_EQ(OpCheckFile(Item(siCheckFile, "vll70.bpl", 0, dkInstallDir), &line), 1);
    EXPECT_EQ(std::string(line.CStr()), "Check file: " + installDir_ + "\\vll70.bpl...Fail");
    EXPECT_EQ(OpCompilePackage(Item(siCompilePackage, "dclvll70.dpk", 0x100), &line), 0);
    EXPECT_EQ(OpCheckFile(Item(siCheckFile, "dclvll70.bpl", 0, dkInstallDir), &line), 0);
}

TEST_F(Operations, ExtractIfAbsentKeepsWhatIsThere) {
    CreateDirectoryA((installDir_ + "\\taken").c_str(), nullptr);
    EXPECT_EQ(OpExtractFile(Item(siExtractIfAbsent, "taken", 1, dkInstallDir), &line, false), 0);
    EXPECT_EQ(std::string(line.CStr()), "Copying file: " + installDir_ + "\\taken...Already");
    EXPECT_EQ(OpExtractFile(Item(siExtractIfAbsent, "new", 1, dkInstallDir), &line, false), 0);
    EXPECT_EQ(Read(installDir_ + "\\new"), PayloadBytes(1));
}

// The build's uninstaller with another product version in its fixed block.
std::string UninstallerOfVersion(uint32_t ms) {
    std::string bytes = Read(BuildFile("redud.exe"));
    // The signature of the fixed block after the resource's key: the code may hold those bytes too.
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    size_t fixed = bytes.find(std::string("\xBD\x04\xEF\xFE", 4), bytes.find(key));
    if (fixed == std::string::npos) return "";
    for (int i = 0; i < 4; ++i) bytes[fixed + 16 + i] = static_cast<char>(ms >> (8 * i));
    return bytes;
}

// In the install folder the uninstaller always goes in: a file there may
// have been planted, and its version proves nothing. Elsewhere the versions
// decide. No copy of the payload is written anywhere to read its version.
TEST_F(Operations, ExtractIfNewerAlwaysWritesTheInstallFoldersFileAndComparesVersionsElsewhere) {
    UseDelphi7();
    unsigned id = 0;
    for (const ManifestEntry& entry : LoadManifest()) {
        if (entry.kind == "newer") id = entry.id;
    }
    const std::string tempFolder = temp_ / "Temp";
    CreateDirectoryA(tempFolder.c_str(), nullptr);
    WriteFileBytes(tempFolder + "\\redud.exe", "another program's");
    char previousTemp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", previousTemp, sizeof previousTemp);
    SetEnvironmentVariableA("TMP", tempFolder.c_str());

    const std::string shipped = Read(BuildFile("redud.exe"));
    struct Case {
        const char* name;
        std::string before;
        bool payloadNewer;
    } cases[] = {
        {"no version resource", "no version resource", true},
        {"the same version", shipped, false},
        {"a higher version", UninstallerOfVersion(0x00040000), false},
        {"a lower version", UninstallerOfVersion(0x00030012), true},
    };
    for (const Case& c : cases) {
        for (uint8_t kind : {uint8_t(dkInstallDir), uint8_t(dkIdeRoot)}) {
            ScriptItem uninstaller = Item(siExtractIfNewer, "redud.exe", id, kind);
            const std::string path = ItemPath(uninstaller).CStr();
            ASSERT_TRUE(WriteFileBytes(path, c.before)) << c.name;
            EXPECT_EQ(OpExtractIfNewer(uninstaller, &line), 0) << c.name;
            bool replaced = kind == dkInstallDir || c.payloadNewer;
            EXPECT_TRUE(Read(path) == (replaced ? shipped : c.before)) << c.name << " in " << path;
            EXPECT_EQ(std::string(line.CStr()), "Copying file: " + path + (replaced ? "...Success" : "...Already"))
                << c.name;
        }
    }
    SetEnvironmentVariableA("TMP", previousTemp[0] ? previousTemp : nullptr);
    EXPECT_EQ(ListTree(tempFolder), std::vector<std::string>{"redud.exe"});
    EXPECT_EQ(Read(tempFolder + "\\redud.exe"), "another program's");
}

TEST_F(Operations, ClearingEmptiesOnlyTheProductsFolderAndReportsWhatItCannotDelete) {
    const std::string folder = installDir_ + "\\D";
    ScriptItem clear = Item(siClearDirectory, "D", 0, dkInstallDir);
    EXPECT_EQ(OpClearDirectory(clear, &line, true), 0);
    EXPECT_EQ(std::string(line.CStr()), "Clearing directory: " + folder + "...Success");
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(folder + "\\kept", "x");
    SetReadOnly(folder + "\\kept", true);
    WriteFileBytes(folder + "\\gone", "x");
    // A folder that was there before the run is the user's.
    EXPECT_EQ(OpClearDirectory(clear, &line, false), 0);
    EXPECT_EQ(std::string(line.CStr()),
              "Clearing directory: " + folder + "...Already (it was there before setup: what it holds is kept)");
    EXPECT_EQ(ListTree(folder), (std::vector<std::string>{"gone", "kept"}));
    EXPECT_EQ(OpClearDirectory(clear, &line, true), 0);
    EXPECT_EQ(std::string(line.CStr()), "Clearing directory: " + folder + "...Fail");
    EXPECT_EQ(ListTree(folder), std::vector<std::string>{"kept"});
}

TEST_F(Operations, ReplaceTextRewritesFromTheFirstMatch) {
    const std::string path = installDir_ + "\\a.cfg";
    ScriptItem item = Item(siReplaceText, "a.cfg", 0, dkInstallDir);
    item.Text = "OLD-VALUE";
    item.Name2 = "new";
    EXPECT_EQ(OpReplaceText(item, &line), -1);
    WriteFileBytes(path, "x=old-value;y=old-value\r\n");
    EXPECT_EQ(OpReplaceText(item, &line), 0);
    EXPECT_EQ(Read(path), "x=new;y=old-value\r\n");
    EXPECT_EQ(std::string(line.CStr()),
              "Replace text: File=" + path + ", FindText=OLD-VALUE, ReplaceTo=new...Success");
    WriteFileBytes(path, "nothing here");
    EXPECT_EQ(OpReplaceText(item, &line), 0);
    EXPECT_NE(std::string(line.CStr()).find("...Already"), std::string::npos);
}

TEST_F(Operations, MasksCopyAndDeleteEveryMatch) {
    CreateDirectoryA((installDir_ + "\\from").c_str(), nullptr);
    CreateDirectoryA((installDir_ + "\\to").c_str(), nullptr);
    for (const char* name : {"a.hpp", "b.hpp", "c.obj"}) WriteFileBytes(installDir_ + "\\from\\" + name, name);
    ScriptItem copy = Item(siCopyFiles, "from\\*.hpp", 0, dkInstallDir);
    copy.Name2 = "to\\anything";
    copy.DirKind2 = dkInstallDir;
    EXPECT_EQ(OpCopyFiles(copy, &line), 0);
    EXPECT_EQ(ListTree(installDir_ + "\\to"), (std::vector<std::string>{"a.hpp", "b.hpp"}));
    EXPECT_EQ(OpDeleteFiles(Item(siDeleteFiles, "from\\*.hpp", 0, dkInstallDir), &line), 0);
    EXPECT_EQ(ListTree(installDir_ + "\\from"), std::vector<std::string>{"c.obj"});
    EXPECT_EQ(OpDeleteFile(Item(siDeleteFile, "from\\absent", 0, dkInstallDir), &line), 0);
    EXPECT_NE(std::string(line.CStr()).find("...Success"), std::string::npos);
}

TEST_F(Operations, WindowsHelpTakesTheHelpFolderSetBefore) {
    EXPECT_EQ(OpRegisterWinHelp(Item(siRegisterWinHelp, "vllib.hlp"), &line), 0);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", "vllib.hlp"), "");
    EXPECT_EQ(OpSetHelpDir(Item(siSetHelpDir, "Help", 0, dkInstallDir)), 0);
    EXPECT_EQ(OpRegisterWinHelp(Item(siRegisterWinHelp, "vllib.hlp"), &line), 0);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", "vllib.hlp"),
              installDir_ + "\\Help");
    EXPECT_STREQ(line.CStr(), "Registering windows help: vllib.hlp...Success");
}

}  // namespace
