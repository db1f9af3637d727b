// The program entry: reads the switches and performs one run mode.
#include <stdlib.h>
#include <windows.h>

#include "UPayload.h"
#include "URegistry.h"
#include "USwitches.h"

namespace {

const char ParametersText[] =
    "Brindlecraft setup parameters description:\r\n"
    "  /C - Copy files only. No package,help registration;\r\n"
    "  /E - Enable controls even if previous version installed;\r\n"
    "  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    "  /? - Parameters description.";

// The installation wizard is not part of this build yet; say so rather than
// end silently or pretend to have installed anything.
void RunWizard() {
    MessageBoxA(nullptr,
                "The installation wizard is not available in this build.\r\n"
                "Run setup.exe /X to extract the files, or /? for the parameters.",
                "Install", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void ParseSwitches() { ParseSwitchList(__argc, __argv); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    DetectPlatform();
    ParseSwitches();
    if (ShowParameters) {
        MessageBoxA(nullptr, ParametersText, "Parameters description", MB_OK);
    } else if (ExtractOnly) {
        ExtractAllPayload();
    } else {
        RunWizard();
    }
    return 0;
}
