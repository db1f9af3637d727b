// Benchmark (prints figures; asserts nothing): a full install through the
// wizard of the typical selection (Delphi 7 and the help files), and the
// replay of a full uninstall log, as an update performs it.
//
// The install loop serves one input message per script item. A feeder
// thread keeps a mouse message waiting all the time, and a message hook on
// the wizard's thread notes when each is served, with the progress bar's
// position; the longest gap between two served messages is the longest time
// the window did not answer. Gaps that span a package compilation are the
// fake compiler's own time and are set aside.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "catalogue/UConst.h"
#include "controls/UbrcCheckListBox.h"
#include "FakeIde.h"
#include "resources/UResources.h"
#include "script/UScript.h"
#include "script/UScriptItems.h"
#include "TestSupport.h"
#include "uninstall/UDeinstall.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"
#include "wizard/UPage.h"
#include "WizardDriver.h"

namespace {

struct Served {
    LARGE_INTEGER time;
    int position;  // progress bar: the items done
};

std::vector<Served> served;
HWND progressBar = nullptr;
volatile bool feeding = false;

LRESULT CALLBACK NoteServed(int code, WPARAM removal, LPARAM message) {
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_MOUSEMOVE && progressBar) {
        Served entry;
        QueryPerformanceCounter(&entry.time);
        entry.position = static_cast<int>(SendMessageA(progressBar, PBM_GETPOS, 0, 0));
        served.push_back(entry);
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

DWORD WINAPI Feed(void* dialog) {
    while (feeding) {
        // A mouse move outside every control: served and ignored.
        PostMessageA(static_cast<HWND>(dialog), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        Sleep(1);
    }
    return 0;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

bool HasCompilation(int fromItem, int toItem) {
    for (int i = std::max(fromItem, 0); i <= toItem && i < ScriptItemCount; ++i) {
        if (ItemOpcode(ScriptItems[i]) == siCompilePackage) return true;
    }
    return false;
}

struct InstallFigures {
    double total, compiling, worstGap;
    int worstItem;
};

InstallFigures WizardInstall(const std::string& folder) {
    WizardDriver wizard;
    wizard.Press(IDC_NEXT);
    for (int row : {9, 10}) wizard.ClickRow(row);  // Delphi 7 and the help files
    wizard.Press(IDC_NEXT);
    wizard.SetFolder(folder);
    wizard.Press(IDC_NEXT);

    served.clear();
    progressBar = wizard.Control(IDC_PROGRESS);
    DWORD threadId = GetWindowThreadProcessId(wizard.Dialog(), nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, NoteServed, nullptr, threadId);
    feeding = true;
    HANDLE feeder = CreateThread(nullptr, 0, Feed, wizard.Dialog(), 0, nullptr);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    wizard.PressLater(IDC_NEXT);
    wizard.WaitForFinishPage(600000);
    QueryPerformanceCounter(&end);
    feeding = false;
    WaitForSingleObject(feeder, INFINITE);
    CloseHandle(feeder);
    UnhookWindowsHookEx(hook);
    progressBar = nullptr;
    wizard.Press(IDCANCEL);
    wizard.WaitForEnd(60000);

    InstallFigures figures{Seconds(start, end), 0, 0, -1};
    for (size_t i = 1; i < served.size(); ++i) {
        double gap = Seconds(served[i - 1].time, served[i].time);
        if (HasCompilation(served[i - 1].position, served[i].position)) {
            figures.compiling += gap;
        } else if (gap > figures.worstGap) {
            figures.worstGap = gap;
            figures.worstItem = served[i].position;
        }
    }
    return figures;
}

// Installs everything for all eight supported IDEs with the engine, then
// times the replay of that installation's uninstall log.
double ReplaySeconds(const std::string& folder, uint32_t* records) {
    InstallVersions = 0;
    for (TBorlandProduct& product : BorlandProducts) {
        product.Selected = product.Installed;
        if (product.Installed) InstallVersions |= product.Mask;
    }
    InstallItems = 0x7FF;
    InstallDir = folder.c_str();
    {
        TScript script(TakeBackEarlierInstallation);
        script.Start();
        for (; script.Index < script.ItemCount(); ++script.Index) script.ExecuteItem();
    }
    TDeinstall log;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    log.LoadLog((folder + "\\uninst.log").c_str());
    log.ReadHeader();
    *records = 0;
    TUninstallRecord record;
    log.Cursor = log.ReplayStart;
    while (log.NextRecord(&record)) ++*records;
    log.Run();
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    DetectPlatform();
    InitCheckListBoxes();
    ParkPointer();
    TempDir machine;
    CurrentDirectory current(machine.Path());
    std::vector<std::unique_ptr<FakeIde>> ides;
    ides.push_back(std::make_unique<FakeIde>(9, machine / "Borland\\Delphi7"));

    std::vector<double> rates, gaps, totals;
    int worstItem = -1;
    double worstOfAll = 0;
    for (int run = 0; run < runs; ++run) {
        RemoveInstallTraces();
        CheckedRows = 0;
        CurrentPage = 1;
        InstallFigures figures = WizardInstall(machine / ("Install" + std::to_string(run)));
        SetCurrentDirectoryA(machine.Path().c_str());
        double withoutCompiler = figures.total - figures.compiling;
        totals.push_back(figures.total);
        rates.push_back((ScriptItemCount - 4) / withoutCompiler);  // four compilations set aside
        gaps.push_back(figures.worstGap * 1000);
        if (figures.worstGap * 1000 > worstOfAll) {
            worstOfAll = figures.worstGap * 1000;
            worstItem = figures.worstItem;
        }
    }
    printf("wizard install of Delphi 7 and the help files, %d runs (medians):\n", runs);
    printf("  whole install                      %.2f s (with the fake compiler)\n", Median(totals));
    printf("  items per second without compiling %.0f\n", Median(rates));
    printf("  longest time without serving input %.1f ms (worst of all runs %.1f ms, at item %d, opcode 0x%x)\n",
           Median(gaps), worstOfAll, worstItem,
           worstItem >= 0 && worstItem < ScriptItemCount ? ItemOpcode(ScriptItems[worstItem]) : 0);
    printf("  target: no gap above 100 ms outside the compiler runs\n");

    RemoveInstallTraces();
    for (int index : {1, 2, 3, 5, 6, 7, 8}) {
        ides.push_back(std::make_unique<FakeIde>(index, machine / ("Borland\\IDE" + std::to_string(index))));
    }
    DetectIdes();
    std::vector<double> replays;
    uint32_t records = 0;
    for (int run = 0; run < runs; ++run) {
        replays.push_back(ReplaySeconds(machine / "Full", &records));
        SetCurrentDirectoryA(machine.Path().c_str());
        RemoveInstallTraces();
    }
    double replay = Median(replays);
    printf("replay of a full uninstall log (all eight IDEs and every part: %u records), %d runs:\n", records,
           runs);
    printf("  median %.3f s, %.0f records per second\n", replay, records / replay);
    ides.clear();
    DoneCheckListBoxes();
    return 0;
}
