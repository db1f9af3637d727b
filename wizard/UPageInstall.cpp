#include "wizard/UPageInstall.h"

#include <commctrl.h>

#include "catalogue/UConst.h"
#include "resources/UResources.h"
#include "util/UPaths.h"
#include "wizard/UInstallRecord.h"
#include "wizard/UInstallRun.h"

namespace {

// The last keyboard message that the install loop serves. MinGW's WM_KEYLAST
// is 0x109, which takes in WM_UNICHAR as well.
const UINT LastKeyboardMessage = 0x108;

void SetText(HWND dialog, const char* before, const char* after) {
    AnsiString text = AnsiString(before) + EditionText() + " on you computer.\r\n\r\n" + after;
    SetDlgItemTextA(dialog, IDC_TEXT, text.CStr());
}

void ShowProgress(HWND dialog, bool show) {
    ShowControl(dialog, IDC_PROGRESS_GROUP, show);
    ShowControl(dialog, IDC_PROGRESS, show);
    ShowControl(dialog, IDC_STEP, show);
}

// Lets the wizard answer between two items: at most one waiting keyboard or
// mouse message, so that Cancel and the link stay usable during the install.
// Esc asks the cancel question as the Cancel button does; the dialog manager,
// which would turn it into that command, does not see these messages.
void ServeOneInputMessage(HWND dialog) {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_KEYFIRST, LastKeyboardMessage, PM_REMOVE) ||
        PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSEWHEEL, PM_REMOVE)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The progress page's view of the run: the step line, the bar, a box for
// each failing item, and the Next command once every item has run.
class TWizardRun : public TInstallObserver {
public:
    explicit TWizardRun(HWND dialog) : dialog_(dialog), bar_(GetDlgItem(dialog, IDC_PROGRESS)) {}

    void Started(int32_t itemCount, bool removedPrevious) override {
        EarlierInstallRemoved = removedPrevious;
        SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, itemCount - 1));
        SendMessageA(bar_, PBM_SETPOS, 0, 0);
    }
    void ShowStep(const AnsiString& caption) override { SetDlgItemTextA(dialog_, IDC_STEP, caption.CStr()); }
    // A file in use may be let go: Retry runs the item again, Cancel goes
    // on without it, as OK does for any other failure.
    bool ReportFailure(const AnsiString& report, bool inUse) override {
        if (!inUse) {
            MessageBoxA(dialog_, report.CStr(), "Error", MB_OK);
            return false;
        }
        AnsiString text = report + "\r\n\r\nClose the program that uses the file and click Retry, or click Cancel to "
                                   "go on without it.";
        return MessageBoxA(dialog_, text.CStr(), "Error", MB_RETRYCANCEL) == IDRETRY;
    }
    void ItemDone(int32_t step) override {
        SendMessageA(bar_, PBM_DELTAPOS, step, 0);
        ServeOneInputMessage(dialog_);
    }
    bool CancelRequested() override { return InstallCancelled; }
    void Completed() override {
        // The Next button is disabled; the command is delivered all the
        // same, so the finish page is entered (and the record written)
        // before the engine closes its logs. Leaving this page has hidden
        // its controls; the finish page shows the step line again, with the
        // last step.
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_NEXT)));
    }

private:
    HWND dialog_;
    HWND bar_;
};

}  // namespace

int32_t TPageReadyForInstall::Enter() {
    ShowTextArea(Wnd, 1, 2);
    SetText(Wnd, "You are now ready to install ",
            "Press the Start button to begin the installation or the Back button to reenter the "
            "installation information.");
    SetDlgItemTextA(Wnd, IDC_NEXT, "Start");
    SetFocus(GetDlgItem(Wnd, IDC_NEXT));
    return 1;
}

int32_t TPageReadyForInstall::Leave() {
    SetDlgItemTextA(Wnd, IDC_NEXT, "&Next >");
    return 1;
}

int32_t TPageProgress::Enter() {
    ShowProgress(Wnd, true);
    // The keyboard stays with the dialog while Start and Back are disabled:
    // Esc, Enter and Space then reach Cancel.
    SetFocus(GetDlgItem(Wnd, IDCANCEL));
    EnableWindow(GetDlgItem(Wnd, IDC_NEXT), FALSE);
    EnableWindow(GetDlgItem(Wnd, IDC_BACK), FALSE);
    UpdateWindow(Wnd);
    SetText(Wnd, "Performing install of the ", "Please wait...");
    return RunInstall();
}

int32_t TPageProgress::Leave() {
    ShowProgress(Wnd, false);
    return 1;
}

int32_t TPageProgress::RunInstall() {
    TWizardRun view(Wnd);
    TInstallOutcome outcome = RunInstallScript(&view);
    AnsiString text = StoppedRunText(outcome);
    if (!text.IsEmpty()) {
        MessageBoxA(Wnd, text.CStr(), "Install", MB_OK);
        EndDialog(Wnd, IDCANCEL);
    }
    return 1;
}

int32_t TPageFinish::Enter() {
    ShowControl(Wnd, IDC_BACK, false);
    ShowControl(Wnd, IDC_NEXT, false);
    ShowControl(Wnd, IDC_STEP, true);
    HWND finish = GetDlgItem(Wnd, IDCANCEL);
    SetFocus(finish);
    SendMessageA(finish, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetText(Wnd, "Setup has finished installing ", "Click Finish to exit Setup.");
    SetDlgItemTextA(Wnd, IDCANCEL, "Finish");
    return WriteInstallRecord() ? 1 : 0;
}

int32_t TPageFinish::Leave() { return 1; }
