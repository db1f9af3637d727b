#include "wizard/UPageDirectory.h"

#include <shlobj.h>

#include "catalogue/UConst.h"
#include "resources/UResources.h"
#include "uninstall/UDeinstall.h"
#include "util/UFileTree.h"
#include "util/ULateBound.h"
#include "util/UPathText.h"
#include "util/URunState.h"
#include "util/USecurity.h"
#include "wizard/UFolderText.h"
#include "wizard/UInstallRecord.h"

namespace {

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM page) {
    if (message == BFFM_INITIALIZED) PlaceBrowseWindow(reinterpret_cast<TPageSelectDirectory*>(page), browser);
    return 0;
}

}  // namespace

int32_t TPageSelectDirectory::Enter() {
    if (FirstEntry) {
        PrevRootDir = ReadInstallRecord().RootDir;
        UpdateFolder = EarlierInstallFolder();
        if (!UpdateFolder.IsEmpty()) {
            Folder = UpdateFolder;
        } else {
            Folder = CommandChoice.HasFolder ? NormalizedFolder(CommandChoice.Folder) : ProposedInstallFolder(PrevRootDir);
        }
        FirstEntry = false;
    } else {
        Folder = InstallDir;
    }
    ShowTextArea(Wnd, 1, 2);
    AnsiString text = AnsiString("Setup will install ") + ProductName +
                      " into following folder, click Browse, and select another folder.\r\n\r\n"
                      "You can choose not to install " + ProductName + " by clicking Cancel to exit Setup.";
    SetDlgItemTextA(Wnd, IDC_TEXT, text.CStr());
    ShowControl(Wnd, IDC_BROWSE, true);
    ShowControl(Wnd, IDC_FOLDER_GROUP, true);
    ShowControl(Wnd, IDC_FOLDER, true);
    bool update = !UpdateFolder.IsEmpty();
    SendDlgItemMessageA(Wnd, IDC_FOLDER, EM_SETREADONLY, update, 0);
    EnableWindow(GetDlgItem(Wnd, IDC_BROWSE), !update);
    ShowFolder();
    return 1;
}

AnsiString TPageSelectDirectory::FieldText() const {
    char folder[MAX_PATH];
    LRESULT length = SendDlgItemMessageA(Wnd, IDC_FOLDER, WM_GETTEXT, sizeof folder,
                                         reinterpret_cast<LPARAM>(folder));
    return AnsiString(folder, length > 0 && length < LRESULT(sizeof folder) ? static_cast<size_t>(length) : 0);
}

bool TPageSelectDirectory::AcceptNext() {
    AnsiString folder, other;
    TFolderProblem problem = CheckInstallFolder(FieldText(), &folder, &other);
    if (problem != fpNone) {
        MessageBoxA(Wnd, FolderProblemText(problem, folder, other).CStr(), "Install", MB_OK);
        SetFocus(GetDlgItem(Wnd, IDC_FOLDER));
        return false;
    }
    // A folder that holds files is the user's, unless it is the earlier
    // installation's: its files of the same names would be replaced. No is
    // the answer that changes nothing, and so the default.
    if (FolderHoldsEntries(folder.CStr()) && !IsSameFolder(folder, PrevRootDir) && !IsSameFolder(folder, UpdateFolder) &&
        MessageBoxA(Wnd, ExistingFolderQuestion(folder, OthersCanChangePath(folder)).CStr(), "Install",
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        SetFocus(GetDlgItem(Wnd, IDC_FOLDER));
        return false;
    }
    return true;
}

int32_t TPageSelectDirectory::Leave() {
    InstallDir = NormalizedFolder(FieldText());
    ShowControl(Wnd, IDC_BROWSE, false);
    ShowControl(Wnd, IDC_FOLDER_GROUP, false);
    ShowControl(Wnd, IDC_FOLDER, false);
    return 1;
}

INT_PTR TPageSelectDirectory::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND || LOWORD(wParam) != IDC_BROWSE) return 0;
    if (BrowseForFolder()) {
        // The earlier installation's own folder is taken as it is.
        if (Folder != PrevRootDir && !Folder.IsEmpty()) Folder = WithProductFolder(Folder);
        ShowFolder();
    }
    return 1;
}

bool TPageSelectDirectory::BrowseForFolder() {
    Folder = AnsiString();
    auto getMalloc = LateBound<decltype(&SHGetMalloc)>("shell32.dll", "SHGetMalloc");
    auto browse = LateBound<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    auto pathFromItem = LateBound<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    IMalloc* allocator = nullptr;
    if (!getMalloc || !browse || !pathFromItem || FAILED(getMalloc(&allocator))) return false;
    bool chosen = false;
    char* buffer = static_cast<char*>(allocator->Alloc(MAX_PATH));
    if (buffer) {
        buffer[0] = '\0';
        AnsiString title = AnsiString("Select directory for ") + ProductName;
        BROWSEINFOA info{};
        info.hwndOwner = Wnd;
        info.pszDisplayName = buffer;
        info.lpszTitle = title.CStr();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(this);
        if (LPITEMIDLIST item = browse(&info)) {
            chosen = true;
            pathFromItem(item, buffer);
            allocator->Free(item);
            Folder = buffer;
        }
        allocator->Free(buffer);
    }
    allocator->Release();
    return chosen;
}

void TPageSelectDirectory::ShowFolder() {
    HWND edit = GetDlgItem(Wnd, IDC_FOLDER);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Folder.CStr()));
    SendMessageA(edit, EM_SETSEL, Folder.Length(), Folder.Length());
    SetFocus(edit);
}

void PlaceBrowseWindow(TPageSelectDirectory* page, HWND browser) {
    RECT work, button, own;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(GetDlgItem(page->Wnd, IDC_BROWSE), &button);
    GetWindowRect(browser, &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = button.right - width;
    int y = button.bottom + 1;
    if (y + height > work.bottom) y = work.bottom - height;
    SetWindowPos(browser, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}
