// setup.exe as a user starts it: the run modes, the windows it shows or
// does not show, what it leaves on disk, and its exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PeImage.h"
#include "TestSupport.h"

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

const char ParametersText[] =
    "Brindlecraft setup parameters description:\r\n"
    "  /C - Copy files only. No package,help registration;\r\n"
    "  /E - Enable controls even if previous version installed;\r\n"
    "  /S - Silent install of what the wizard proposes. No dialog. Exit code 1 if anything fails;\r\n"
    "  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    "  /? - Parameters description.";

TEST(Extraction, StartsWithoutTheWindowLibraries) {
    // The window and drawing libraries are bound on first use, so that the
    // window-less extraction does not load them; the wizard and message box
    // tests show that the calls still reach them.
    PeImage setup = PeImage::FromFile(BuildFile("setup.exe"));
    ASSERT_EQ(setup.Error(), "");
    EXPECT_EQ(setup.Machine(), sizeof(void*) == 8 ? PeImage::MachineAmd64 : PeImage::MachineI386);
    EXPECT_EQ(setup.ImportedLibraries(),
              (std::vector<std::string>{"advapi32.dll", "kernel32.dll", "msvcrt.dll", "version.dll"}));
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
        EXPECT_EQ(WindowText(wizard), "Installation Wizard for Vellorin library v3.19") << switches;
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
    // The unattended install ends at once too, without a window.
    ChildProcess silent(SetupCommand("/S"), temp.Path());
    std::vector<std::string> windows;
    EXPECT_TRUE(silent.Wait(Timeout, &windows));
    EXPECT_EQ(windows, NoWindows);
    EXPECT_EQ(silent.ExitCode(), 1u);
    CancelWizard(first, wizard);
    // Once the first has ended, the next one opens its wizard.
    ChildProcess next(SetupCommand(""), temp.Path());
    HWND nextWizard = next.WaitForDialog(Timeout);
    ASSERT_NE(nextWizard, nullptr);
    EXPECT_EQ(WindowText(nextWizard), "Installation Wizard for Vellorin library v3.19");
    CancelWizard(next, nextWizard);
}

TEST(WizardMode, TheLastSwitchDecides) {
    TempDir temp;
    EXPECT_EQ(RunToEnd("/? /X", temp.Path()), NoWindows);
    EXPECT_EQ(CompareWithManifest(temp.Path()), std::vector<std::string>{});
}

}  // namespace
