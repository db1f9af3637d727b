// The script engine: block skipping, copy-only mode, logs, and whole runs of
// the real script against a fake Delphi 7.
#include <algorithm>
#include <map>
#include <memory>

#include "EngineFixture.h"
#include "resources/version.h"
#include "script/UScriptItems.h"
#include "script/UUninstallRecord.h"

namespace {

const uint32_t HKLM = 0x80000002;

ScriptItem Item(uint32_t id, const char* name = "", uint32_t value = 0, uint8_t dirKind = dkNone) {
    return ScriptItem{id, value, name, nullptr, nullptr, nullptr, dirKind, dkNone, 0};
}

using Lines = std::vector<std::string>;

// Every file below `dir` with its bytes.
std::map<std::string, std::string> TreeContents(const std::string& dir) {
    std::map<std::string, std::string> contents;
    for (const std::string& entry : ListTree(dir)) {
        if (entry.back() != '\\') ReadFileBytes(dir + "\\" + entry, &contents[entry]);
    }
    return contents;
}

TEST_F(EngineFixture, ASkippedBlockLeavesNoLineAndNoRecord) {
    InstallItems = 0x080;
    const ScriptItem items[] = {
        Item(siIfItems, "", 0x100),
        Item(siSelectIde | sfRecordUndo, "", 3),
        Item(siIfVersions, "", 0x001),     // a start met while skipping is skipped too
        Item(siEndIfVersions, "", 0x001),
        Item(siEndIfItems, "", 0x200),     // another mask does not end the skip
        Item(siCheckFile | sfRecordUndo, "skipped.txt", 0, dkInstallDir),
        Item(siEndIfItems, "", 0x100),
        Item(siCreateDirectory | sfRecordUndo, "made", 0, dkInstallDir),
        Item(siIfItems, "", 0x080),
        Item(siCheckFile | sfRecordUndo, "absent.txt", 0, dkInstallDir),
        Item(siEndIfItems, "", 0x080),
    };
    TScript script(TakeBackEarlierInstallation, items, 11);
    std::vector<Failure> failures = RunScript(script);

    EXPECT_EQ(CurrentIdeIndex, 0);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].index, 9);
    EXPECT_EQ(failures[0].code, 1);
    Lines log = InstallLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[3], "Creating directory: " + installDir_ + "\\made...Success");
    // A failing item as the wizard reports it.
    EXPECT_EQ(log[4], "Error in ScriptItem=9, ErrorCode=1h ScriptItemId=10013 with text");
    EXPECT_EQ(log[5], "Check file: " + installDir_ + "\\absent.txt...Fail");
    // A failed operation is recorded all the same, a folder that the run
    // made as made. After the last item, even a skipped one, the end of the log.
    EXPECT_EQ(UninstallLog(), (std::vector<Record>{{siCreateDirectory | sfRecordUndo | RecordFolderMade, 0, 3, "made"},
                                                   {siCheckFile | sfRecordUndo, 0, 3, "absent.txt"},
                                                   {0x1400E, uhEndOfLog, 0, ""}}));
}

// Never an Add/Remove Programs entry that names an uninstaller that is not
// there: it could not be taken away.
TEST_F(EngineFixture, TheUninstallEntryWaitsForItsUninstaller) {
    const ScriptItem items[] = {Item(siRegisterUninstall | sfRecordUndo, "redud.exe", 0, dkInstallDir)};
    TScript script(TakeBackEarlierInstallation, items, 1);
    EXPECT_EQ(RunScript(script).size(), 1u);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib",
                             "UninstallString"), "(none)");
}

TEST_F(EngineFixture, CopyOnlyRunsFileAndControlItemsOnly) {
    CopyOnly = true;
    const ScriptItem items[] = {
        Item(siSelectIde | sfRecordUndo, "", 9),
        Item(siCheckFile | sfRecordUndo, "absent.txt", 0, dkInstallDir),
        Item(siCreateDirectory, "x", 0, dkInstallDir),
        Item(siCreateRegKey | sfRecordUndo | sfKeepable, "Software\\VellorinTests\\never", HKLM),
    };
    TScript script(TakeBackEarlierInstallation, items, 4);
    EXPECT_TRUE(RunScript(script).empty()) << "skipped items succeed";
    EXPECT_EQ(CurrentIdeIndex, 9);
    EXPECT_EQ(InstallLog(), (Lines{InstallLog()[0], "RootPath: " + installDir_, "Borland products: ",
                                   "Creating directory: " + installDir_ + "\\x...Success"}));
    EXPECT_EQ(UninstallLog(), (std::vector<Record>{{siSelectIde | sfRecordUndo, 9, 0, ""}, {0x1400E, uhEndOfLog, 0, ""}}));
}

TEST_F(EngineFixture, CaptionsNameTheLastKindOfStep) {
    const ScriptItem items[] = {Item(siCompilePackage, "x.dpk"), Item(siCheckFile, "x.bpl"),
                                Item(siCreateDirectory, "d"), Item(siExtractFile, "f", 1)};
    TScript script(TakeBackEarlierInstallation, items, 4);
    const char* expected[] = {"Compiling package", "Compiling package", "Creating directory",
                              "Copying file"};
    AnsiString caption;
    for (script.Index = 0; script.Index < 4; ++script.Index) {
        script.ItemCaption(&caption);
        EXPECT_STREQ(caption.CStr(), expected[script.Index]);
    }
}

class TypicalInstall : public TypicalFixture {
protected:
    std::string Windows() const {
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, MAX_PATH);
        return folder;
    }
    std::string System() const {
        char folder[MAX_PATH];
        GetSystemDirectoryA(folder, MAX_PATH);
        return folder;
    }
};

TEST_F(TypicalInstall, WritesTheInstallLogLineByLine) {
    EXPECT_TRUE(Install().empty());
    const std::string d = installDir_, help = ide_->Root() + "\\Help\\", d7 = d + "\\Delphi7\\";
    Lines other;
    std::map<std::string, int> copiedInto;  // folder below the install folder -> files
    for (const std::string& line : InstallLog()) {
        const std::string prefix = "Copying file: " + d + "\\";
        if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() + 10 &&
            line.compare(line.size() - 10, 10, "...Success") == 0) {
            std::string name = line.substr(prefix.size());
            size_t slash = name.find('\\');
            ++copiedInto[slash == std::string::npos ? "" : name.substr(0, slash)];
        } else {
            other.push_back(line);
        }
    }
    EXPECT_EQ(copiedInto, (std::map<std::string, int>{{"", 5}, {"Source", 37}, {"Help", 3}, {"Delphi7", 41}}));
    EXPECT_EQ(other, (Lines{
        "Start installation for " + std::string(EditionLabel) + " of Vellorin library v" VL_VERSION_SHORT,
        "RootPath: " + d,
        "Borland products: Delphi7",
        "Creating directory: " + d + "...Success",
        "Creating directory: " + d + "\\Source...Success",
        "Creating directory: " + d + "\\Help...Success",
        "Registering windows help: vllib.hlp...Success",
        "Registering windows help: vllib.cnt...Success",
        "Copying file: " + Windows() + "\\vllib.ini...Success",
        "Registering Uninstall: redud.exe...Success",
        "Creating directory: " + d + "\\Delphi7...Success",
        "Clearing directory: " + d + "\\Delphi7...Success",
        "Compiling package: vll70.dpk...Success",
        "Check file: " + d7 + "vll70.bpl...Success",
        "Copying file: from " + d7 + "vll70.bpl to " + System() + "\\vll70.bpl ...Success",
        "Compiling package: dclvll70.dpk...Success",
        "Check file: " + d7 + "dclvll70.bpl...Success",
        "Registering package: " + d7 + "dclvll70.bpl...Success",
        "Adding search path: " + d + "\\Delphi7...Success",
        "Compiling package: clxvll70.dpk...Success",
        "Check file: " + d7 + "clxvll70.bpl...Success",
        "Copying file: from " + d7 + "clxvll70.bpl to " + System() + "\\clxvll70.bpl ...Success",
        "Compiling package: dclclxvll70.dpk...Success",
        "Check file: " + d7 + "dclclxvll70.bpl...Success",
        "Registering package: " + d7 + "dclclxvll70.bpl...Success",
        "Adding search path: " + d + "\\Delphi7...Already",
        "Modifying file: " + help + "d7.ohi...Success",
        "Modifying file: " + help + "d7.ohl...Success",
        "Merging files: " + d + "\\Help\\vllib.als, " + help + "d7.als...Success",
        "Deleting file: " + ide_->Root() + "\\Help\\d7.gid...Success"}));
}

TEST_F(TypicalInstall, WritesTheUninstallLogRecordByRecord) {
    EXPECT_TRUE(Install().empty());
    unsigned iniId = 0;
    for (const ManifestEntry& entry : LoadManifest()) {
        if (entry.kind == "absent") iniId = entry.id;
    }
    std::string magic;
    std::vector<Record> records = UninstallLog(&magic);
    EXPECT_EQ(magic, "REDUD01");
    EXPECT_EQ(records, (std::vector<Record>{
        {0x1400E, 1, 0, "Vellorin library"},
        {0x1400E, 2, 0, VL_VERSION_SHORT},
        {0x1400E, 3, 0, EditionLabel},
        {0x1400E | RecordFolderMade, 4, 0, installDir_},
        {0x1400E, 5, 0, "Software\\Brindlecraft\\Vellorin library"},
        {0x1400E, 7, 0, "vllLib"},
        {0x1400E, 6, 0, ""},
        {0x18001 | RecordFolderMade, 0, 3, ""},
        {0x18001 | RecordFolderMade, 0, 3, "Source"},
        {0x18001 | RecordFolderMade, 0, 3, "Help"},
        {0x1000C, 0, 0, "vllib.hlp"},
        {0x1000C, 0, 0, "vllib.cnt"},
        {0x38010, iniId, 1, "vllib.ini"},
        {0x18012, 0, 3, "redud.exe"},
        {0x14009, 9, 0, ""},
        {0x18001 | RecordFolderMade, 0, 3, "Delphi7"},
        {0x10008, 0, 3, "Delphi7\\dclvll70.bpl"},
        {0x10008, 0, 3, "Delphi7\\dclclxvll70.bpl"},
        {0x1000A, 1, 4, HelpIndexLine},
        {0x1000A, 2, 4, HelpLinkLine},
        {0x1000B, 0, 2, "Help\\d7.gid"},
        {0x14009, 9, 0, ""},
        {0x3000F, 0x80000002, 0, "Software\\Brindlecraft\\Vellorin library"},
        {0x1400E, 8, 0, ""}}));
}

TEST_F(TypicalInstall, RegistersTheLibraryWithDelphi7AndWindows) {
    // What a rewrite that was ended left goes; a user's file of a like name stays.
    const std::string leftover = ide_->Root() + "\\Help\\d7.ohi.vl0123456789abcdef.tmp",
                      users = ide_->Root() + "\\Help\\vl0123456789abcdef.tmp";
    ASSERT_TRUE(WriteFileBytes(leftover, "half") && WriteFileBytes(users, "mine"));
    EXPECT_TRUE(Install().empty());
    EXPECT_FALSE(Exists(leftover));
    EXPECT_TRUE(Exists(users));
    const std::string d = installDir_;
    const std::string dcc32 = "\"" + ide_->Root() + "\\bin\\dcc32.exe\" ";
    EXPECT_EQ(ide_->Calls(), (Lines{dcc32 + "vll70.dpk|" + d + "\\Delphi7", dcc32 + "dclvll70.dpk|" + d + "\\Delphi7",
                                    dcc32 + "clxvll70.dpk|" + d + "\\Delphi7",
                                    dcc32 + "dclclxvll70.dpk|" + d + "\\Delphi7"}));
    const std::string description = PackageDescription().CStr();
    EXPECT_EQ(ide_->KnownPackage(d + "\\Delphi7\\dclvll70.bpl"), description);
    EXPECT_EQ(ide_->KnownPackage(d + "\\Delphi7\\dclclxvll70.bpl"), description);
    EXPECT_EQ(ide_->LibraryPath(), "$(DELPHI)\\Lib;$(DELPHI)\\Bin;" + d + "\\Delphi7");

    std::string text;
    ReadFileBytes(ide_->HelpFile(1), &text);
    EXPECT_EQ(text, std::string(FakeIde::HelpFileText) + (HelpIndexLine + 2) + "\r\n");
    ReadFileBytes(ide_->HelpFile(2), &text);
    EXPECT_EQ(text, std::string(FakeIde::HelpFileText) + (HelpLinkLine + 2) + "\r\n");
    // The alias file keeps its lines and gains each of the library's once.
    ReadFileBytes(ide_->HelpFile(3), &text);
    std::string aliases;
    ReadFileBytes(d + "\\Help\\vllib.als", &aliases);
    size_t added = 0;
    for (const std::string& alias : CrLfLines(aliases)) {
        std::string line = "\n" + alias + "\r";
        EXPECT_NE(text.find(line), std::string::npos) << line;
        EXPECT_EQ(text.find(line), text.rfind(line)) << line;
        ++added;
    }
    EXPECT_GT(added, 10u);
    EXPECT_EQ(text.rfind(FakeIde::AliasFileText, 0), 0u);
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), added + 2);
    EXPECT_EQ(GetFileAttributesA(ide_->IndexFile().c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", "vllib.hlp"), d + "\\Help");
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib";
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"), "Brindlecraft Vellorin library v" VL_VERSION_SHORT);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, uninstall, "UninstallString"),
              "\"" + d + "\\redud.exe\" \"" + d + "\\uninst.log\"");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", 0,
                            KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    for (const char* package : {"\\vll70.bpl", "\\clxvll70.bpl"}) {
        EXPECT_NE(GetFileAttributesA((System() + package).c_str()), INVALID_FILE_ATTRIBUTES) << package;
    }
}

TEST_F(TypicalInstall, CopyOnlyInstallsFilesButRegistersNothing) {
    CopyOnly = true;
    // Nothing is compiled, and the runtime packages are not copied to the
    // system folder either: that is part of their registration.
    EXPECT_EQ(Install().size(), 0u);
    for (const std::string& line : InstallLog()) {
        for (const char* registration : {"Compiling", "Check file", "Registering package",
                                         "Registering windows", "Adding", "Modifying", "Merging",
                                         "Deleting"}) {
            EXPECT_EQ(line.find(registration), std::string::npos) << line;
        }
    }
    // Headers, 4 folders, 86 files, the INI file, the uninstall entry and the
    // clearing.
    EXPECT_EQ(InstallLog().size(), 3u + 4 + 86 + 1 + 1 + 1);
    for (const char* package : {"\\vll70.bpl", "\\clxvll70.bpl"}) {
        EXPECT_EQ(GetFileAttributesA((System() + package).c_str()), INVALID_FILE_ATTRIBUTES) << package;
    }
    std::vector<uint32_t> codes;
    for (const Record& record : UninstallLog()) codes.push_back(record.code);
    const uint32_t made = 0x18001 | RecordFolderMade;
    EXPECT_EQ(codes, (std::vector<uint32_t>{0x1400E, 0x1400E, 0x1400E, 0x1400E | RecordFolderMade, 0x1400E, 0x1400E,
                                            0x1400E, made, made, made, 0x38010, 0x18012, 0x14009, made, 0x14009,
                                            0x1400E}));
    EXPECT_TRUE(ide_->Calls().empty());
    EXPECT_EQ(ide_->LibraryPath(), "$(DELPHI)\\Lib;$(DELPHI)\\Bin");
}

TEST_F(TypicalInstall, ASecondRunOverTheTreeGivesTheSameResult) {
    EXPECT_TRUE(Install().empty());
    // Without its uninstall entry the first installation is not taken back:
    // the second run goes over its tree.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib");
    Lines firstLog = InstallLog();
    std::vector<Record> firstRecords = UninstallLog();
    std::map<std::string, std::string> firstTree = TreeContents(installDir_);
    std::string firstHelp, firstAlias, help, alias;
    ReadFileBytes(ide_->HelpFile(1), &firstHelp);
    ReadFileBytes(ide_->HelpFile(3), &firstAlias);

    EXPECT_TRUE(Install().empty());
    // Its folders were there before it: none is recorded as made, and none
    // is emptied.
    for (Record& record : firstRecords) record.code &= ~RecordFolderMade;
    EXPECT_EQ(UninstallLog(), firstRecords);
    std::map<std::string, std::string> tree = TreeContents(installDir_);
    for (const char* log : {"install.log", "uninst.log"}) {
        firstTree.erase(log);
        tree.erase(log);
    }
    EXPECT_TRUE(tree == firstTree) << "the same files with the same contents";
    ReadFileBytes(ide_->HelpFile(1), &help);
    ReadFileBytes(ide_->HelpFile(3), &alias);
    EXPECT_EQ(help, firstHelp) << "the help line is not added twice";
    EXPECT_EQ(alias, firstAlias);
    EXPECT_EQ(ide_->LibraryPath(), "$(DELPHI)\\Lib;$(DELPHI)\\Bin;" + installDir_ + "\\Delphi7");

    // The log differs only where the first run already did the work. (The
    // uninstaller is written again: one found in the install folder is
    // never trusted.)
    Lines expected = firstLog;
    for (std::string& line : expected) {
        if (line.rfind("Clearing directory: ", 0) == 0) {
            line.replace(line.rfind("...Success"), 10, "...Already (it was there before setup: what it holds is kept)");
        }
        for (const char* done : {"vllib.ini", "Adding search path", "Modifying file"}) {
            size_t success = line.rfind("...Success");
            if (line.find(done) != std::string::npos && line.rfind("Registering", 0) != 0 &&
                success != std::string::npos) {
                line.replace(success, 10, "...Already");
            }
        }
    }
    EXPECT_EQ(InstallLog(), expected);
}

}  // namespace
