#include "UPageInstall.h"

#include <commctrl.h>

#include "UConst.h"
#include "UInstallRecord.h"
#include "UItemError.h"
#include "UResources.h"
#include "UScript.h"

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
void ServeOneInputMessage() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_KEYFIRST, LastKeyboardMessage, PM_REMOVE) ||
        PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSEWHEEL, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

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
    HWND bar = GetDlgItem(Wnd, IDC_PROGRESS);
    {
        TScript script;
        script.Start();
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, script.ItemCount() - 1));
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        AnsiString caption;
        while (script.Index < script.ItemCount()) {
            script.ItemCaption(&caption);
            SetDlgItemTextA(Wnd, IDC_STEP, caption.CStr());
            int32_t code = script.ExecuteItem();
            if (code != 0) {
                AnsiString report = ItemErrorText(script.Index, code,
                                                  ScriptItems[script.Index].Id, script.LogLine);
                MessageBoxA(Wnd, report.CStr(), "Error", MB_OK);
            }
            SendMessageA(bar, PBM_DELTAPOS, script.ItemStep(), 0);
            ++script.Index;
            ServeOneInputMessage();
        }
        // The Next button is disabled; the command is delivered all the same,
        // so the finish page is entered (and the record written) before the
        // engine closes its logs. Leaving this page has hidden its controls;
        // the finish page shows the step line again, with the last step.
        SendMessageA(Wnd, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Wnd, IDC_NEXT)));
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
