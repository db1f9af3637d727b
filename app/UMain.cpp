// The program entry: reads the switches and performs one run mode.
#include <stdlib.h>
#include <windows.h>

#include "UPayload.h"
#include "URegistry.h"
#include "USingleInstance.h"
#include "USwitches.h"
#include "UWizard.h"
#include "UbrcCheckListBox.h"

namespace {

const char ParametersText[] =
    "Brindlecraft setup parameters description:\r\n"
    "  /C - Copy files only. No package,help registration;\r\n"
    "  /E - Enable controls even if previous version installed;\r\n"
    "  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    "  /? - Parameters description.";

}  // namespace

void ParseSwitches() { ParseSwitchList(__argc, __argv); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    DetectPlatform();
    InitCheckListBoxes();
    ParseSwitches();
    if (ShowParameters) {
        MessageBoxA(nullptr, ParametersText, "Parameters description", MB_OK);
    } else if (ExtractOnly) {
        ExtractAllPayload();
    } else if (TSingleInstance instance; !instance.Acquired()) {
        MessageBoxA(nullptr, AlreadyRunningText, "Install", MB_OK);
    } else {
        RunWizard();
    }
    DoneCheckListBoxes();
    return 0;
}
