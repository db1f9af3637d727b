#include "WizardDriver.h"

#include <filesystem>
#include <fstream>

#include "catalogue/UConst.h"
#include "controls/UbrcCheckListBox.h"
#include "resources/UResources.h"
#include "resources/version.h"
#include "TestSupport.h"
#include "wizard/UPage.h"
#include "wizard/UWizard.h"

namespace {

DWORD WINAPI WizardThread(void*) {
    RunWizard();
    return 0;
}

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (WindowClass(window) == "#32770" && WindowText(window) == search->caption &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForThreadDialog(DWORD threadId, const char* caption, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start <= timeoutMs; Sleep(5)) {
        Search search{caption, nullptr};
        EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

const std::string WizardCaption = "Installation Wizard for Vellorin library v" VL_VERSION_SHORT;

}  // namespace

WizardDriver::WizardDriver() {
    // The wizard loads these when it first needs them. Loaded here first, so
    // that their start-up, under the loader lock, never runs on the wizard's
    // thread while this thread is inside the window system (a deadlock
    // setup.exe, with its one thread, cannot meet).
    LoadLibraryA("comctl32.dll");
    LoadLibraryA("shell32.dll");
    MeasureCheckBoxes();
    running_ = CreateThread(nullptr, 0, WizardThread, nullptr, 0, &threadId_);
    dialog_ = WaitForThreadDialog(threadId_, WizardCaption.c_str(), 20000);
}

WizardDriver::WizardDriver(const std::string& commandLine, const std::string& currentDir)
    : inProcess_(false) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, currentDir.c_str(),
                        &startup, &process)) {
        return;
    }
    CloseHandle(process.hThread);
    running_ = process.hProcess;
    FindDialog(process.dwProcessId);
}

namespace {

struct ProcessDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ProcessDialog*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && WindowText(window) == WizardCaption && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void WizardDriver::FindDialog(DWORD processId) {
    for (DWORD start = GetTickCount(); GetTickCount() - start <= 60000; Sleep(10)) {
        ProcessDialog search{processId, nullptr};
        EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            dialog_ = search.found;
            threadId_ = GetWindowThreadProcessId(dialog_, nullptr);
            return;
        }
        if (WaitForSingleObject(running_, 0) == WAIT_OBJECT_0) return;
    }
}

WizardDriver::~WizardDriver() {
    if (!running_) return;
    if (WaitForSingleObject(running_, 0) == WAIT_TIMEOUT && dialog_) {
        // Whatever box is open first, then the wizard itself.
        for (const char* caption : {"Error", "Install", "Customize...", "Browse for Folder"}) {
            if (HWND box = WaitForThreadDialog(threadId_, caption, 0)) Answer(box, IDCANCEL);
        }
        PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
        if (HWND question = WaitForThreadDialog(threadId_, "Install", 5000)) Answer(question, IDYES);
    }
    if (WaitForSingleObject(running_, 60000) == WAIT_TIMEOUT && !inProcess_) {
        TerminateProcess(running_, 1);
    }
    CloseHandle(running_);
}

std::string WizardDriver::Text(int id) const {
    char text[4096];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(Control(id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             60000, &length)) {
        return std::string();
    }
    return std::string(text, length < sizeof text ? static_cast<size_t>(length) : 0);
}

bool WizardDriver::HasFocus(int id, DWORD waitMs) const {
    for (DWORD start = GetTickCount();; Sleep(5)) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        if (info.hwndFocus == Control(id)) return true;
        if (GetTickCount() - start >= waitMs) return false;
    }
}

namespace {

// How long a check that something does not happen waits for it to happen.
const DWORD GraceMs = 500;

}  // namespace

bool WizardDriver::Press(int id) {
    HWND button = Control(id);
    if (!button || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
    DWORD_PTR result;
    return SendMessageTimeoutA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                               SMTO_NORMAL, 60000, &result) != 0;
}

void WizardDriver::Sync() const {
    DWORD_PTR result;
    SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
}

void WizardDriver::PressLater(int id) {
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

void WizardDriver::PostMouseClick(int id) {
    PostMessageA(Control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(Control(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

bool WizardDriver::PressKey(UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info) || !info.hwndFocus) return false;
    PostMessageA(info.hwndFocus, WM_KEYDOWN, key, 1);
    PostMessageA(info.hwndFocus, WM_KEYUP, key, 0xC0000001);
    return true;
}

void WizardDriver::SetFolder(const std::string& folder) {
    SendMessageA(Control(IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
}

bool WizardDriver::Type(const std::wstring& text) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info) || !info.hwndFocus) return false;
    PostMessageW(info.hwndFocus, EM_SETSEL, 0, -1);
    for (wchar_t c : text) PostMessageW(info.hwndFocus, WM_CHAR, c, 1);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(5)) {
        wchar_t shown[1024];
        LRESULT length = SendMessageW(info.hwndFocus, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(shown));
        if (std::wstring(shown, length > 0 ? static_cast<size_t>(length) : 0) == text) return true;
    }
    return false;
}

std::vector<unsigned> WizardDriver::RowStates() const {
    std::vector<unsigned> states;
    LRESULT count = SendMessageA(Control(IDC_LIST), LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        states.push_back(static_cast<unsigned>(SendMessageA(Control(IDC_LIST), LB_GETITEMDATA, row, 0)));
    }
    return states;
}

bool WizardDriver::ClickRow(int row) {
    HWND list = Control(IDC_LIST);
    const unsigned before = static_cast<unsigned>(SendMessageA(list, LB_GETITEMDATA, row, 0));
    // Scrolled into view first, as a user would; the list shows fewer lines than it has.
    SendMessageA(list, LB_SETCURSEL, row, 0);
    RECT line;
    SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&line));
    POINT point{line.left + 40, (line.top + line.bottom) / 2};
    // The pointer is taken to the line first, as the user's hand takes it.
    // The list follows the pointer while the button is down: a mouse move
    // that the display reports between press and release (a window of
    // another program opening, say) then finds the line clicked, not the
    // corner where the pointer waits.
    POINT screen = point;
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(5)) {
        POINT now;
        if (GetCursorPos(&now) && now.x == screen.x && now.y == screen.y) break;
    }
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    ParkPointer();
    // The click toggles the line's check mark, unless the line is disabled.
    const unsigned expected = before & clbDisabled ? before : before ^ clbChecked;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(5)) {
        if (static_cast<unsigned>(SendMessageA(list, LB_GETITEMDATA, row, 0)) == expected) return true;
    }
    return false;
}

void WizardDriver::SpaceOnRow(int row) {
    SendMessageA(Control(IDC_LIST), LB_SETCURSEL, row, 0);
    SendMessageA(Control(IDC_LIST), WM_CHAR, ' ', 0);
}

HWND WizardDriver::WaitForBox(const char* caption, DWORD timeoutMs) const {
    return WaitForThreadDialog(threadId_, caption, timeoutMs);
}

bool WizardDriver::ShowsNoBox(const char* caption) const {
    Sync();
    return WaitForBox(caption, GraceMs) == nullptr;
}

HWND WizardDriver::WaitForWindow(const char* caption, DWORD timeoutMs) const {
    return WaitForThreadDialog(threadId_, caption, timeoutMs);
}

void WizardDriver::Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

void WizardDriver::AnswerAndWait(HWND box, int button) const {
    Answer(box, button);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 60000;) Sleep(5);
}

bool WizardDriver::WaitForPage(int page, DWORD timeoutMs) const {
    for (DWORD start = GetTickCount(); GetTickCount() - start <= timeoutMs; Sleep(5)) {
        if (CurrentPage == page) return true;
    }
    return false;
}

bool WizardDriver::WaitForFinishPage(DWORD timeoutMs) const {
    for (DWORD start = GetTickCount(); GetTickCount() - start <= timeoutMs; Sleep(10)) {
        if (Text(IDCANCEL) == "Finish") return true;
    }
    return false;
}

bool WizardDriver::WaitForEnd(DWORD timeoutMs) {
    return running_ && WaitForSingleObject(running_, timeoutMs) == WAIT_OBJECT_0;
}

bool WizardDriver::StaysOpen() {
    Sync();
    return !WaitForEnd(GraceMs);
}

void WizardDriver::Kill() {
    if (inProcess_ || !running_) return;
    TerminateProcess(running_, 9);
    WaitForSingleObject(running_, 60000);
}

DWORD WizardDriver::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (!inProcess_ && running_) GetExitCodeProcess(running_, &code);
    return code;
}

namespace {

// The screen under a window, as the bits of a bottom-up 24-bit DIB.
std::string CaptureWindow(HWND window, BITMAPINFOHEADER* header) {
    RECT rect;
    GetWindowRect(window, &rect);
    *header = BITMAPINFOHEADER{};
    header->biSize = sizeof *header;
    header->biWidth = rect.right - rect.left;
    header->biHeight = rect.bottom - rect.top;
    header->biPlanes = 1;
    header->biBitCount = 24;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header->biWidth, header->biHeight, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    size_t rowBytes = (static_cast<size_t>(header->biWidth) * 3 + 3) & ~size_t(3);
    std::string image(static_cast<const char*>(bits), rowBytes * header->biHeight);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

}  // namespace

void WizardDriver::Screenshot(const std::string& name, DWORD settleMs) const {
    if (settleMs > 0) {
        RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    BITMAPINFOHEADER header;
    std::string image = CaptureWindow(dialog_, &header);
    for (DWORD start = GetTickCount(); GetTickCount() - start < settleMs;) {
        Sleep(100);
        std::string again = CaptureWindow(dialog_, &header);
        if (again == image) break;
        image = std::move(again);
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + image.size());
    std::string folder = screenshotFolder_.empty() ? BuildFile("screenshots") : screenshotFolder_;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
}

void ParkPointer() { SetCursorPos(0, 0); }
