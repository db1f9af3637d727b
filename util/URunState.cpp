#include "util/URunState.h"

#include "util/UProducts.h"

bool CopyOnly = false;
bool EnableControls = false;
bool ShowParameters = false;
bool ExtractOnly = false;
bool SilentInstall = false;

TCommandChoice CommandChoice;

uint32_t InstallVersions = 0;
uint32_t InstallItems = 0;
uint32_t CustomizeItems = 5;
uint32_t CheckedRows = 0;

AnsiString InstallDir;
int32_t CurrentIdeIndex = 0;
AnsiString HelpDir;

int32_t CurrentPage = 1;
bool InstallCancelled = false;
bool EarlierInstallRemoved = false;

void ResetRunState() {
    CopyOnly = EnableControls = ShowParameters = ExtractOnly = SilentInstall = false;
    CommandChoice = TCommandChoice();
    InstallVersions = InstallItems = 0;
    CustomizeItems = 5;
    CheckedRows = 0;
    InstallDir = AnsiString();
    CurrentIdeIndex = 0;
    HelpDir = AnsiString();
    CurrentPage = 1;
    InstallCancelled = EarlierInstallRemoved = false;
    for (TBorlandProduct& product : BorlandProducts) {
        product.RootDir = AnsiString();
        product.Installed = product.Selected = false;
    }
}
