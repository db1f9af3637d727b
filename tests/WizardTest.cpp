// The installation wizard, driven as a user drives it: pages, texts,
// buttons, the IDE choice, the folder, the install with its error boxes and
// Cancel, and the installation record. The wizard runs in this program on a
// thread of its own; screenshots of the pages go to the build's
// "screenshots" folder.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "controls/UbrcCheckListBox.h"
#include "EngineFixture.h"
#include "resources/UResources.h"
#include "resources/version.h"
#include "uninstall/UDeinstall.h"
#include "wizard/UFolderText.h"
#include "wizard/UPage.h"
#include "wizard/USelection.h"
#include "wizard/USilentInstall.h"
#include "WizardDriver.h"

namespace {

const DWORD Wait = 60000;
const std::string Edition = std::string(EditionLabel) + " of Vellorin library v" VL_VERSION_SHORT;
const char RecordKey[] = "Software\\Brindlecraft\\Vellorin library";
const unsigned Checked = clbChecked, Unchecked = 0, Disabled = clbDisabled;

// A progress bar that clicks Cancel itself, from the wizard's thread, when
// it reaches CancelAtPosition: the install loop serves the press after that
// item and the release after the next, so the run stops right after item
// CancelAtPosition however busy the machine is.
int CancelAtPosition = 0;
WNDPROC BarProc = nullptr;

LRESULT CALLBACK CancellingBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(BarProc, bar, message, wParam, lParam);
    if (message == PBM_DELTAPOS && CancelAtPosition > 0 &&
        CallWindowProcA(BarProc, bar, PBM_GETPOS, 0, 0) >= CancelAtPosition) {
        CancelAtPosition = 0;
        HWND cancel = GetDlgItem(GetParent(bar), IDCANCEL);
        PostMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(cancel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    return result;
}

// The page on show when the wizard's thread took a message, for the two
// messages at the end of the keyboard range and just past it.
std::atomic<int> lastKeyPage{0}, pastKeysPage{0};
const UINT LastKey = 0x108;

LRESULT CALLBACK NoteTakenMessages(int code, WPARAM removed, LPARAM param) {
    const MSG* message = reinterpret_cast<const MSG*>(param);
    if (code == HC_ACTION && removed == PM_REMOVE) {
        if (message->message == LastKey) lastKeyPage = CurrentPage;
        if (message->message == WM_UNICHAR) pastKeysPage = CurrentPage;
    }
    return CallNextHookEx(nullptr, code, removed, param);
}

class WizardTest : public EngineFixture {
protected:
    static void SetUpTestSuite() { ParkPointer(); }
    void SetUp() override {
        EngineFixture::SetUp();
        InitCheckListBoxes();
    }
    void TearDown() override {
        wizard_.reset();
        ides_.clear();
        DoneCheckListBoxes();
        EngineFixture::TearDown();
    }
    FakeIde& AddIde(int index, const std::string& root, const FakeIdeOptions& options = {}) {
        ides_.push_back(std::make_unique<FakeIde>(index, temp_ / root, options));
        return *ides_.back();
    }
    WizardDriver& Start() {
        wizard_ = std::make_unique<WizardDriver>();
        EXPECT_NE(wizard_->Dialog(), nullptr);
        return *wizard_;
    }
    // Installs from the ready page and waits for the finish page.
    void Install() {
        wizard_->PressLater(IDC_NEXT);
        ASSERT_TRUE(wizard_->WaitForPage(6, Wait));
        EXPECT_TRUE(wizard_->ShowsNoBox("Error"));
    }
    uint32_t RecordDword(const char* name) const {
        DWORD value = 0, size = sizeof value;
        RegGetValueA(HKEY_LOCAL_MACHINE, RecordKey, name, RRF_RT_ANY, nullptr, &value, &size);
        return value;
    }
    // Goes through the pages as preset for a fake Delphi 7, into the test's
    // folder, and starts the install; with `cancelAfter`, Cancel is clicked
    // once that many items have run (see CancellingBar).
    WizardDriver& StartInstall(int cancelAfter = 0) {
        WizardDriver& wizard = Start();
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        wizard.SetFolder(installDir_);
        wizard.Press(IDC_NEXT);
        if (cancelAfter > 0) {
            CancelAtPosition = cancelAfter;
            BarProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                wizard.Control(IDC_PROGRESS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CancellingBar)));
        }
        wizard.PressLater(IDC_NEXT);
        return wizard;
    }
    // The same, and a click on Cancel: the install loop serves it between two items.
    WizardDriver& StartInstallAndClickCancel() {
        AddIde(9, "Borland\\Delphi7");
        WizardDriver& wizard = StartInstall();
        wizard.PostMouseClick(IDCANCEL);
        return wizard;
    }
    // Answers the cancel question Yes; returns the report that follows, once
    // the wizard has ended.
    std::string ConfirmCancel(const std::string& before = "") {
        HWND question = wizard_->WaitForBox("Install", Wait);
        EXPECT_EQ(MessageBoxText(question), before + "Are you sure you want to cancel the install?");
        wizard_->AnswerAndWait(question, IDYES);
        HWND report = wizard_->WaitForBox("Install", Wait);
        std::string text = report ? MessageBoxText(report) : "(no report)";
        WizardDriver::Answer(report, IDOK);
        EXPECT_TRUE(wizard_->WaitForEnd(Wait));
        return text;
    }
    // The machine without the fake tools' own notes.
    std::vector<std::string> Snapshot() const {
        std::vector<std::string> lines = MachineSnapshot();
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const std::string& line) { return line.find("\\calls.log ") != std::string::npos; }),
                    lines.end());
        return lines;
    }
    static std::string Today() {
        char date[128];
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
        return date;
    }

    std::vector<std::unique_ptr<FakeIde>> ides_;
    std::unique_ptr<WizardDriver> wizard_;
};

TEST_F(WizardTest, WalksThePagesOfAFirstInstall) {
    AddIde(9, "Tools\\Delphi7");
    FakeIde& builder = AddIde(8, "Builders\\CBuilder6");
    WizardDriver& wizard = Start();

    EXPECT_EQ(WindowText(wizard.Dialog()), "Installation Wizard for Vellorin library v" VL_VERSION_SHORT);
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "Welcome to the Vellorin library Setup program. This program will install " + Edition +
                  " on you computer.\r\n\r\nVellorin library - collection of components for working "
                  "with the application settings.\r\n\r\nIt is strongly recommended that you exit all "
                  "version of Delphi and CBuilder before running this Setup program.\r\n\r\nClick Next "
                  "to continue with the Setup program.");
    EXPECT_TRUE(wizard.Visible(IDC_TEXT));
    EXPECT_FALSE(wizard.Visible(IDC_LIST));
    EXPECT_FALSE(wizard.Enabled(IDC_BACK));
    EXPECT_TRUE(wizard.Enabled(IDC_NEXT));
    EXPECT_TRUE(wizard.HasFocus(IDC_NEXT));
    wizard.Press(IDC_BACK);  // arriving although the button is disabled
    EXPECT_EQ(CurrentPage, 1);
    wizard.Screenshot("1-welcome");

    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "Which versions of Delphi and/or CBuilder will you be installing Vellorin library to ?");
    EXPECT_TRUE(wizard.Visible(IDC_LIST));
    EXPECT_FALSE(wizard.Visible(IDC_CUSTOMIZE));
    EXPECT_TRUE(wizard.Enabled(IDC_BACK));
    // Delphi 7 (row 4) and C++Builder 6 (row 7) found; the optional parts come checked.
    EXPECT_EQ(wizard.RowStates(), (std::vector<unsigned>{Disabled, Disabled, Disabled, Disabled, Checked,
                                                         Disabled, Disabled, Checked, Checked, Checked,
                                                         Checked}));
    wizard.Screenshot("2-select");

    wizard.Press(IDC_NEXT);
    EXPECT_FALSE(wizard.Visible(IDC_LIST));
    for (int id : {IDC_FOLDER_GROUP, IDC_FOLDER, IDC_BROWSE}) EXPECT_TRUE(wizard.Visible(id)) << id;
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "Setup will install Vellorin library into following folder, click Browse, and select "
              "another folder.\r\n\r\nYou can choose not to install Vellorin library by clicking Cancel "
              "to exit Setup.");
    // Beside the first selected IDE in table order: C++Builder 6 comes before Delphi 7.
    EXPECT_EQ(wizard.Text(IDC_FOLDER), temp_ / "Builders\\Vellorin");
    EXPECT_EQ(InstallVersions, 0x180u) << "set when the IDE page was left";
    EXPECT_EQ(InstallItems, 0x7C0u);
    wizard.Screenshot("3-directory");
    wizard.SetFolder(installDir_ + "\\");

    wizard.Press(IDC_NEXT);
    EXPECT_EQ(std::string(InstallDir.CStr()), installDir_) << "one trailing separator goes";
    EXPECT_EQ(wizard.Text(IDC_NEXT), "Start");
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "You are now ready to install " + Edition + " on you computer.\r\n\r\nPress the Start "
              "button to begin the installation or the Back button to reenter the installation "
              "information.");
    wizard.Screenshot("4-ready");
    wizard.Press(IDC_BACK);
    EXPECT_EQ(wizard.Text(IDC_NEXT), "&Next >");
    EXPECT_EQ(wizard.Text(IDC_FOLDER), installDir_) << "the folder as last left";
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_NEXT), "Start");

    Install();
    EXPECT_FALSE(wizard.Visible(IDC_BACK));
    EXPECT_FALSE(wizard.Visible(IDC_NEXT));
    EXPECT_FALSE(wizard.Visible(IDC_PROGRESS));
    EXPECT_TRUE(wizard.Visible(IDC_STEP));
    EXPECT_EQ(wizard.Text(IDCANCEL), "Finish");
    EXPECT_TRUE(wizard.HasFocus(IDCANCEL));
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "Setup has finished installing " + Edition + " on you computer.\r\n\r\nClick Finish to "
              "exit Setup.");
    PBRANGE range{};
    SendMessageA(wizard.Control(IDC_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 704);
    EXPECT_EQ(SendMessageA(wizard.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 704);
    wizard.Screenshot("6-finish");
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(CurrentPage, 6);

    EXPECT_EQ(RecordDword("InstallVersions"), 0x180u);
    EXPECT_EQ(RecordDword("InstallItems"), 0x7C0u);
    EXPECT_EQ(RecordDword("CustomizeItems"), 5u);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), installDir_);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "Version"), VL_VERSION_SHORT);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "Type"), EditionLabel);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "InstallDate"), Today());
    EXPECT_EQ(builder.Calls().size(), 4u) << "C++Builder 6's make built its four packages";

    wizard.Press(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForEnd(Wait)) << "Finish closes without a question";
}

TEST_F(WizardTest, PresetsTheChoiceFromAnEarlierInstall) {
    AddIde(9, "Borland\\Delphi7");
    AddIde(8, "Borland\\CBuilder6");
    WriteRegDword(RootLocalMachine, RecordKey, "InstallVersions", 0x100);
    WriteRegDword(RootLocalMachine, RecordKey, "InstallItems", 0x480);
    WriteRegString(RootLocalMachine, RecordKey, "RootDir", "D:\\Lib\\Components");
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "The previous version of Vellorin library was found. Click to \"Next\" button for update it.");
    EXPECT_EQ(wizard.RowStates(), (std::vector<unsigned>{Disabled, Disabled, Disabled, Disabled, Checked,
                                                         Disabled, Disabled, Unchecked, Checked, Unchecked,
                                                         Unchecked}));
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_FOLDER), "D:\\Lib\\Components");
}

// The pages start from the command line's choice. A refused choice is said
// in a box over the page it concerns, where the wizard starts with the
// preset standing, ready for the user to choose.
TEST_F(WizardTest, ThePagesStartFromTheCommandLine) {
    AddIde(9, "Borland\\Delphi7");
    AddIde(8, "Borland\\CBuilder6");
    const std::string folder = temp_ / "Build Libs\\Vellorin", proposed = temp_ / "Borland\\Vellorin";
    const unsigned D = Disabled, C = Checked, U = Unchecked;
    const std::vector<unsigned> preset{D, D, D, D, C, D, D, C, C, C, C};
    struct Case {
        const char *ides, *parts, *dir;
        int page;
        std::string box, field;
        std::vector<unsigned> rows;
    } cases[] = {
        {"d7", "HELP", folder.c_str(), 1, "", folder, {D, D, D, D, C, D, D, U, C, U, U}},
        {"CB5", nullptr, nullptr, 2, ChoiceProblemText(cpIdeNotFound, "CB5").CStr(), proposed, preset},
        {"D7", "cbuilderdemos", nullptr, 2, ChoiceProblemText(cpPartWithoutIde, "cbuilderdemos").CStr(), proposed,
         preset},
        {nullptr, "none", "C:\\", 3, FolderProblemText(fpDriveRoot, "C:\\").CStr(), "C:\\",
         {D, D, D, D, C, D, D, C, U, U, U}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        ResetRunState();
        CommandChoice.HasIdes = c.ides != nullptr;
        CommandChoice.Ides = c.ides ? c.ides : "";
        CommandChoice.HasParts = c.parts != nullptr;
        CommandChoice.Parts = c.parts ? c.parts : "";
        CommandChoice.HasFolder = c.dir != nullptr;
        CommandChoice.Folder = c.dir ? c.dir : "";
        WizardDriver& wizard = Start();
        if (c.box.empty()) {
            EXPECT_TRUE(wizard.ShowsNoBox("Install"));
        } else {
            HWND box = wizard.WaitForBox("Install", Wait);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(MessageBoxText(box), c.box);
            wizard.AnswerAndWait(box, IDOK);
            wizard.Sync();
        }
        EXPECT_EQ(CurrentPage, c.page);
        EXPECT_TRUE(wizard.HasFocus(c.page == 1 ? IDC_NEXT : c.page == 2 ? IDC_LIST : IDC_FOLDER, Wait));
        if (c.page == 3) wizard.Press(IDC_BACK);
        if (c.page == 1) wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.RowStates(), c.rows);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(wizard.Text(IDC_FOLDER), c.field);
        wizard_.reset();
    }
}

TEST_F(WizardTest, ItemsWithoutVersionsStillPresetTheRows) {
    AddIde(9, "Borland\\Delphi7");
    WriteRegDword(RootLocalMachine, RecordKey, "InstallVersions", 0);
    WriteRegDword(RootLocalMachine, RecordKey, "InstallItems", 0x480);
    WriteRegDword(RootLocalMachine, RecordKey, "RootDir", 7);  // not a string: ignored
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_TEXT).rfind("Which versions", 0), 0u);
    std::vector<unsigned> rows = wizard.RowStates();
    EXPECT_EQ(rows[4], Checked);
    EXPECT_EQ(rows[8], Checked);
    EXPECT_EQ(rows[9], Unchecked);
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_FOLDER), temp_ / "Borland\\Vellorin");
}

TEST_F(WizardTest, TheChoiceNeedsOneRowAndDisabledRowsStayAsTheyAre) {
    AddIde(9, "Borland\\Delphi7");
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    for (int row : {4, 8, 9, 10}) ASSERT_TRUE(wizard.ClickRow(row)) << row;
    EXPECT_FALSE(wizard.Enabled(IDC_NEXT)) << "nothing checked";
    ASSERT_TRUE(wizard.ClickRow(0));
    wizard.SpaceOnRow(1);
    EXPECT_EQ(wizard.RowStates()[0], Disabled);
    EXPECT_EQ(wizard.RowStates()[1], Disabled);
    EXPECT_FALSE(wizard.Enabled(IDC_NEXT));
    wizard.SpaceOnRow(9);
    EXPECT_TRUE(wizard.Enabled(IDC_NEXT)) << "an optional part alone is enough";

    // Away and back: the marks stay, and the IDEs are not detected again.
    ides_.clear();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_BACK);
    std::vector<unsigned> rows = wizard.RowStates();
    EXPECT_EQ(rows[4], Unchecked) << "still enabled: Delphi 7 is not detected again";
    EXPECT_EQ(rows[9], Checked);
    EXPECT_EQ(rows[8], Unchecked);
}

TEST_F(WizardTest, NextChecksTheFolderAndBackDoesNot) {
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.SetFolder("Lib//");
    wizard.Press(IDC_BACK);
    EXPECT_EQ(CurrentPage, 2);
    EXPECT_EQ(std::string(InstallDir.CStr()), "Lib") << "trimmed, not checked";
    wizard.Press(IDC_NEXT);
    wizard.PostMouseClick(IDC_NEXT);  // as a user clicks: the button takes the focus
    HWND box = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), FolderProblemText(fpNotAbsolute, "Lib").CStr());
    wizard.AnswerAndWait(box, IDOK);
    wizard.Sync();
    EXPECT_EQ(CurrentPage, 3);
    EXPECT_TRUE(wizard.HasFocus(IDC_FOLDER)) << "ready for another folder";
}

// A folder that exists and holds files is the user's: Next asks first, says
// what will happen there, and No (also the answer of Enter) stays on the
// page; the earlier installation's own folder is not asked about.
TEST_F(WizardTest, NextAsksBeforeInstallingIntoAFolderThatHoldsFiles) {
    const std::string tools = temp_ / "Tools";
    CreateDirectoryA(tools.c_str(), nullptr);
    WriteFileBytes(tools + "\\readme.txt", "the user's own");
    ASSERT_TRUE(OpenToEveryone(tools));
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.SetFolder(tools);
    for (int answer : {IDNO, IDYES}) {
        wizard.PressLater(IDC_NEXT);
        HWND question = wizard.WaitForBox("Install", Wait);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(MessageBoxText(question),
                  "The folder " + tools + " exists and holds files. Setup will put the files of Vellorin library "
                  "into it. A file of the same name as one of them is replaced, and is removed when Vellorin library "
                  "is uninstalled. Your other files and folders there are kept as they are.\r\n\r\nUsers other "
                  "than administrators can change this folder now. Setup will make it a program folder that only "
                  "administrators can change, with everything it holds.\r\n\r\nInstall into this folder?");
        if (answer == IDNO) {
            ASSERT_TRUE(wizard.PressKey(VK_RETURN));
            for (DWORD start = GetTickCount(); IsWindow(question) && GetTickCount() - start < Wait; Sleep(10)) {
            }
        } else {
            wizard.AnswerAndWait(question, answer);
        }
        wizard.Sync();
        EXPECT_EQ(CurrentPage, answer == IDNO ? 3 : 4);
    }
    // An empty folder, or one that is not there yet, is not asked about.
    wizard.Press(IDC_BACK);
    CreateDirectoryA((temp_ / "Empty").c_str(), nullptr);
    for (const std::string& folder : {temp_ / "Empty", temp_ / "New\\Lib"}) {
        wizard.SetFolder(folder);
        wizard.Press(IDC_NEXT);
        EXPECT_EQ(CurrentPage, 4) << folder;
        wizard.Press(IDC_BACK);
    }
    EXPECT_FALSE(Exists(temp_ / "New")) << "what the check made is taken back";
}

// A folder that passed the page but cannot be made when the install starts:
// one message, and nothing installed.
TEST_F(WizardTest, ARunWhoseFolderCannotBeMadeStopsAtOnce) {
    FakeIde& delphi7 = AddIde(9, "Borland\\Delphi7");
    const std::vector<std::string> before = Snapshot();
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.SetFolder(installDir_);
    wizard.Press(IDC_NEXT);
    // Something else takes the folder's name before Start.
    WriteFileBytes(installDir_, "in the way");
    wizard.PressLater(IDC_NEXT);
    HWND report = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(MessageBoxText(report), "Setup cannot create the folder " + installDir_ + ". Nothing was installed.");
    EXPECT_TRUE(wizard.ShowsNoBox("Error"));
    WizardDriver::Answer(report, IDOK);
    ASSERT_TRUE(wizard.WaitForEnd(Wait));
    DeleteFileA(installDir_.c_str());
    EXPECT_EQ(Snapshot(), before) << "no entry, no record, no registration";
    EXPECT_TRUE(delphi7.Calls().empty());
}

TEST_F(WizardTest, ProposesProgramFilesWithoutAnIde) {
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.RowStates(), (std::vector<unsigned>{Disabled, Disabled, Disabled, Disabled, Disabled,
                                                         Disabled, Disabled, Disabled, Checked, Checked,
                                                         Checked}));
    wizard.Press(IDC_NEXT);
    std::string programFiles = RegistryString(HKEY_LOCAL_MACHINE,
                                              "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    ASSERT_NE(programFiles, "(none)");
    EXPECT_EQ(wizard.Text(IDC_FOLDER), programFiles + "\\Vellorin");
}

TEST_F(WizardTest, ASilentInstallWithoutAnIdeInstallsTheOptionalPartsAsTheWizardWould) {
    EXPECT_EQ(RunSilentInstall(), 0);
    EXPECT_EQ(InstallVersions, 0u);
    EXPECT_EQ(InstallItems, SelectionItems[8].ItemBit | SelectionItems[9].ItemBit | SelectionItems[10].ItemBit);
    const std::string folder = RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir");
    EXPECT_EQ(folder, RegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                     "ProgramFilesDir") + "\\Vellorin");
    EXPECT_NE(GetFileAttributesA((folder + "\\Help\\vllib.hlp").c_str()), INVALID_FILE_ATTRIBUTES);
    // Taken back as an update would: the record and the logs stay until the
    // new run writes its own. Then as the uninstaller would, so that nothing
    // stays in Program Files.
    EXPECT_TRUE(UninstallPrevious());
    EXPECT_EQ(ListTree(folder), (std::vector<std::string>{"install.log", "uninst.log"}));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), folder) << "until the update is whole";
    TDeinstall uninstall;
    ASSERT_EQ(uninstall.LoadLog((folder + "\\uninst.log").c_str()), 0);
    uninstall.ReadHeader();
    EXPECT_EQ(uninstall.Run(), 0);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), "(none)");
}

TEST_F(WizardTest, ASilentInstallRefusesTheFoldersThePageRefuses) {
    // An earlier record whose folder the page would not let the user keep:
    // among them the folder that holds the IDEs, and a link to it.
    FakeIde& delphi7 = AddIde(9, "Borland\\Delphi7");
    ASSERT_TRUE(MakeLink(temp_ / "Link", temp_ / "Borland"));
    const std::vector<std::string> ide = HashedTree(delphi7.Root()), tree = ListTree(temp_.Path());
    for (const std::string& folder : {std::string("Q:\\Vellorin"), std::string("Lib\\Vellorin"), std::string("C:\\"),
                                      std::string("C:\\con\\Vellorin"), std::string("C:\\Li|b"), temp_ / "Borland",
                                      temp_ / "Link"}) {
        ASSERT_TRUE(WriteRegString(RootLocalMachine, RecordKey, "RootDir", folder.c_str()));
        const std::vector<std::string> before = TouchedRegistry();
        EXPECT_EQ(RunSilentInstall(), SilentRefused) << folder;
        EXPECT_EQ(TouchedRegistry(), before) << folder;
        EXPECT_EQ(ListTree(temp_.Path()), tree) << folder;
    }
    EXPECT_EQ(HashedTree(delphi7.Root()), ide);
    RemoveLink(temp_ / "Link");
}

TEST_F(WizardTest, BrowsingAppendsTheProductFolder) {
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.PressLater(IDC_BROWSE);
    HWND browser = wizard.WaitForWindow("Browse for Folder", Wait);
    ASSERT_NE(browser, nullptr);
    // Just below the Browse button, right edges lined up.
    RECT button, own;
    GetWindowRect(wizard.Control(IDC_BROWSE), &button);
    GetWindowRect(browser, &own);
    EXPECT_EQ(own.right, button.right);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(own.top, std::min<LONG>(button.bottom + 1, work.bottom - (own.bottom - own.top)));
    // The dialog shows before its folder tree is filled, and a selection
    // sent too early is lost: it is sent until the tree shows one. Wine
    // takes the selection from a wide path.
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    std::wstring wide(temp_.Path().begin(), temp_.Path().end());
    for (DWORD start = GetTickCount();
         !SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) && GetTickCount() - start < Wait; Sleep(20)) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    WizardDriver::Answer(browser, IDOK);
    for (DWORD start = GetTickCount(); IsWindow(browser) && GetTickCount() - start < Wait;) Sleep(5);
    wizard.Sync();
    EXPECT_EQ(wizard.Text(IDC_FOLDER), temp_.Path() + "\\Vellorin");
}

TEST_F(WizardTest, ReportsEachFailingItemInABoxAndGoesOn) {
    FakeIdeOptions options;
    options.failing = {"vll70"};
    AddIde(9, "Borland\\Delphi7", options);
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.SetFolder(installDir_);
    wizard.Press(IDC_NEXT);
    wizard.PressLater(IDC_NEXT);

    // The package is missing: its check fails, and so does its copy.
    HWND box = wizard.WaitForBox("Error", Wait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(CurrentPage, 5);
    EXPECT_FALSE(wizard.Enabled(IDC_NEXT));
    EXPECT_FALSE(wizard.Enabled(IDC_BACK));
    EXPECT_TRUE(wizard.Enabled(IDCANCEL));
    EXPECT_TRUE(wizard.Visible(IDC_PROGRESS));
    EXPECT_EQ(wizard.Text(IDC_TEXT),
              "Performing install of the " + Edition + " on you computer.\r\n\r\nPlease wait...");
    EXPECT_EQ(wizard.Text(IDC_STEP), "Compiling package");
    wizard.Screenshot("5-progress");
    int check = ItemIndex(siCheckFile, "Delphi7\\vll70.bpl");
    EXPECT_EQ(MessageBoxText(box), "Error in ScriptItem=" + std::to_string(check) +
                                       ", ErrorCode=1h ScriptItemId=13 with text\r\nCheck file: " +
                                       installDir_ + "\\Delphi7\\vll70.bpl...Fail");
    EXPECT_EQ(GetWindow(box, GW_OWNER), wizard.Dialog());
    wizard.AnswerAndWait(box, IDOK);

    box = wizard.WaitForBox("Error", Wait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box).rfind("Error in ScriptItem=" + std::to_string(check + 1) +
                                            ", ErrorCode=2h ScriptItemId=8014 with text\r\nCopying file: from ", 0),
              0u);
    wizard.AnswerAndWait(box, IDOK);
    ASSERT_TRUE(wizard.WaitForPage(6, Wait));
    EXPECT_TRUE(wizard.ShowsNoBox("Error")) << "one box per failing item";
    EXPECT_EQ(RecordDword("InstallItems"), 0x780u) << "the record follows the install whatever failed";
}

// The runtime package in the system folder, held open by a running IDE:
// its copy fails with a sharing violation (20h), and the box offers Retry,
// which runs the item again once the IDE has let go.
TEST_F(WizardTest, AFileInUseOffersRetryAndRetryRunsTheItemAgain) {
    AddIde(9, "Borland\\Delphi7");
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string package = std::string(system) + "\\vll70.bpl";
    ASSERT_TRUE(WriteFileBytes(package, "the running IDE's"));
    HANDLE ide = CreateFileA(package.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HWND box = StartInstall().WaitForBox("Error", Wait);
    const std::string text = MessageBoxText(box);
    const int copy = ItemIndex(siCheckFile, "Delphi7\\vll70.bpl") + 1;
    EXPECT_EQ(text.rfind("Error in ScriptItem=" + std::to_string(copy) + ", ErrorCode=20h ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.rfind("\r\n\r\n")),
              "\r\n\r\nClose the program that uses the file and click Retry, or click Cancel to go on without it.");
    CloseHandle(ide);
    ASSERT_TRUE(wizard_->PressKey(VK_RETURN)) << "Retry has the focus";
    ASSERT_TRUE(wizard_->WaitForPage(6, Wait));
    EXPECT_TRUE(wizard_->ShowsNoBox("Error")) << "the copy succeeded";
}

TEST_F(WizardTest, CancelDuringTheInstallAnsweredNoChangesNothing) {
    WizardDriver& wizard = StartInstallAndClickCancel();
    HWND question = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageBoxText(question), "Are you sure you want to cancel the install?");
    WizardDriver::Answer(question, IDNO);
    ASSERT_TRUE(wizard.WaitForPage(6, Wait));
    EXPECT_TRUE(wizard.StaysOpen()) << "the wizard stays open";
    wizard.Press(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForEnd(Wait));
}

const char CancelReport[] =
    "The installation of Vellorin library v" VL_VERSION_SHORT " was cancelled. Everything it had installed has been removed.";

TEST_F(WizardTest, CancelAnsweredYesTakesTheRunBackWhereverItStops) {
    FakeIde& delphi7 = AddIde(9, "Borland\\Delphi7");
    const std::vector<std::string> before = Snapshot();
    // Early; between two of Delphi 7's compile steps; just before the end.
    const int compiling = ItemIndex(siCheckFile, "Delphi7\\vll70.bpl");
    for (int items : {1, compiling, ScriptItemCount - 5}) {
        StartInstall(items);
        ASSERT_NE(wizard_->WaitForBox("Install", Wait), nullptr);
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), installDir_)
            << "should the run end here, the next one proposes its folder";
        EXPECT_EQ(ConfirmCancel(), CancelReport) << items;
        wizard_.reset();
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), "(none)") << items;
        EXPECT_EQ(GetFileAttributesA(installDir_.c_str()), INVALID_FILE_ATTRIBUTES) << items;
        // Also what the uninstall log has no record of: the runtime packages
        // in the system folder, the aliases merged into the IDE's alias file
        // and its help index.
        EXPECT_EQ(Snapshot(), before) << items;
    }
    EXPECT_EQ(delphi7.Calls().size(), 1u + 4u) << "the middle point stopped after the first compile step";
}

TEST_F(WizardTest, CancelAnsweredYesDuringAnUpdateLeavesNoInstallation) {
    FakeIde& delphi7 = AddIde(9, "Borland\\Delphi7");
    StartInstall();
    ASSERT_TRUE(wizard_->WaitForPage(6, Wait));
    wizard_.reset();
    ASSERT_NE(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), "(none)");

    // The update's folder page shows the folder that the update uses, and
    // it cannot be changed there.
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_FOLDER), installDir_);
    EXPECT_FALSE(wizard.Enabled(IDC_BROWSE));
    EXPECT_TRUE(wizard.HasFocus(IDC_FOLDER));
    EXPECT_FALSE(wizard.Type(L"C:\\Elsewhere")) << "the typing went nowhere";
    wizard_.reset();

    const std::vector<std::string> record = RegistrySnapshot(HKEY_LOCAL_MACHINE, RecordKey);
    StartInstall(ItemIndex(siCheckFile, "Delphi7\\vll70.bpl"));
    ASSERT_NE(wizard_->WaitForBox("Install", Wait), nullptr);
    EXPECT_EQ(RegistrySnapshot(HKEY_LOCAL_MACHINE, RecordKey), record)
        << "the earlier installation's record stays until the update is whole";
    EXPECT_EQ(ConfirmCancel("The earlier installation has already been removed. If you cancel now, the library "
                            "will not be installed at all.\r\n\r\n"),
              std::string(CancelReport) +
                                   "\r\n\r\nThe earlier installation of Vellorin library was removed before "
                                   "the install began, so Vellorin library is no longer installed.");
    EXPECT_EQ(GetFileAttributesA(installDir_.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RegistrySnapshot(HKEY_LOCAL_MACHINE, RecordKey), std::vector<std::string>{});
    EXPECT_EQ(RegistrySnapshot(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vllLib"),
              std::vector<std::string>{});
    EXPECT_EQ(delphi7.KnownPackage(installDir_ + "\\Delphi7\\dclvll70.bpl"), "(none)");
}

// Esc where a real key press goes, the window with the focus, after Start
// was clicked and after it was pressed with Enter: the keyboard stays with
// the dialog's Cancel button during the install.
TEST_F(WizardTest, EscDuringTheInstallAsksTheSameQuestion) {
    AddIde(9, "Borland\\Delphi7");
    for (bool clicked : {true, false}) {
        SCOPED_TRACE(clicked ? "Start clicked" : "Start pressed with Enter");
        WizardDriver& wizard = Start();
        wizard.Press(IDC_NEXT);
        wizard.Press(IDC_NEXT);
        wizard.SetFolder(installDir_);
        wizard.Press(IDC_NEXT);
        if (clicked) {
            wizard.PostMouseClick(IDC_NEXT);
        } else {
            ASSERT_TRUE(wizard.HasFocus(IDC_NEXT));
            ASSERT_TRUE(wizard.PressKey(VK_RETURN));
        }
        // The page is on show a moment before its Enter gives Cancel the focus.
        ASSERT_TRUE(wizard.WaitForPage(5, Wait));
        EXPECT_TRUE(wizard.HasFocus(IDCANCEL, Wait));
        ASSERT_TRUE(wizard.PressKey(VK_ESCAPE));
        HWND question = wizard.WaitForBox("Install", Wait);
        ASSERT_NE(question, nullptr);
        // The second run is an update of the first, which is gone by now.
        EXPECT_EQ(MessageBoxText(question),
                  std::string(clicked ? "" : "The earlier installation has already been removed. If you cancel now, "
                                             "the library will not be installed at all.\r\n\r\n") +
                      "Are you sure you want to cancel the install?");
        WizardDriver::Answer(question, IDNO);
        ASSERT_TRUE(wizard.WaitForPage(6, Wait));
        wizard.Press(IDCANCEL);
        ASSERT_TRUE(wizard.WaitForEnd(Wait));
        EXPECT_NE(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), "(none)") << "No lets it finish";
        wizard_.reset();
        CheckedRows = 0;
        CurrentPage = 1;
    }
}

TEST_F(WizardTest, TheInstallServesTheKeyboardRangeAndNothingPastIt) {
    AddIde(9, "Borland\\Delphi7");
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.Press(IDC_NEXT);
    wizard.SetFolder(installDir_);
    wizard.Press(IDC_NEXT);
    lastKeyPage = pastKeysPage = 0;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, NoteTakenMessages, nullptr,
                                   GetWindowThreadProcessId(wizard.Dialog(), nullptr));
    ASSERT_NE(hook, nullptr);
    // Both wait in the queue behind Start while the install runs.
    wizard.PressLater(IDC_NEXT);
    PostMessageA(wizard.Dialog(), LastKey, 0, 0);
    PostMessageA(wizard.Dialog(), WM_UNICHAR, 'v', 0);
    EXPECT_TRUE(wizard.WaitForPage(6, Wait));
    for (DWORD start = GetTickCount(); pastKeysPage == 0 && GetTickCount() - start < Wait;) Sleep(5);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(lastKeyPage, 5) << "served between two items";
    EXPECT_EQ(pastKeysPage, 6) << "left for the dialog once the install is through";
    wizard.Press(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForEnd(Wait));
}

TEST_F(WizardTest, CancelOnAnyOtherPageAsksFirst) {
    WizardDriver& wizard = Start();
    wizard.PressLater(IDCANCEL);
    HWND question = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(question, nullptr);
    WizardDriver::Answer(question, IDNO);
    wizard.Sync();
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_TRUE(wizard.StaysOpen());
    wizard.PressLater(IDCANCEL);
    question = wizard.WaitForBox("Install", Wait);
    ASSERT_NE(question, nullptr);
    WizardDriver::Answer(question, IDYES);
    EXPECT_TRUE(wizard.WaitForEnd(Wait));
    EXPECT_EQ(RecordDword("InstallVersions"), 0u) << "nothing was recorded";
}

TEST_F(WizardTest, ASecondInstallStartsFromTheFirst) {
    AddIde(9, "Borland\\Delphi7");
    {
        WizardDriver& wizard = Start();
        wizard.Press(IDC_NEXT);
        ASSERT_TRUE(wizard.ClickRow(9));
        ASSERT_TRUE(wizard.ClickRow(10));  // Delphi 7 and the help files
        wizard.Press(IDC_NEXT);
        wizard.SetFolder(installDir_);
        wizard.Press(IDC_NEXT);
        Install();
        wizard.Press(IDCANCEL);
        ASSERT_TRUE(wizard.WaitForEnd(Wait));
    }
    EXPECT_EQ(RecordDword("InstallVersions"), 0x100u);
    EXPECT_EQ(RecordDword("InstallItems"), 0x480u);
    CheckedRows = 0;
    CurrentPage = 1;

    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_TEXT).rfind("The previous version", 0), 0u);
    std::vector<unsigned> rows = wizard.RowStates();
    EXPECT_EQ(rows[4], Checked);
    EXPECT_EQ(rows[8], Checked);
    EXPECT_EQ(rows[9], Unchecked);
    wizard.Press(IDC_NEXT);
    EXPECT_EQ(wizard.Text(IDC_FOLDER), installDir_);
    wizard.Press(IDC_NEXT);
    Install();
    EXPECT_EQ(RecordDword("InstallItems"), 0x480u);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, RecordKey, "RootDir"), installDir_);
}

TEST_F(WizardTest, CustomizeKeepsOrChangesItsChoice) {
    WizardDriver& wizard = Start();
    wizard.Press(IDC_NEXT);
    wizard.PressLater(IDC_CUSTOMIZE);  // hidden, but its command is handled
    HWND customize = wizard.WaitForWindow("Customize...", Wait);
    ASSERT_NE(customize, nullptr);
    EXPECT_FALSE(IsWindowEnabled(wizard.Dialog())) << "the wizard waits for the dialog";
    HWND options = GetDlgItem(customize, IDC_OPTIONS);
    EXPECT_EQ(SendMessageA(options, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(options, LB_GETITEMDATA, 0, 0), LRESULT(Checked)) << "bit 0 of 5";
    PostMessageA(customize, WM_COMMAND, IDC_OPTIONS_CANCEL, 0);
    for (DWORD start = GetTickCount(); IsWindow(customize) && GetTickCount() - start < Wait;) Sleep(5);
    wizard.Sync();
    EXPECT_EQ(CustomizeItems, 5u);
    EXPECT_TRUE(IsWindowEnabled(wizard.Dialog()));

    wizard.PressLater(IDC_CUSTOMIZE);
    customize = wizard.WaitForWindow("Customize...", Wait);
    ASSERT_NE(customize, nullptr);
    options = GetDlgItem(customize, IDC_OPTIONS);
    SendMessageA(options, WM_CHAR, ' ', 0);
    PostMessageA(customize, WM_COMMAND, IDC_OPTIONS_OK, 0);
    for (DWORD start = GetTickCount(); IsWindow(customize) && GetTickCount() - start < Wait;) Sleep(5);
    wizard.Sync();
    EXPECT_EQ(CustomizeItems, 0u) << "OK with the one row unchecked";
}

TEST_F(WizardTest, TheMakersLinkIsABlueHandCursorLabel) {
    WizardDriver& wizard = Start();
    ASSERT_NE(LinkLabel, nullptr);
    EXPECT_EQ(WindowClass(LinkLabel), "VL_ILABEL");
    EXPECT_EQ(WindowText(LinkLabel), "Brindlecraft");
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(LinkLabel, GCLP_HCURSOR)),
              LoadCursorA(nullptr, IDC_HAND));
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = SendMessageA(wizard.Dialog(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(LinkLabel));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 192));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    // Other statics are left to the dialog manager.
    EXPECT_EQ(WizardDlgProc(wizard.Dialog(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(wizard.Control(IDC_TEXT))), 0);
    DeleteDC(dc);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(LinkLabel, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_TRUE(font.lfUnderline);
}

}  // namespace
