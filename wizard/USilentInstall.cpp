#include "wizard/USilentInstall.h"

#include "catalogue/UConst.h"
#include "uninstall/UDeinstall.h"
#include "util/UPaths.h"
#include "wizard/UFolderText.h"
#include "wizard/UInstallRecord.h"
#include "wizard/UInstallRun.h"
#include "wizard/USelection.h"

namespace {

// The install with nothing to show: a failing item is its line in
// install.log, and nobody can cancel.
class TSilentRun : public TInstallObserver {
public:
    void Started(int32_t, bool) override {}
    void ShowStep(const AnsiString&) override {}
    bool ReportFailure(const AnsiString&, bool) override { return false; }
    void ItemDone(int32_t) override {}
    bool CancelRequested() override { return false; }
    // What the finish page does.
    void Completed() override { RecordWritten = WriteInstallRecord(); }

    bool RecordWritten = false;
};

}  // namespace

int RunSilentInstall() {
    // The IDE page: preset at its first entry, then left as it is.
    TInstallRecord record = ReadInstallRecord();
    PresetChoice(record);
    ComputeSelectionMasks();
    // With no row checked the page would not let the user go on.
    if (InstallItems == 0) return SilentRefused;

    // The folder page: its proposal (an update's folder, which the install
    // uses whatever the page says), taken as it is, and refused where its
    // Next would refuse it.
    AnsiString proposed = EarlierInstallFolder(), folder;
    if (proposed.IsEmpty()) proposed = ProposedInstallFolder(record.RootDir);
    if (CheckInstallFolder(proposed, &folder) != fpNone) return SilentRefused;
    InstallDir = folder;

    TSilentRun run;
    TInstallOutcome outcome = RunInstallScript(&run);
    return outcome.FailedItems == 0 && run.RecordWritten ? SilentSucceeded : SilentItemsFailed;
}
