#include "wizard/UPage.h"

#include <shellapi.h>

#include "catalogue/UConst.h"
#include "resources/UResources.h"
#include "util/ULateBound.h"
#include "util/UScoped.h"

TPage* Pages[PageCount] = {};
HWND WizardWnd = nullptr;
HWND LinkLabel = nullptr;
HFONT LinkFont = nullptr;

namespace {

// The maker's name at the bottom left, drawn as a link.
void CreateLinkLabel(HWND dialog) {
    SIZE extent{};
    HDC dc = GetDC(dialog);
    {
        TSelectedObject selected(dc, LinkFont);
        GetTextExtentPoint32A(dc, ProductMaker, lstrlenA(ProductMaker), &extent);
    }
    ReleaseDC(dialog, dc);

    RECT back;
    GetWindowRect(GetDlgItem(dialog, IDC_BACK), &back);
    POINT corner{back.left, back.top};
    ScreenToClient(dialog, &corner);
    LinkLabel = CreateWindowExA(0, "VL_ILABEL", ProductMaker, WS_CHILD | WS_VISIBLE | SS_NOTIFY, 30,
                                corner.y + 4, extent.cx, extent.cy, dialog, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(LinkLabel, WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont), FALSE);
}

// Posted at the start when the command line's choice is refused, with the
// reason: the box shows once the wizard does.
const UINT WM_SAYREFUSAL = WM_APP + 1;

void InitWizard(HWND dialog, const AnsiString* refusal) {
    WizardWnd = dialog;
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconA(
                                             GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP))));
    AnsiString caption = AnsiString("Installation Wizard for ") + ProductNameAndVersion();
    SendMessageA(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.CStr()));
    CreateLinkLabel(dialog);
    Navigate(0);
    if (refusal && !refusal->IsEmpty()) PostMessageA(dialog, WM_SAYREFUSAL, 0, reinterpret_cast<LPARAM>(refusal));
}

// Esc, the close box and Cancel; on the finish page the same button reads
// "Finish" and closes without asking.
void Cancel(HWND dialog, WPARAM command) {
    // During an update the earlier installation is already gone: Yes leaves none.
    const char* question = CurrentPage == ProgressPage && EarlierInstallRemoved
                               ? "The earlier installation has already been removed. If you cancel now, the library "
                                 "will not be installed at all.\r\n\r\nAre you sure you want to cancel the install?"
                               : "Are you sure you want to cancel the install?";
    if (CurrentPage != PageCount && MessageBoxA(dialog, question, "Install", MB_YESNO) != IDYES) return;
    // The progress page is on show only while its install runs, which
    // ends the dialog itself once the run is taken back.
    if (CurrentPage == ProgressPage) {
        InstallCancelled = true;
    } else {
        EndDialog(dialog, static_cast<INT_PTR>(command));
    }
}

}  // namespace

INT_PTR TPage::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }
bool TPage::AcceptNext() { return true; }

void ShowTextArea(HWND dialog, int numerator, int denominator) {
    RECT picture, text;
    GetClientRect(GetDlgItem(dialog, IDC_PICTURE), &picture);
    HWND area = GetDlgItem(dialog, IDC_TEXT);
    GetWindowRect(area, &text);
    SetWindowPos(area, nullptr, 0, 0, text.right - text.left,
                 (picture.bottom - picture.top) * numerator / denominator,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void ShowControl(HWND dialog, int id, bool show) {
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

int32_t Navigate(int32_t delta) {
    for (;;) {
        int32_t target = CurrentPage + delta;
        if (target < 1 || target > PageCount) return 0;
        if (delta != 0) Pages[CurrentPage - 1]->Leave();
        CurrentPage = target;
        TPage* page = Pages[CurrentPage - 1];
        page->Wnd = WizardWnd;
        EnableWindow(GetDlgItem(WizardWnd, IDC_BACK), CurrentPage > 1);
        EnableWindow(GetDlgItem(WizardWnd, IDC_NEXT), CurrentPage < PageCount);
        int32_t code = page->Enter();
        if (code != NavigateBack && code != NavigateAgain && code != NavigateForward) return code;
        delta = code - NavigateAgain;
    }
}

INT_PTR CALLBACK WizardDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN) {
            POINT point{LOWORD(lParam), HIWORD(lParam)};
            if (LinkLabel && ChildWindowFromPoint(dialog, point) == LinkLabel) {
                auto shellExecute = LateBound<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
                if (shellExecute) {
                    shellExecute(GetDesktopWindow(), "open", ProductWebPage, "", "", SW_SHOWNORMAL);
                }
            }
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != LinkLabel || !LinkLabel) return 0;
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 192));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_INITDIALOG:
        InitWizard(dialog, reinterpret_cast<const AnsiString*>(lParam));
        return 1;
    case WM_SAYREFUSAL:
        // A dialog box shows once its queue is empty, which a box in
        // front of it would keep from happening.
        ShowWindow(dialog, SW_SHOW);
        MessageBoxA(dialog, reinterpret_cast<const AnsiString*>(lParam)->CStr(), "Install", MB_OK);
        return 1;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: Cancel(dialog, wParam); return 1;
        case IDC_NEXT: return Pages[CurrentPage - 1]->AcceptNext() ? Navigate(+1) : 0;
        case IDC_BACK: return Navigate(-1);
        default:
            return CurrentPage > 0 ? Pages[CurrentPage - 1]->HandleMessage(message, wParam, lParam) : 0;
        }
    default:
        return 0;
    }
}
