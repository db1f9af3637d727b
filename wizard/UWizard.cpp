#include "wizard/UWizard.h"

#include <windows.h>
#include <commctrl.h>

#include "resources/UResources.h"
#include "uninstall/UDeinstall.h"
#include "util/ULateBound.h"
#include "util/UScoped.h"
#include "wizard/UFolderText.h"
#include "wizard/UPage.h"
#include "wizard/UPageDirectory.h"
#include "wizard/UPageInstall.h"
#include "wizard/UPageSelect.h"

namespace {

// "VL_ILABEL": the system's static class with the hand for a cursor, for
// the maker's link.
void RegisterLinkLabelClass(HINSTANCE instance) {
    WNDCLASSA label{};
    GetClassInfoA(instance, "Static", &label);
    label.hCursor = LoadCursorA(nullptr, IDC_HAND);
    label.lpszClassName = "VL_ILABEL";
    label.hInstance = instance;
    RegisterClassA(&label);
}

}  // namespace

void RunWizard() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // The common controls register the progress bar's window class.
    if (auto initCommonControls = LateBound<decltype(&InitCommonControls)>("comctl32.dll", "InitCommonControls")) {
        initCommonControls();
    }
    RegisterLinkLabelClass(instance);
    TPageSelectDelphi* select = new TPageSelectDelphi;
    Pages[0] = new TPageWelcome;
    Pages[1] = select;
    Pages[2] = new TPageSelectDirectory;
    Pages[3] = new TPageReadyForInstall;
    Pages[4] = new TPageProgress;
    Pages[5] = new TPageFinish;
    // The pages start from the command line's choice. One that refuses it is
    // where the wizard starts, saying why in a box over it.
    AnsiString refusal = select->Preset();
    CurrentPage = refusal.IsEmpty() ? 1 : 2;
    if (refusal.IsEmpty() && CommandChoice.HasFolder) {
        AnsiString folder;
        refusal = CommandFolderRefusal(EarlierInstallFolder(), &folder);
        if (!refusal.IsEmpty()) CurrentPage = 3;
    }
    InstallCancelled = false;
    EarlierInstallRemoved = false;
    TGdiObject<HFONT> linkFont(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    LinkFont = linkFont.Get();
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, WizardDlgProc,
                        reinterpret_cast<LPARAM>(&refusal)) < 0) {
        MessageBoxA(nullptr, "Error in create dialog", "Error", MB_OK);
    }
    for (TPage*& page : Pages) {
        delete page;
        page = nullptr;
    }
}
