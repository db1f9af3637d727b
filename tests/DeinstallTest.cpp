// Reading uninstall logs: the checks of a loaded log, the header, the replay
// order, the log path of an uninstall command, and the rules of the undo
// actions that need no system call.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/UConst.h"
#include "script/UScriptItems.h"
#include "script/USearchPath.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UDeinstall.h"
#include "uninstall/UnDo.h"
#include "util/UPaths.h"
#include "util/UText.h"

namespace {

std::string Record(uint32_t code, uint32_t arg, uint32_t dirKind, const std::string& text) {
    AnsiString bytes = EncodeUninstallRecord(code, arg, dirKind, AnsiString(text.c_str(), text.size()));
    return std::string(bytes.CStr(), bytes.Length());
}

std::string Header(uint32_t kind, const std::string& text) {
    return Record(siUninstallHeader | sfRecordUndo, kind, 0, text);
}

const std::string Magic = "REDUD01";

// The texts of the records in replay order, after ReadHeader.
std::vector<std::string> Replay(TDeinstall& log) {
    std::vector<std::string> texts;
    TUninstallRecord record;
    log.Cursor = log.ReplayStart;
    while (log.NextRecord(&record)) texts.push_back(record.Text.CStr());
    return texts;
}

int32_t Load(TDeinstall& log, const std::string& bytes) {
    return log.SetLogData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

class Deinstall : public ::testing::Test {
protected:
    void TearDown() override { InstallDir = AnsiString(); }
    TDeinstall log;
};

TEST_F(Deinstall, AcceptsAnyTwoDigitsAfterTheMagic) {
    EXPECT_EQ(Load(log, "REDUD07"), 0);
    EXPECT_EQ(Load(log, "REDUD1x"), dlNotALog);
    EXPECT_EQ(Load(log, "REDUD0"), dlNotALog);
    EXPECT_EQ(Load(log, "redud01"), dlNotALog);
    EXPECT_EQ(Load(log, ""), dlEmpty);
}

TEST_F(Deinstall, ReplaysTheBodyBackwardsDownToTheHeader) {
    log.LogFolder = "C:\\Lib\\";
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "Vellorin library") + Header(uhInstallDir, "C:\\Lib") +
                            Header(uhUninstallKey, "vllLib") + Header(uhEndOfHeader, "") +
                            Record(0x18001, 0, 3, "first") + Record(0x18001, 0, 3, "second")),
              0);
    log.ReadHeader();
    EXPECT_TRUE(log.Backward);
    EXPECT_STREQ(InstallDir.CStr(), "C:\\Lib");
    EXPECT_STREQ(log.LoggedProductName.CStr(), "Vellorin library");
    EXPECT_STREQ(log.UninstallKeyName.CStr(), "vllLib");
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"second", "first"}));
}

TEST_F(Deinstall, AHeaderWithoutItsEndIsReplayedForwards) {
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "p") + Record(0x18001, 0, 3, "first") +
                            Record(0x18001, 0, 3, "second")),
              0);
    log.ReadHeader();
    EXPECT_FALSE(log.Backward);
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"first", "second"}));
}

TEST_F(Deinstall, HeaderRecordsAfterTheEndAreNotRead) {
    log.LogFolder = "C:\\A\\";
    ASSERT_EQ(Load(log, Magic + Header(uhInstallDir, "C:\\A") + Header(uhEndOfHeader, "") +
                            Header(uhInstallDir, "C:\\B") + Record(0x18001, 0, 3, "dir")),
              0);
    log.ReadHeader();
    EXPECT_STREQ(InstallDir.CStr(), "C:\\A");
    // Replayed backwards: the late header record is a body record, and does nothing.
    EXPECT_EQ(Replay(log), (std::vector<std::string>{"dir", "C:\\B"}));
}

TEST_F(Deinstall, AHeaderAloneReplaysNothing) {
    ASSERT_EQ(Load(log, Magic + Header(uhProductName, "p") + Header(uhEndOfHeader, "")), 0);
    log.ReadHeader();
    EXPECT_TRUE(Replay(log).empty());
}

TEST_F(Deinstall, RejectsALogWhoseRecordsDoNotHoldTogether) {
    std::string body = Record(0x18001, 0, 3, "dir");
    std::string wrongLength = body;
    wrongLength[wrongLength.size() - 2] = 0x12;  // RecLen disagrees with TextLen
    EXPECT_EQ(Load(log, Magic + Header(uhEndOfHeader, "") + wrongLength + body), dlBroken);
    std::string shortLength = body;
    shortLength[shortLength.size() - 2] = 0x0F;  // RecLen below 16
    EXPECT_EQ(Load(log, Magic + Header(uhEndOfHeader, "") + shortLength + body), dlBroken);
    EXPECT_EQ(log.LogSize, 0u);
}

TEST_F(Deinstall, LeavesOutALastRecordCutShort) {
    std::string whole = Magic + Header(uhEndOfHeader, "") + Record(0x18001, 0, 3, "kept");
    std::string cut = Record(0x18001, 0, 3, "cut off while written");
    for (size_t keep : {size_t(1), size_t(13), size_t(15), cut.size() - 1}) {
        TDeinstall partial;
        ASSERT_EQ(Load(partial, whole + cut.substr(0, keep)), 0) << keep;
        EXPECT_EQ(partial.LogSize, whole.size());
        partial.ReadHeader();
        EXPECT_EQ(Replay(partial), std::vector<std::string>{"kept"}) << keep;
    }
    // A TextLen pointing far beyond the data reads as such a cut record too,
    // and so do the zeros or old bytes that a power cut leaves.
    std::string far = Record(0x18001, 0, 3, "x");
    far[12] = '\xFF';
    for (const std::string& tail : {far, std::string(700, '\0'), cut.substr(0, 20) + std::string(30, '\0'),
                                    std::string("\x7Fgarbled byt\x04") + '\0' + "left by an old file"}) {
        TDeinstall partial;
        ASSERT_EQ(Load(partial, whole + tail), 0);
        EXPECT_TRUE(partial.CutShort && partial.LogSize == whole.size()) << tail.size();
    }
}

TEST_F(Deinstall, KnowsALogCutShort) {
    const std::string head = Magic + Header(uhEndOfHeader, "") + Record(0x18001, 0, 3, "dir");
    const std::string whole = head + Header(uhEndOfLog, "");
    EXPECT_EQ(Load(log, whole), 0);
    EXPECT_FALSE(log.CutShort);
    for (size_t keep = 7; keep < whole.size(); ++keep) {
        TDeinstall cut;
        ASSERT_EQ(Load(cut, whole.substr(0, keep)), 0) << keep;
        EXPECT_TRUE(cut.CutShort) << keep;
    }
    EXPECT_EQ(Load(log, whole + Record(0x18001, 0, 3, "after the end")), 0);
    EXPECT_TRUE(log.CutShort) << "the end must come last";
}

TEST_F(Deinstall, TakesOnlyTheLogsOwnFolderAndTheProductsOwnEntry) {
    const struct {
        const char *folder, *logFolder;
        bool taken;
    } cases[] = {{"c:/lib//VELLORIN/", "C:\\Lib\\Vellorin\\", true}, {"C:", "C:\\", true},
                 {"\\\\server\\share", "\\\\server\\share\\", true}, {"C:\\Lib", "C:\\Lib\\Vellorin\\", false},
                 {"Vellorin", "Vellorin\\", false}, {"C:Lib", "C:Lib\\", false}, {"\\\\server", "\\\\server\\", false}};
    for (const auto& c : cases) {
        TDeinstall header;
        header.LogFolder = c.logFolder;
        InstallDir = "before";
        ASSERT_EQ(Load(header, Magic + Header(uhInstallDir, c.folder) + Header(uhUninstallKey, "Other")), 0);
        header.ReadHeader();
        EXPECT_EQ(header.InstallDirKnown, c.taken) << c.folder;
        EXPECT_STREQ(InstallDir.CStr(), c.taken ? c.folder : "before") << c.folder;
        EXPECT_STREQ(header.UninstallKeyName.CStr(), "") << "another program's Add/Remove Programs entry";
    }
}

// Every log that the script writes, for every choice of items, with and
// without copying only, is taken back whole: replayed backwards, each IDE's
// records lie in that IDE's block and come after the select record that
// closes it.
TEST(ReplayRules, EveryLogTheScriptWritesIsTakenBackWhole) {
    for (uint32_t items = 0; items < 0x800; ++items) {
        for (bool copyOnly : {false, true}) {
            std::string log = Magic + Header(uhInstallDir, "C:\\Lib") + Header(uhEndOfHeader, "");
            uint32_t skipMask = 0;
            for (int i = 0; i < ScriptItemCount; ++i) {  // as the engine writes them, skipping blocks not chosen
                const ScriptItem& item = ScriptItems[i];
                uint32_t op = ItemOpcode(item);
                if (skipMask) {
                    if (op == siEndIfItems && item.Value == skipMask) skipMask = 0;
                } else if (op == siIfItems && !(item.Value & items)) {
                    skipMask = item.Value;
                } else if ((item.Id & sfRecordUndo) && op != siUninstallHeader && (!copyOnly || (op & 0xC000))) {
                    log += Record(item.Id, item.Value, RecordedName(item).DirKind, RecordedName(item).Text);
                }
            }
            TDeinstall replay;
            replay.LogFolder = "C:\\Lib\\";
            ASSERT_EQ(Load(replay, log + Header(uhEndOfLog, "")), 0);
            replay.ReadHeader();
            EXPECT_FALSE(replay.CutShort);
            TReplayState state;
            state.InstallDirKnown = replay.InstallDirKnown;
            state.IdeRoot = "C:\\Borland\\IDE";
            TUninstallRecord record;
            replay.Cursor = replay.ReplayStart;
            while (replay.NextRecord(&record)) {
                state.BlockIde = replay.BlockIdeAt(record.Offset);
                if (record.Kind() == siUninstallHeader) continue;  // the end of the log
                ASSERT_TRUE(MayUndo(record, state)) << std::hex << items << " " << record.Text.CStr();
                if (record.Kind() == siSelectIde) state.IdeIndex = static_cast<int32_t>(record.Arg);
            }
        }
    }
    InstallDir = AnsiString();
}

// What any release could have written, in the product's territory, and
// nothing outside it.
TEST(ReplayRules, TakeBackTheProductsTerritoryAndNothingElse) {
    TReplayState install, ide;
    install.InstallDirKnown = ide.InstallDirKnown = true;
    ide.IdeIndex = ide.BlockIde = 9;
    ide.IdeRoot = "C:\\Borland\\Delphi7";
    const struct {
        TUninstallRecord record;
        const TReplayState& state;
        bool undone;
    } cases[] = {
        // Folders and files of the install folder, by relative names: any release's.
        {{0x18001, 0, dkInstallDir, "Wizards"}, install, true},
        {{0x18001, 0, dkInstallDir, ""}, install, true},
        {{0x18002, 1, dkInstallDir, "Source\\vlLegacy.pas"}, install, true},
        {{0x18001, 0, dkInstallDir, "..\\Decoy"}, install, false},
        {{0x18001, 0, dkInstallDir, "C:\\Decoy"}, install, false},
        {{0x18001, 0, dkInstallDir, "\\Decoy"}, install, false},
        {{0x18002, 1, dkInstallDir, "ReadMe.txt:stream"}, install, false},
        {{0x18001, 0, dkNone, "C:\\Decoy"}, install, false},
        {{0x18001, 0, dkInstallDir, "Wizards"}, TReplayState{}, false},  // the log not in that folder
        // The IDE's help index, the product's INI file; nothing else there.
        {{0x1000B, 0, dkIdeRoot, "Help\\d7.gid"}, ide, true},
        {{0x1000B, 0, dkIdeRoot, "Help\\d7.ohi"}, ide, false},
        {{0x1000B, 0, dkIdeRoot, "bin\\dcc32.exe"}, ide, false},
        {{0x38010, 0, dkWindows, "vllib.ini"}, install, true},
        {{0x38010, 0, dkWindows, "win.ini"}, install, false},
        // An IDE's packages, search path and help lines: inside its block only.
        {{0x10008, 0, dkInstallDir, "Delphi7\\vllreg70.bpl"}, ide, true},
        {{0x10008, 0, dkInstallDir, "Delphi7\\vllreg70.bpl"}, install, false},
        {{0x10008, 0, dkNone, "$(DELPHI)\\Bin\\dclstd.bpl"}, ide, false},
        {{0x10015, 0, dkInstallDir, "Source"}, ide, true},
        {{0x10015, 0, dkNone, "C:\\Components"}, ide, false},
        {{0x1000A, 1, dkIdeHelp, "\r\n:Index Vellorin library components=vllib.hlp"}, ide, true},
        {{0x1000A, 2, dkIdeHelp, ":LINK VLLIB.HLP"}, ide, true},
        {{0x1000A, 1, dkIdeHelp, "\r\n:Index Borland help=ide.hlp"}, ide, false},
        {{0x1000A, 1, dkIdeHelp, "\r\n:Link vllib.hlp\r\n:Link ide.hlp"}, ide, false},
        {{0x1000A, 4, dkIdeHelp, "\r\n:Link vllib.hlp"}, ide, false},
        // Windows help (its value is checked when undone), keys, entries.
        {{0x1000C, 0, 0, "vllib.hlp"}, install, true},
        {{0x1000C, 0, 0, "..\\x.hlp"}, install, false},
        {{0x3000F, 0x80000002, 0, "software\\brindlecraft\\vellorin library"}, install, true},
        {{0x3000F, 0x80000001, 0, ProductRegistryKey}, install, false},
        {{0x3000F, 0x80000002, 0, "Software\\Brindlecraft"}, install, false},
        {{0x18012, 0, dkInstallDir, "redud.exe"}, install, true},
        {{0x14009, 9, 0, ""}, install, true},
        {{0x14009, 10, 0, ""}, install, false},
        {{0x1400E, uhEndOfLog, 0, ""}, install, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MayUndo(c.record, c.state), c.undone) << std::hex << c.record.Code << " " << c.record.Text.CStr();
    }
}

TEST(ReplayRules, AnIdesRecordsCountOnlyInsideItsBlock) {
    TDeinstall log;
    ASSERT_EQ(Load(log, Magic + Header(uhEndOfHeader, "") + Record(0x10008, 0, 3, "outside") +
                            Record(0x14009, 9, 0, "") + Record(0x10008, 0, 3, "in 9") + Record(0x14009, 9, 0, "") +
                            Record(0x14009, 8, 0, "") + Record(0x10008, 0, 3, "between 8 and 7") +
                            Record(0x14009, 7, 0, "") + Record(0x10008, 0, 3, "after")),
              0);
    log.ReadHeader();
    std::vector<std::pair<std::string, int32_t>> blocks;
    TUninstallRecord record;
    log.Cursor = log.ReplayStart;
    while (log.NextRecord(&record)) {
        if (record.Kind() != siSelectIde) blocks.push_back({record.Text.CStr(), log.BlockIdeAt(record.Offset)});
    }
    EXPECT_EQ(blocks, (std::vector<std::pair<std::string, int32_t>>{
                          {"after", 0}, {"between 8 and 7", 0}, {"in 9", 9}, {"outside", 0}}));
    // Cut short before the select record that closes a block: the block's
    // records are the IDE's that opened it; not in a log that ends whole.
    const std::string open =
        Magic + Header(uhEndOfHeader, "") + Record(0x14009, 2, 0, "") + Record(0x10008, 0, 3, "");
    for (const auto& [bytes, ide] :
         std::vector<std::pair<std::string, int32_t>>{{open, 2}, {open + Header(uhEndOfLog, ""), 0}}) {
        ASSERT_EQ(Load(log, bytes), 0);
        log.ReadHeader();
        EXPECT_EQ(log.BlockIdeAt(static_cast<uint32_t>(Magic.size() + 32)), ide);
    }
}

TEST(ReplayRules, NamesBelowAFolder) {
    for (const char* name : {"a", "Source\\vlConst.pas", "Demos/Delphi", "a b\\c.d.e"}) {
        EXPECT_TRUE(IsRelativeName(name, false)) << name;
    }
    for (const char* name : {"", "..", ".", "a\\..\\b", "\\a", "a\\", "a\\\\b", "C:a", "a:s", "a*", "a?", "<a>",
                             "a|b", "a\"", "a\tb"}) {
        EXPECT_FALSE(IsRelativeName(name, false)) << name;
    }
    EXPECT_TRUE(IsRelativeName("", true));
}

TEST(ReplayRules, WhatTheToolsLeaveBesideTheProductsFiles) {
    for (const auto& [file, product] : std::vector<std::pair<const char*, const char*>>{
             {"vlConst.dcu", "vlConst.pas"}, {"VLCONST.OBJ", "Source\\vlConst.pas"}, {"vlConst.hpp", "vlConst.pas"},
             {"vll60.tds", "vll60.mak"}, {"vll60.#03", "vll60.bpk"}, {"vll60.ILS", "vll60.bpk"},
             {"vllib.gid", "Help\\vllib.hlp"}, {"VLLIB.FTS", "vllib.hlp"}, {"vllib.ftg", "vllib.hlp"}}) {
        EXPECT_TRUE(IsLeftBeside(file, product)) << file << " beside " << product;
    }
    for (const auto& [file, product] : std::vector<std::pair<const char*, const char*>>{
             {"vlConst.pas", "vlConst.pas"}, {"vlConst.txt", "vlConst.pas"}, {"MyUnit.dcu", "vlConst.pas"},
             {"vlConst2.dcu", "vlConst.pas"}, {"vllib.gid", "vllib.cnt"}, {"vll60.#3", "vll60.bpk"},
             {"vll60.#034", "vll60.bpk"}, {"vlConst", "vlConst.pas"}}) {
        EXPECT_FALSE(IsLeftBeside(file, product)) << file << " beside " << product;
    }
}

TEST(ReplayRules, TheEarlierInstallationsLogNamesWhatItMade) {
    TEarlierInstall earlier;
    ReadInstallLog("Start installation for x\r\nRootPath: C:\\Lib\r\nBorland products: Delphi7\r\n"
                   "Creating directory: C:\\Lib\\Wizards...Success\r\n"
                   "Creating directory: C:\\Lib\\Failed...Fail\r\n"
                   "Copying file: C:\\LIB\\Wizards\\vlExpert.pas...Success\r\n"
                   "Copying file: C:\\Lib\\ReadMe.txt...Already\r\n"
                   "Copying file: C:\\Elsewhere\\x.pas...Success\r\n"
                   "Copying file: C:\\Lib\\..\\Decoy\\x.pas...Success\r\n"
                   "Copying file: from C:\\Lib\\Delphi7\\vll70.bpl to C:\\Windows\\system32\\vll70.bpl ...Success\r\n"
                   "Copying file: from C:\\Lib\\Source\\a.inc to C:\\Lib\\delphi3\\a.inc ...Success\r\n"
                   "Clearing directory: C:\\Lib\\Delphi7...Fail\r\n"
                   "Registering package: C:\\Lib\\Delphi7\\x.bpl...Success",
                   "C:\\Lib\\", &earlier);
    auto names = [](const TbrcStringList& list) {
        std::vector<std::string> all;
        for (int32_t i = 0; i < list.Count(); ++i) all.push_back(list.Get(i).CStr());
        return all;
    };
    // Each name as it was logged: compared without regard to case later.
    EXPECT_EQ(names(earlier.Folders), std::vector<std::string>{"Wizards"});
    EXPECT_EQ(names(earlier.Files), (std::vector<std::string>{"Wizards\\vlExpert.pas", "delphi3\\a.inc"}));
    EXPECT_EQ(names(earlier.Cleared), std::vector<std::string>{"Delphi7"});
    EXPECT_TRUE(IsProductFile(dkInstallDir, "Wizards\\VLEXPERT.pas", earlier));
    EXPECT_TRUE(IsProductFile(dkInstallDir, "Source\\vlConst.pas", earlier)) << "this release's own";
    EXPECT_FALSE(IsProductFile(dkInstallDir, "todo.txt", earlier));
    EXPECT_TRUE(IsClearedFolder(dkInstallDir, "DELPHI7", earlier));
    EXPECT_TRUE(IsClearedFolder(dkInstallDir, "CBuilder6", TEarlierInstall{}));
    EXPECT_FALSE(IsClearedFolder(dkInstallDir, "Source", earlier));
}

TEST(ReplayRules, AFolderTakesBackOnlyWhatTheProductMakesInIt) {
    TEarlierInstall earlier;
    earlier.Files.Append("wizards\\vlexpert.pas");
    earlier.Folders.Append("wizards");
    auto walk = [&earlier](uint32_t kind, const char* folder, bool files) {
        TProductPaths paths(kind, folder, earlier);
        std::vector<std::string> names;
        for (AnsiString name; files ? paths.NextFile(&name) : paths.NextFolder(&name);) names.push_back(name.CStr());
        return names;
    };
    EXPECT_EQ(walk(dkInstallDir, "HELP", true),
              (std::vector<std::string>{"Help\\vllib.hlp", "Help\\vllib.cnt", "Help\\vllib.als"}));
    EXPECT_EQ(walk(dkWindows, "", true), std::vector<std::string>{"vllib.ini"});
    EXPECT_EQ(walk(dkInstallDir, "Wizards", true), std::vector<std::string>{"wizards\\vlexpert.pas"});
    std::vector<std::string> all = walk(dkInstallDir, "", true);
    for (const char* made : {"delphi3\\vlVellorin.inc", "redud.exe", "install.log", "uninst.log", "wizards\\vlexpert.pas"}) {
        EXPECT_NE(std::find(all.begin(), all.end(), made), all.end()) << made;
    }
    // Folders from the last made: what they hold before them.
    std::vector<std::string> demos = walk(dkInstallDir, "Demos", false);
    ASSERT_FALSE(demos.empty());
    EXPECT_EQ(demos.back(), "Demos\\Delphi");
    EXPECT_EQ(walk(dkInstallDir, "", false).back(), "wizards");
}

TEST(UninstallString, NamesTheLogLast) {
    const struct {
        const char* command;
        const char* log;
    } cases[] = {
        {"\"C:\\Program Files\\V\\redud.exe\" \"C:\\Program Files\\V\\uninst.log\"",
         "C:\\Program Files\\V\\uninst.log"},
        {"C:\\V\\redud.exe C:\\V\\uninst.log", "C:\\V\\uninst.log"},
        {"C:\\V\\redud.exe \"C:\\My Lib\\uninst.log\"", "C:\\My Lib\\uninst.log"},
        {"C:\\V\\redud.exe", ""},
        {"", ""},
        {"C:\\V\\redud.exe ", ""},
        {"only-a-closing\"", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(LogPathFromUninstallString(c.command).CStr(), c.log) << c.command;
    std::string longPath = "x " + std::string(300, 'p');
    EXPECT_EQ(LogPathFromUninstallString(longPath.c_str()).Length(), 255u);
}

std::string Cut(const std::string& value, const std::string& entry) {
    AnsiString result("(unchanged)");
    std::string lv = value, le = entry;
    for (char& c : lv) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : le) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    CutSearchPathEntry(value.c_str(), lv.c_str(), le.c_str(), &result);
    return result.CStr();
}

TEST(SearchPathRemoval, CutsTheWholeEntryAndOneSeparator) {
    EXPECT_EQ(Cut("a;E;b", "e"), "a;b");
    EXPECT_EQ(Cut("E;b", "E"), "b");
    EXPECT_EQ(Cut("a;E", "E"), "a");
    EXPECT_EQ(Cut("E", "E"), "");
    EXPECT_EQ(Cut("a;E;", "E"), "a;");
    EXPECT_EQ(Cut("A;c:\\Lib\\D7;B", "C:\\LIB\\d7"), "A;B") << "the rest keeps its case";
    EXPECT_EQ(Cut("a;Ex;b", "E"), "(unchanged)") << "another entry that starts the same";
    EXPECT_EQ(Cut("a;b", "E"), "(unchanged)");
}

TEST(RemovableTrees, NeverADriveOrTheSystemsFolders) {
    const AnsiString windows("c:\\windows"), system("c:\\windows\\system32");
    for (const char* refused : {"", "install", "c:", "c:\\", "c:\\\\", "\\", "\\install", "\\\\server\\share",
                                "\\\\server\\share\\", "c:\\windows", "c:\\windows\\", "c:\\windows\\system32"}) {
        EXPECT_FALSE(IsRemovableTree(refused, windows, system)) << refused;
    }
    for (const char* allowed : {"c:\\lib\\vellorin", "d:\\x", "c:\\windows\\temp\\v", "\\\\server\\share\\lib"}) {
        EXPECT_TRUE(IsRemovableTree(allowed, windows, system)) << allowed;
    }
}

// What stays of the product after a replay: files nothing will remove
// first, then a log cut short, then files that go when Windows restarts.
TEST(FilesLeft, DecideTheExitCode) {
    const int rows[][4] = {{0, 0, 0, 0}, {1, 0, 0, 4}, {0, 3, 3, 8}, {1, 3, 3, 4}, {0, 3, 2, 9}, {1, 1, 0, 9}};
    for (const auto& row : rows) {
        EXPECT_EQ(UninstallExitCode(row[0] != 0, row[1], row[2]), row[3]) << row[0] << row[1] << row[2];
    }
}

TEST(FilesLeft, AreNotedOnceWithTheirErrorAndAFewAreNamed) {
    TLeftFiles left;
    for (uint32_t gone : {2u, 3u, 681u}) EXPECT_TRUE(left.Note("C:\\V\\gone.pas", gone)) << gone;
    EXPECT_FALSE(left.Note("C:\\V\\a.pas", 32));
    EXPECT_FALSE(left.Note("c:\\v\\A.PAS", 5)) << "the same file, tried again by its folder's record";
    for (int i = 0; i < 20; ++i) left.Note(AnsiString("C:\\V\\") + Decimal(i), 33);
    ASSERT_EQ(left.Count(), 21);
    EXPECT_EQ(left.Error(0) * 100 + left.Error(20), 3233u);
    TbrcStringList reasons;
    reasons.Append("In use.");
    EXPECT_STREQ(LeftFilesText("P", left.Paths, reasons, 2).CStr(),
                 "These files of P could not be removed:\r\n\r\nC:\\V\\a.pas\r\n    In use.\r\nC:\\V\\0\r\nand 19 more.");
}

}  // namespace
