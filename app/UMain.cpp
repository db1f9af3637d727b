// The program entry: reads the switches and performs one run mode.
#include <stdlib.h>
#include <windows.h>

#include "app/UExtract.h"
#include "app/USwitches.h"
#include "controls/UbrcCheckListBox.h"
#include "util/UCodePage.h"
#include "util/UPayload.h"
#include "util/URegistry.h"
#include "util/USingleInstance.h"
#include "util/USystemLibraries.h"
#include "wizard/USilentInstall.h"
#include "wizard/UWizard.h"

namespace {

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

// The install modes, one at a time on the machine. Only the unattended one
// tells its outcome by its exit code; it never shows a window.
int Install() {
    TSingleInstance instance(SilentInstall ? UnattendedWaitMs : EndingGraceMs);
    if (!instance.Acquired()) {
        if (SilentInstall) return SilentAnotherRunning;
        MessageBoxA(nullptr, AlreadyRunningText, "Install", MB_OK);
        return 0;
    }
    if (SilentInstall) return RunSilentInstall();
    RunWizard();
    return 0;
}

}  // namespace

void ParseSwitches() { ParseSwitchList(__argc, __argv); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    DetectPlatform();
    LoadSystemCodePage();
    InitCheckListBoxes();
    ParseSwitches();
    int exitCode = 0;
    if (ShowParameters) {
        MessageBoxA(nullptr, ParametersText, "Parameters description", MB_OK);
    } else if (ExtractOnly) {
        ExtractAllPayload();
    } else {
        exitCode = Install();
    }
    DoneCheckListBoxes();
    return exitCode;
}
