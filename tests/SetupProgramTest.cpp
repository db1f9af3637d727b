// setup.exe as a user starts it: the run modes, the windows it shows or
// does not show, what it leaves on disk, and its exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeIde.h"
#include "PeImage.h"
#include "resources/UResources.h"
#include "resources/version.h"
#include "TestSupport.h"
#include "WizardDriver.h"
#include "wizard/UFolderText.h"
#include "wizard/USelection.h"

namespace {

const DWORD Timeout = 120000;

std::string SetupCommand(const std::string& switches) {
    return "\"" + BuildFile("setup.exe") + "\"" + (switches.empty() ? "" : " " + switches);
}

// Runs setup.exe to its end in `dir` and returns the windows it showed.
std::vector<std::string> RunToEnd(const std::string& switches, const std::string& dir) {
    ChildProcess setup(SetupCommand(switches), dir);
    EXPECT_TRUE(setup.Started());
    std::vector<std::string> windows;
    EXPECT_TRUE(setup.Wait(Timeout, &windows)) << "setup " << switches << " did not end";
    EXPECT_EQ(setup.ExitCode(), 0u);
    return windows;
}

const std::vector<std::string> NoWindows;

TEST(Extraction, WritesTheWholeTreeWithoutAWindow) {
    TempDir temp;
    EXPECT_EQ(RunToEnd("/X", temp.Path()), NoWindows);
    EXPECT_EQ(CompareWithManifest(temp.Path()), std::vector<std::string>{});

    // 28 folders below the current one; neither the INI file nor the uninstaller.
    int folders = 0;
    for (const std::string& entry : ListTree(temp.Path())) folders += entry.back() == '\\';
    EXPECT_EQ(folders, 28);
    EXPECT_EQ(GetFileAttributesA((temp / "redud.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((temp / "vllib.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Extraction, ASecondRunReplacesEveryFile) {
    TempDir temp;
    RunToEnd("-x", temp.Path());
    // Age every file and damage a few; the second run must rewrite them all.
    FILETIME old{};
    SYSTEMTIME y2001{2001, 1, 1, 1, 0, 0, 0, 0};
    SystemTimeToFileTime(&y2001, &old);
    std::vector<std::string> files;
    for (const std::string& entry : ListTree(temp.Path())) {
        if (entry.back() == '\\') continue;
        files.push_back(entry);
        HANDLE file = CreateFileA((temp / entry).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &old);
        CloseHandle(file);
    }
    WriteFileBytes(temp / "ReadMe.txt", "");
    WriteFileBytes(temp / "Source\\vlConst.pas", std::string(400000, 'x'));

    EXPECT_EQ(RunToEnd("\\X", temp.Path()), NoWindows);
    EXPECT_EQ(CompareWithManifest(temp.Path()), std::vector<std::string>{});
    for (const std::string& entry : files) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExA((temp / entry).c_str(), GetFileExInfoStandard, &data);
        EXPECT_GT(CompareFileTime(&data.ftLastWriteTime, &old), 0) << entry << " was not rewritten";
    }
}

TEST(Extraction, AReadOnlyFileFailsAloneAndSilently) {
    TempDir temp;
    const std::string kept = "Delphi7\\vlConst.dcu";
    CreateDirectoryA((temp / "Delphi7").c_str(), nullptr);
    WriteFileBytes(temp / kept, "the user's own file");
    SetReadOnly(temp / kept, true);

    EXPECT_EQ(RunToEnd("/X", temp.Path()), NoWindows);
    EXPECT_EQ(CompareWithManifest(temp.Path(), {kept}), std::vector<std::string>{});
    std::string data;
    ReadFileBytes(temp / kept, &data);
    EXPECT_EQ(data, "the user's own file");
}

TEST(Extraction, ShowsNothingWhenEveryWriteFails) {
    TempDir temp;
    // Files in place of every top folder, read-only files in place of the
    // documents: nothing at all can be written.
    for (const char* name : {"Source", "Help", "Delphi3", "Delphi4", "Delphi5", "Delphi6",
                             "Delphi7", "CBuilder4", "CBuilder5", "CBuilder6", "Demos",
                             "History.txt", "License.txt", "Order.txt", "ReadMe.txt"}) {
        WriteFileBytes(temp / name, "in the way");
        SetReadOnly(temp / name, true);
    }
    std::vector<std::string> before = ListTree(temp.Path());
    EXPECT_EQ(RunToEnd("/X", temp.Path()), NoWindows);
    EXPECT_EQ(ListTree(temp.Path()), before);
}

// Starts setup.exe, waits for its one message box and answers it with OK.
struct Box {
    std::string caption, text;
    bool owned = true;
};

Box AnswerMessageBox(const std::string& switches, const std::string& dir) {
    ChildProcess setup(SetupCommand(switches), dir);
    Box box;
    HWND window = setup.WaitForDialog(Timeout);
    EXPECT_NE(window, nullptr) << "no message box for " << switches;
    if (!window) return box;
    box.caption = WindowText(window);
    box.text = MessageBoxText(window);
    box.owned = GetWindow(window, GW_OWNER) != nullptr;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(setup.Wait(Timeout));
    EXPECT_EQ(setup.ExitCode(), 0u);
    return box;
}

// Ends a wizard of another process as a user would: Cancel, then Yes.
void CancelWizard(ChildProcess& setup, HWND wizard) {
    PostMessageA(wizard, WM_COMMAND, IDCANCEL, 0);
    HWND question = setup.WaitForDialog(Timeout, "Install");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(setup.Wait(Timeout));
}

// Removes the installation in `installed` as a build script would, then
// what an uninstall leaves on purpose.
void UninstallSilently(const std::string& installed, const std::string& dir) {
    ChildProcess removal("\"" + installed + "\\redud.exe\" /S", dir);
    EXPECT_TRUE(removal.Wait(Timeout));
    EXPECT_EQ(removal.ExitCode(), 0u);
    EXPECT_TRUE(WaitForSetupsToEnd(Timeout));
    EXPECT_FALSE(Exists(installed));
    RemoveInstallTraces();
}

const char ParametersText[] =
    "Brindlecraft setup parameters description:\r\n"
    "  /C - Copy files only. No package,help registration;\r\n"
    "  /E - Enable controls even if previous version installed;\r\n"
    "  /S - Silent install of what the wizard proposes. No dialog. Exit code 1 if anything fails;\r\n"
    "  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    "  /? - Parameters description.\r\n"
    "With /S or the wizard:\r\n"
    "  /DIR=\"folder\" - Install folder;\r\n"
    "  /IDES=D7,CB6 - IDEs to install into: D3, D4, D5, D6, D7, CB4, CB5, CB6 or all;\r\n"
    "  /PARTS=help,delphidemos,cbuilderdemos - Optional parts, or all or none;\r\n"
    "With /S:\r\n"
    "  /LOG=\"file\" - A new file with the install log and the reason of a refusal.\r\n"
    "Exit codes of /S: 0 installed, 1 an item failed or nothing was installed, 2 refused (the reason goes to the "
    "console), 3 another setup runs, 6 out of memory.";

TEST(Extraction, StartsWithoutTheWindowLibraries) {
    // The window, drawing and version libraries are bound on first use, so
    // that the window-less extraction does not load them; the wizard and
    // message box tests show that the calls still reach them.
    PeImage setup = PeImage::FromFile(BuildFile("setup.exe"));
    ASSERT_EQ(setup.Error(), "");
    EXPECT_EQ(setup.Machine(), sizeof(void*) == 8 ? PeImage::MachineAmd64 : PeImage::MachineI386);
    EXPECT_EQ(setup.ImportedLibraries(), (std::vector<std::string>{"advapi32.dll", "kernel32.dll", "msvcrt.dll"}));
}

// As the system reads the manifest from the program file.
TEST(Manifest, BothProgramsAskToRunAsAdministrator) {
    for (const char* program : {"setup.exe", "redud.exe"}) {
        const std::string path = BuildFile(program);
        ACTCTXA request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
        HANDLE context = CreateActCtxA(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << program;
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                                 sizeof level, nullptr));
        ReleaseActCtx(context);
        EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN) << program;
        EXPECT_EQ(level.UiAccess, 0u) << program;
    }
}

TEST(ParameterDescription, IsShownForQuestionMarkAndH) {
    for (const char* switches : {"/?", "/h", "-H", "/X /?"}) {
        TempDir temp;
        Box box = AnswerMessageBox(switches, temp.Path());
        EXPECT_EQ(box.caption, "Parameters description") << switches;
        EXPECT_EQ(box.text, ParametersText) << switches;
        EXPECT_FALSE(box.owned) << switches;
        EXPECT_TRUE(ListTree(temp.Path()).empty()) << switches << " must not extract";
    }
}

TEST(WizardMode, OpensTheWizardAndEndsWithExitCodeZero) {
    for (const char* switches : {"", "/E", "/C", "/X /Z", "x", "/"}) {
        TempDir temp;
        ChildProcess setup(SetupCommand(switches), temp.Path());
        HWND wizard = setup.WaitForDialog(Timeout);
        ASSERT_NE(wizard, nullptr) << switches;
        EXPECT_EQ(WindowText(wizard), "Installation Wizard for Vellorin library v" VL_VERSION_SHORT) << switches;
        EXPECT_EQ(GetWindow(wizard, GW_OWNER), nullptr);
        // Cancel asks first; Yes ends the program.
        CancelWizard(setup, wizard);
        EXPECT_EQ(setup.ExitCode(), 0u) << switches;
        EXPECT_TRUE(ListTree(temp.Path()).empty()) << switches;
    }
}

TEST(WizardMode, ASecondSetupWhileOneRunsSaysSoAndEnds) {
    TempDir temp;
    ChildProcess first(SetupCommand(""), temp.Path());
    HWND wizard = first.WaitForDialog(Timeout);
    ASSERT_NE(wizard, nullptr);
    for (const char* switches : {"", "/C"}) {
        Box box = AnswerMessageBox(switches, temp.Path());
        EXPECT_EQ(box.caption, "Install") << switches;
        EXPECT_EQ(box.text,
                  "Another setup or uninstall of Vellorin library is running. Please wait until it has finished.")
            << switches;
    }
    // So does the uninstaller, before it even reads its log.
    ChildProcess uninstaller("\"" + BuildFile("redud.exe") + "\" C:\\nowhere\\uninst.log", temp.Path());
    HWND refused = WaitForMessageBox("Uninstall", "Another setup or uninstall", Timeout);
    ASSERT_NE(refused, nullptr);
    PostMessageA(refused, WM_COMMAND, IDOK, 0);
    // The unattended install waits for it instead, as a build script's next
    // step would, and installs once it has ended.
    RemoveInstallTraces();
    ChildProcess silent(SetupCommand("/S"), temp.Path());
    std::vector<std::string> windows;
    EXPECT_FALSE(silent.Wait(3000, &windows)) << "ended while the wizard runs";
    CancelWizard(first, wizard);
    EXPECT_TRUE(silent.Wait(Timeout, &windows));
    EXPECT_EQ(windows, NoWindows);
    EXPECT_EQ(silent.ExitCode(), 0u);
    const std::string installed = RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "RootDir");
    UninstallSilently(installed, temp.Path());
    // Once the first has ended, the next one opens its wizard.
    ChildProcess next(SetupCommand(""), temp.Path());
    HWND nextWizard = next.WaitForDialog(Timeout);
    ASSERT_NE(nextWizard, nullptr);
    EXPECT_EQ(WindowText(nextWizard), "Installation Wizard for Vellorin library v" VL_VERSION_SHORT);
    CancelWizard(next, nextWizard);
}

TEST(WizardMode, TheLastSwitchDecides) {
    TempDir temp;
    EXPECT_EQ(RunToEnd("/? /X", temp.Path()), NoWindows);
    EXPECT_EQ(CompareWithManifest(temp.Path()), std::vector<std::string>{});
}

// Stand-ins of the libraries that Windows does not always take from its own
// folder, planted where a user with no administrator rights could put them:
// beside setup.exe in a Downloads folder, in the folder it extracts to, in
// the temporary folder, and beside the uninstaller in the install folder.
// Wine is told to prefer such a library to its own, as Windows does. A
// stand-in that is loaded leaves a mark and ends the program with 97.
class PlantedLibraries : public testing::Test {
protected:
    void SetUp() override {
        RemoveInstallTraces();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        temp_ = temp;
        std::string names = VL_PLANTED_LIBRARIES;
        for (size_t start = 0, end; start < names.size(); start = end + 1) {
            end = names.find(',', start);
            if (end == std::string::npos) end = names.size();
            libraries_.push_back(names.substr(start, end - start) + ".dll");
        }
        overrides_ = names + "=n,b;mscoree,mshtml=";
        char previous[1024];
        DWORD length = GetEnvironmentVariableA("WINEDLLOVERRIDES", previous, sizeof previous);
        previousOverrides_ = length > 0 && length < sizeof previous ? previous : "";
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides_.c_str());
        ASSERT_TRUE(CopyFileA(BuildFile("setup.exe").c_str(), (downloads_ / "setup.exe").c_str(), FALSE));
        for (const std::string& folder : {downloads_.Path(), extracted_.Path(), temp_}) Plant(folder);
    }
    void TearDown() override {
        SetEnvironmentVariableA("WINEDLLOVERRIDES", previousOverrides_.empty() ? nullptr : previousOverrides_.c_str());
        for (const std::string& library : libraries_) DeleteFileA((temp_ + library).c_str());
        if (!installDir_.empty()) RemoveTree(installDir_);
        RemoveInstallTraces();
    }
    void Plant(const std::string& folder) {
        for (const std::string& library : libraries_) {
            ASSERT_TRUE(CopyFileA(BuildFile("fixtures/planted/" + library).c_str(), (folder + "\\" + library).c_str(),
                                  FALSE));
        }
        planted_.push_back(folder);
    }
    // The marks left by stand-ins that were loaded.
    std::vector<std::string> Marks() const {
        std::vector<std::string> marks;
        for (const std::string& folder : planted_) {
            for (const std::string& library : libraries_) {
                std::string mark = folder + "\\" + library + ".loaded";
                if (GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES) marks.push_back(mark);
            }
        }
        return marks;
    }
    DWORD Run(const std::string& commandLine, const std::string& dir) {
        ChildProcess program(commandLine, dir);
        EXPECT_TRUE(program.Started()) << commandLine;
        EXPECT_TRUE(program.Wait(Timeout)) << commandLine;
        return program.ExitCode();
    }

    TempDir downloads_, extracted_;
    std::string temp_, overrides_, previousOverrides_, installDir_;
    std::vector<std::string> libraries_, planted_;
};

TEST_F(PlantedLibraries, AreNeverLoadedInAnyMode) {
    const std::string setup = "\"" + (downloads_ / "setup.exe") + "\"";
    EXPECT_EQ(Run(setup + " /X", extracted_.Path()), 0u);
    EXPECT_EQ(Marks(), std::vector<std::string>{});
    std::vector<std::string> problems;
    for (const std::string& problem : CompareWithManifest(extracted_.Path())) {
        if (std::find(libraries_.begin(), libraries_.end(), problem.substr(problem.find(' ') + 1)) == libraries_.end()) {
            problems.push_back(problem);
        }
    }
    EXPECT_EQ(problems, std::vector<std::string>{}) << "the stand-ins themselves aside";

    // Without an IDE the unattended install goes to Program Files.
    EXPECT_EQ(Run(setup + " /S", downloads_.Path()), 0u);
    EXPECT_EQ(Marks(), std::vector<std::string>{});
    installDir_ = RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "RootDir");
    ASSERT_TRUE(GetFileAttributesA((installDir_ + "\\redud.exe").c_str()) != INVALID_FILE_ATTRIBUTES) << installDir_;
    Plant(installDir_);

    {
        SCOPED_TRACE("the wizard, up to its last page: an update of that installation");
        WizardDriver wizard(setup, downloads_.Path());
        ASSERT_NE(wizard.Dialog(), nullptr);
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_FOLDER), installDir_);
        wizard.Press(IDC_NEXT);
        wizard.PressLater(IDC_NEXT);
        ASSERT_TRUE(wizard.WaitForFinishPage(Timeout));
        EXPECT_TRUE(wizard.ShowsNoBox("Error"));
        wizard.Press(IDCANCEL);
        ASSERT_TRUE(wizard.WaitForEnd(Timeout));
        EXPECT_EQ(wizard.ExitCode(), 0u);
    }
    EXPECT_EQ(Marks(), std::vector<std::string>{});

    EXPECT_EQ(Run("\"" + installDir_ + "\\redud.exe\" /S", downloads_.Path()), 0u);
    // The uninstaller's copy works on after the first stage has ended.
    for (DWORD start = GetTickCount(); GetTickCount() - start < Timeout; Sleep(50)) {
        if (GetFileAttributesA((installDir_ + "\\redud.exe").c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    EXPECT_EQ(GetFileAttributesA((installDir_ + "\\redud.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Marks(), std::vector<std::string>{});
}

// A build script chains the programs: each returns when its work is done,
// with its exit code in ERRORLEVEL, and the next one finds the machine as the
// last one left it. Uninstall, install again, then an uninstall of a log
// that is not there.
TEST(BuildScript, ChainsTheProgramsByTheirExitCodes) {
    RemoveInstallTraces();
    TempDir work;
    ChildProcess first(SetupCommand("/S"), work.Path());
    ASSERT_TRUE(first.Wait(Timeout));
    ASSERT_EQ(first.ExitCode(), 0u);
    const std::string installed = RegistryString(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft\\Vellorin library", "RootDir");
    const std::string entry = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib";
    const std::string state = "reg query \"" + entry + "\" >nul 2>&1\r\n"
                              "if errorlevel 1 (echo   entry gone) else (echo   entry there)\r\n"
                              "if exist \"" + installed + "\\redud.exe\" (echo   uninstaller there) else (echo   uninstaller gone)\r\n";
    WriteFileBytes(work / "build.bat",
                   "@echo off\r\n"
                   "\"" + installed + "\\redud.exe\" /S\r\n"
                   "echo uninstall %ERRORLEVEL%\r\n" + state +
                   "\"" + BuildFile("setup.exe") + "\" /S\r\n"
                   "echo install %ERRORLEVEL%\r\n" + state +
                   "\"" + installed + "\\redud.exe\" \"" + installed + "\\missing\\uninst.log\" /S\r\n"
                   "echo missing log %ERRORLEVEL%\r\n" + state);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    ChildProcess script("\"" + std::string(system) + "\\cmd.exe\" /c build.bat > result.txt", work.Path());
    ASSERT_TRUE(script.Wait(Timeout));
    std::string result;
    ReadFileBytes(work / "result.txt", &result);
    EXPECT_EQ(CrLfLines(result),
              (std::vector<std::string>{"uninstall 0", "  entry gone", "  uninstaller gone", "install 0",
                                        "  entry there", "  uninstaller there",
                                        "The uninstall log " + installed + "\\missing\\uninst.log cannot be read. "
                                        "Nothing was removed.",
                                        "missing log 2", "  entry there", "  uninstaller there"}));
    UninstallSilently(installed, work.Path());
}

// A refusal of /S says why on the console of the script that started it,
// and in the file that /LOG= names; nothing changes on the machine.
TEST(BuildScript, ARefusalSaysWhyOnTheConsoleAndInTheLog) {
    RemoveInstallTraces();
    TempDir work;
    WriteFileBytes(work / "taken.txt", "a file of the user's");
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"/IDES=D9", ChoiceProblemText(cpUnknownIde, "D9").CStr()},
        {"/ides=d7", ChoiceProblemText(cpIdeNotFound, "D7").CStr()},
        {"/IDES=", ChoiceProblemText(cpNoIdeNamed, "").CStr()},
        {"/PARTS=demos", ChoiceProblemText(cpUnknownPart, "demos").CStr()},
        {"/PARTS=help,delphidemos", ChoiceProblemText(cpPartWithoutIde, "delphidemos").CStr()},
        {"/PARTS=none", ChoiceProblemText(cpNothingChosen, "").CStr()},
        {"\"/DIR=C:\\Li|b\"", FolderProblemText(fpForbiddenCharacter, "C:\\Li|b", "").CStr()},
        {"/LOG=taken.txt", "The log file taken.txt cannot be made: "},
        {"/IDES=D9 /LOG=refused.txt", ChoiceProblemText(cpUnknownIde, "D9").CStr()},
    };
    std::string script = "@echo off\r\n";
    for (const auto& refusal : refusals) {
        script += "\"" + BuildFile("setup.exe") + "\" /S " + refusal.first + "\r\necho exit %ERRORLEVEL%\r\n";
    }
    WriteFileBytes(work / "build.bat", script);
    auto product = [] {
        std::vector<std::string> lines = RegistrySnapshot(HKEY_LOCAL_MACHINE, "Software\\Brindlecraft");
        for (const std::string& line :
             RegistrySnapshot(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib")) {
            lines.push_back(line);
        }
        return lines;
    };
    const std::vector<std::string> before = product();
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    ChildProcess run("\"" + std::string(system) + "\\cmd.exe\" /c build.bat > result.txt", work.Path());
    ASSERT_TRUE(run.Wait(Timeout));
    std::string result, log;
    ReadFileBytes(work / "result.txt", &result);
    const std::vector<std::string> lines = CrLfLines(result);
    ASSERT_EQ(lines.size(), 2 * refusals.size()) << result;
    for (size_t i = 0; i < refusals.size(); ++i) {
        EXPECT_EQ(lines[2 * i].rfind(refusals[i].second, 0), 0u) << refusals[i].first << ": " << lines[2 * i];
        EXPECT_EQ(lines[2 * i + 1], "exit 2") << refusals[i].first;
    }
    ReadFileBytes(work / "refused.txt", &log);
    EXPECT_EQ(log, refusals.back().second + "\r\n");
    ReadFileBytes(work / "taken.txt", &log);
    EXPECT_EQ(log, "a file of the user's");
    EXPECT_EQ(product(), before) << "nothing installed";
}

}  // namespace
