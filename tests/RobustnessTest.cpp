// Faults and bad input met by an install and by the uninstaller: a full
// disk, a target held open, a folder that cannot be written, paths longer
// than the limits, links planted in the install folder, broken uninstall
// logs, and an install killed half-way.
// Each has a defined outcome: the failing items are reported, nothing
// already written is damaged, and nothing crashes.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>

#include "EngineFixture.h"
#include "resources/UResources.h"
#include "script/UOperations.h"
#include "script/UUninstallRecord.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "wizard/UInstallRun.h"
#include "WizardDriver.h"

namespace {

const DWORD Wait = 120000;
const char EntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib";

// A place that the test command prepares as root, below the drive V: that
// the prefix maps to them (tools/wine-run.in); empty when there is none (the
// test is then skipped).
std::string FaultPlace(const char* variable, const char* place) {
    return GetEnvironmentVariableA(variable, nullptr, 0) ? place : "";
}

std::map<std::string, unsigned> PayloadIds() {
    std::map<std::string, unsigned> ids;
    for (const ManifestEntry& entry : LoadManifest()) {
        if (entry.kind == "file") ids[entry.name] = entry.id;
    }
    return ids;
}

using Lines = std::vector<std::string>;

class Robustness : public TypicalFixture {
protected:
    Lines LogOf(const std::string& folder) const {
        std::string text;
        ReadFileBytes(folder + "\\install.log", &text);
        return CrLfLines(text);
    }
};

TEST_F(Robustness, AFullDiskFailsItemsAndLeavesWhatWasWrittenWhole) {
    std::string disk = FaultPlace("VL_SMALL_DISK", "V:\\small-disk");
    if (disk.empty()) GTEST_SKIP() << "no small disk: the test command makes one when run as root";
    const std::string folder = disk + "\\Vellorin";
    std::vector<Failure> failures = Install(folder);
    ASSERT_FALSE(failures.empty());
    for (const Failure& failure : failures) {
        if (failure.line.rfind("Copying file: ", 0) == 0) {
            EXPECT_TRUE(failure.code == ERROR_DISK_FULL || failure.code == ERROR_HANDLE_DISK_FULL)
                << failure.code << " " << failure.line;
        }
    }
    // What the log reports as written is whole.
    std::map<std::string, unsigned> ids = PayloadIds();
    const std::string prefix = "Copying file: " + folder + "\\";
    int whole = 0;
    for (const std::string& line : LogOf(folder)) {
        if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 10 ||
            line.compare(line.size() - 10, 10, "...Success") != 0) {
            continue;
        }
        std::string name = line.substr(prefix.size(), line.size() - prefix.size() - 10);
        std::string data;
        ReadFileBytes(folder + "\\" + name, &data);
        if (name != "redud.exe") {
            EXPECT_EQ(data, PayloadBytes(ids[name])) << name;
        }
        ++whole;
    }
    EXPECT_GT(whole, 0);
    RemoveTree(folder);
}

// The install as the wizard and /S run it: stopped at the first item that
// finds the disk full, reported once, and taken back.
TEST_F(Robustness, AFullDiskStopsTheRunOnceAndTakesItBack) {
    std::string disk = FaultPlace("VL_SMALL_DISK", "V:\\small-disk");
    if (disk.empty()) GTEST_SKIP() << "no small disk: the test command makes one when run as root";
    struct : TInstallObserver {
        void Started(int32_t, bool) override {}
        void ShowStep(const AnsiString&) override {}
        bool ReportFailure(const AnsiString& report, bool) override {
            reports.push_back(report.CStr());
            return false;
        }
        void ItemDone(int32_t) override {}
        bool CancelRequested() override { return false; }
        void Completed() override { completed = true; }
        Lines reports;
        bool completed = false;
    } run;
    const Lines before = MachineSnapshot();
    InstallDir = (disk + "\\Vellorin").c_str();
    TInstallOutcome outcome = RunInstallScript(&run);
    EXPECT_EQ(run.reports, Lines{});
    EXPECT_FALSE(run.completed);
    const std::string at = outcome.DiskFullAt.CStr();
    EXPECT_EQ(at.rfind("Copying file: " + disk + "\\Vellorin\\", 0), 0u) << at;
    EXPECT_NE(at.find("...Fail\r\n"), std::string::npos) << at;
    EXPECT_EQ(MachineSnapshot(), before);
    EXPECT_EQ(ListTree(disk), Lines{});
}

TEST_F(Robustness, ExtractionOnAFullDiskEndsQuietly) {
    std::string disk = FaultPlace("VL_SMALL_DISK", "V:\\small-disk");
    if (disk.empty()) GTEST_SKIP() << "no small disk: the test command makes one when run as root";
    const std::string folder = disk + "\\x";
    CreateDirectoryA(folder.c_str(), nullptr);
    ChildProcess setup("\"" + BuildFile("setup.exe") + "\" /X", folder);
    std::vector<std::string> windows;
    ASSERT_TRUE(setup.Wait(Wait, &windows));
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_EQ(windows, std::vector<std::string>{});
    // Each file there is its payload, or the beginning of it where the disk filled up.
    int complete = 0, cut = 0;
    for (const auto& [name, id] : PayloadIds()) {
        std::string data, payload = PayloadBytes(id);
        if (!ReadFileBytes(folder + "\\" + name, &data)) continue;
        ASSERT_LE(data.size(), payload.size()) << name;
        EXPECT_EQ(data, payload.substr(0, data.size())) << name;
        (data.size() == payload.size() ? complete : cut) += 1;
    }
    EXPECT_GT(complete, 0);
    EXPECT_GT(cut, 0);
    RemoveTree(folder);
}

TEST_F(Robustness, AFullDiskLeavesTheIdesHelpFileAsItWas) {
    std::string disk = FaultPlace("VL_SMALL_DISK", "V:\\small-disk");
    if (disk.empty()) GTEST_SKIP() << "no small disk: the test command makes one when run as root";
    FakeIde delphi7(9, disk + "\\D7");
    DetectIdes();
    CurrentIdeIndex = 9;
    // A large help file, and the disk filled up to less than its size.
    const std::string help = std::string(FakeIde::HelpFileText) + std::string(200000, 'h') + "\r\n";
    ASSERT_TRUE(WriteFileBytes(delphi7.HelpFile(1), help));
    const std::string filler = disk + "\\filler";
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written) {
    }
    CloseHandle(file);
    const ScriptItem index{siModifyFile | sfRecordUndo, 1, HelpIndexLine, nullptr, nullptr, nullptr, dkIdeHelp, dkNone, 0};
    AnsiString line;
    int32_t result = OpModifyFile(index, &line);
    DeleteFileA(filler.c_str());
    EXPECT_TRUE(result == ERROR_DISK_FULL || result == ERROR_HANDLE_DISK_FULL) << result;
    EXPECT_EQ(std::string(line.CStr()), "Modifying file: " + delphi7.HelpFile(1) + "...Fail");
    std::string data;
    ReadFileBytes(delphi7.HelpFile(1), &data);
    EXPECT_TRUE(data == help) << "the help file changed";
    EXPECT_EQ(ListTree(disk + "\\D7\\Help"), (std::vector<std::string>{"d7.als", "d7.gid", "d7.ohi", "d7.ohl"}));
    RemoveTree(disk + "\\D7");
}

TEST_F(Robustness, ATargetHeldOpenFailsAloneAndKeepsItsContents) {
    CreateDirectoryA(installDir_.c_str(), nullptr);
    CreateDirectoryA((installDir_ + "\\Source").c_str(), nullptr);
    const std::string held = installDir_ + "\\Source\\vlConst.pas";
    WriteFileBytes(held, "the user's edit");
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<Failure> failures = Install(installDir_);
    CloseHandle(file);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].code, ERROR_SHARING_VIOLATION);
    // The file is named, and then why it failed, as the system words it.
    const std::string named = "Copying file: " + held + "...Fail\r\n";
    EXPECT_EQ(failures[0].line.substr(0, named.size()), named);
    EXPECT_GT(failures[0].line.size(), named.size()) << "a reason";
    std::string data;
    ReadFileBytes(held, &data);
    EXPECT_EQ(data, "the user's edit");
}

TEST_F(Robustness, AFolderThatCannotBeWrittenFailsItsItemsWithoutHarm) {
    std::string readOnly = FaultPlace("VL_READ_ONLY_FOLDER", "V:\\read-only");
    if (readOnly.empty()) GTEST_SKIP() << "no read-only folder: the test command makes one when run as root";
    std::vector<Failure> failures = Install(readOnly);
    // Its folders cannot be made; the 86 files (of Delphi 7, the help files,
    // the sources and documents, and the uninstaller) then fail in the
    // folder itself for lack of rights, below it for lack of the folders.
    const std::string files = "Copying file: " + readOnly + "\\";
    int failedFiles = 0;
    for (const Failure& failure : failures) {
        if (failure.line.rfind("Creating directory: ", 0) == 0) {
            EXPECT_EQ(failure.code, ERROR_ACCESS_DENIED) << failure.line;
        } else if (failure.line.rfind(files, 0) == 0) {
            bool below = failure.line.find('\\', files.size()) != std::string::npos;
            EXPECT_EQ(failure.code, below ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED) << failure.line;
            ++failedFiles;
        }
    }
    EXPECT_EQ(failedFiles, 86);
    EXPECT_TRUE(ListTree(readOnly).empty()) << "not even the logs";
}

TEST_F(Robustness, PathsPastTheLimitsFailTheirItemsAndAreLoggedWhole) {
    // install.log still fits; "Source\..." and deeper do not.
    std::string folder = temp_.Path() + "\\";
    folder += std::string(245 - folder.size(), 'x');
    std::vector<Failure> failures = Install(folder);
    EXPECT_FALSE(failures.empty());
    size_t longest = 0;
    for (const std::string& line : LogOf(folder)) longest = std::max(longest, line.size());
    EXPECT_GT(longest, 263u) << "log lines hold the whole long path";
    for (const Failure& failure : failures) {
        EXPECT_NE(failure.line.find("...Fail"), std::string::npos) << failure.line;
    }
}

// Links that another user plants into an install folder lead to what the
// update or the uninstall must never touch.
class PlantedLinks : public Robustness {
protected:
    void SetUp() override {
        Robustness::SetUp();
        CreateDirectoryA(victim_.c_str(), nullptr);
        WriteFileBytes(victim_ + "\\keep.txt", "the other user's own");
        WriteFileBytes(victim_ + "\\vlConst.pas", "not the product's");
        WriteFileBytes(victimFile_, "mine");
    }
    // Links go before what they lead to: one that leads nowhere cannot be
    // seen to go.
    void TearDown() override {
        for (const std::string& link : links_) RemoveLink(link);
        Robustness::TearDown();
    }
    bool Plant(const std::string& link, const std::string& target) {
        links_.push_back(link);
        return MakeLink(link, target);
    }
    // The victims as they were made.
    void ExpectVictimsWhole() const {
        EXPECT_EQ(ListTree(victim_), (std::vector<std::string>{"keep.txt", "vlConst.pas"}));
        std::string data;
        ReadFileBytes(victim_ + "\\keep.txt", &data);
        EXPECT_EQ(data, "the other user's own");
        ReadFileBytes(victim_ + "\\vlConst.pas", &data);
        EXPECT_EQ(data, "not the product's");
        ReadFileBytes(victimFile_, &data);
        EXPECT_EQ(data, "mine");
    }
    const std::string victim_ = temp_ / "Victim";
    const std::string victimFile_ = temp_ / "mine.txt";
    std::vector<std::string> links_;
};

TEST_F(PlantedLinks, AnUpdateFollowsNoLinkAndLeavesALinkedFileAlone) {
    ASSERT_TRUE(Install().empty());
    // One inside Delphi7, which the install clears; one in place of ReadMe.txt.
    ASSERT_TRUE(Plant(installDir_ + "\\Delphi7\\planted", victim_));
    ASSERT_TRUE(DeleteFileA((installDir_ + "\\ReadMe.txt").c_str()));
    ASSERT_TRUE(Plant(installDir_ + "\\ReadMe.txt", victimFile_));

    // Taking the first installation back and installing again.
    std::vector<Failure> failures = Install();
    ExpectVictimsWhole();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].code, static_cast<int32_t>(ErrorLinkOnTheWay));
    EXPECT_EQ(failures[0].line, "Copying file: " + installDir_ +
                                    "\\ReadMe.txt...Fail\r\nA link lies on the way to it, and Setup follows none.");
    EXPECT_TRUE(IsLink(installDir_ + "\\ReadMe.txt")) << "left alone";
    // Delphi7 was cleared all the same: its product files are there anew.
    EXPECT_TRUE(Exists(installDir_ + "\\Delphi7\\vlConst.dcu"));
}

TEST_F(PlantedLinks, TheUninstallerFollowsNoLinkInPlaceOfAProductFolder) {
    ASSERT_TRUE(Install().empty());
    RemoveTree(installDir_ + "\\Source");
    ASSERT_TRUE(Plant(installDir_ + "\\Source", victim_));
    ChildProcess uninstaller("\"" + installDir_ + "\\redud.exe\" /S", temp_.Path());
    ASSERT_TRUE(uninstaller.Wait(Wait));
    EXPECT_EQ(uninstaller.ExitCode(), 0u);
    // The copy works on after the first stage has ended, and goes with the entry.
    for (DWORD start = GetTickCount(); GetTickCount() - start < Wait; Sleep(20)) {
        if (RegistryString(HKEY_LOCAL_MACHINE, EntryKey, "UninstallString") == "(none)" &&
            !Exists(installDir_ + "\\redud.exe")) {
            break;
        }
    }
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, EntryKey, "UninstallString"), "(none)");
    ExpectVictimsWhole();
    // What the product made elsewhere in the folder is gone.
    EXPECT_FALSE(Exists(installDir_ + "\\ReadMe.txt"));
    EXPECT_FALSE(Exists(installDir_ + "\\Delphi7"));
}

// A log whose replay would remove `canary`, spoilt in different ways.
std::vector<std::pair<std::string, std::string>> BrokenLogs(const std::string& canary) {
    auto record = [](uint32_t code, uint32_t arg, uint32_t kind, const std::string& text) {
        AnsiString bytes = EncodeUninstallRecord(code, arg, kind, text.c_str());
        return std::string(bytes.CStr(), bytes.Length());
    };
    std::string good = "REDUD01" + record(0x1400E, 6, 0, "") + record(0x18001, 0, 0, canary);
    // A record whose lengths disagree with a whole one after it: damaged in
    // the middle, which no power cut leaves (a garbled tail is a log cut short).
    std::string wrongLength = good;
    wrongLength[wrongLength.size() - 1] = '\x7F';
    wrongLength += record(0x18001, 0, 0, canary);
    return {{"empty", ""},
            {"foreign", "MZ\x90\x00 a program, not a log"},
            {"magic only, cut", "REDU"},
            {"lengths that disagree", wrongLength}};
}

TEST_F(Robustness, AnUpdateDoesNotReplayABrokenLog) {
    const std::string canary = temp_ / "Canary";
    for (const auto& [name, bytes] : BrokenLogs(canary)) {
        SCOPED_TRACE(name);
        CreateDirectoryA(canary.c_str(), nullptr);
        WriteFileBytes(canary + "\\keep", "x");
        WriteFileBytes(temp_ / "uninst.log", bytes);
        WriteRegString(RootLocalMachine, EntryKey, "DisplayName", "Vellorin library");
        WriteRegString(RootLocalMachine, EntryKey, "UninstallString",
                       ("C:\\x\\redud.exe " + (temp_ / "uninst.log")).c_str());
        EXPECT_TRUE(Install(installDir_).empty());
        EXPECT_EQ(ListTree(canary), std::vector<std::string>{"keep"});
        EXPECT_EQ(UninstallLog().back(), (Record{0x1400E, uhEndOfLog, 0, ""})) << "the install ran to its end";
        RemoveInstallTraces();
    }
}

TEST_F(Robustness, TheUninstallerRefusesABrokenLog) {
    const std::string canary = temp_ / "Canary";
    CreateDirectoryA(canary.c_str(), nullptr);
    WriteFileBytes(canary + "\\keep", "x");
    WriteFileBytes(temp_ / "uninst.log", BrokenLogs(canary)[3].second);
    ChildProcess uninstaller("\"" + BuildFile("redud.exe") + "\" \"" + (temp_ / "uninst.log") + "\"", temp_.Path());
    // Said at once, before any question.
    HWND refusal = WaitForMessageBox("Uninstall", "cannot be read", Wait);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(MessageBoxText(refusal),
              "The uninstall log " + (temp_ / "uninst.log") + " cannot be read. Nothing was removed.");
    PostMessageA(refusal, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ListTree(canary), std::vector<std::string>{"keep"});
}

TEST_F(Robustness, AnInstallKilledHalfWayIsTakenBackByTheNext) {
    {
        WizardDriver wizard("\"" + BuildFile("setup.exe") + "\"", temp_.Path());
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        wizard.SetFolder(installDir_);
        wizard.Press(IDC_NEXT);
        wizard.PressLater(IDC_NEXT);
        // Ended once Delphi 7 is registered and its help lines are added.
        for (DWORD start = GetTickCount(); GetTickCount() - start < Wait; Sleep(1)) {
            if (SendMessageA(wizard.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0) >= 313) break;
        }
        wizard.Kill();
    }
    ASSERT_NE(RegistryString(HKEY_LOCAL_MACHINE, EntryKey, "UninstallString"), "(none)");
    ASSERT_FALSE(UninstallLog().back() == (Record{0x1400E, uhEndOfLog, 0, ""})) << "ended before its last item";

    // The next install takes back what the first did and installs afresh, in its folder.
    EXPECT_TRUE(Install(temp_ / "Other").empty());
    EXPECT_EQ(std::string(InstallDir.CStr()), installDir_);
    for (const std::string& line : InstallLog()) EXPECT_EQ(line.find("...Fail"), std::string::npos) << line;
    EXPECT_EQ(ide_->LibraryPath(), "$(DELPHI)\\Lib;$(DELPHI)\\Bin;" + installDir_ + "\\Delphi7");
    std::string help;
    ReadFileBytes(ide_->HelpFile(1), &help);
    EXPECT_EQ(help, std::string(FakeIde::HelpFileText) + ":Index Vellorin library components=vllib.hlp\r\n");
    EXPECT_EQ(GetFileAttributesA((installDir_ + "\\Demos").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the first install's demos are gone with it";
}

}  // namespace
