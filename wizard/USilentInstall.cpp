#include "wizard/USilentInstall.h"

#include "catalogue/UConst.h"
#include "script/UScript.h"
#include "uninstall/UDeinstall.h"
#include "util/UConsole.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"
#include "util/UTextFile.h"
#include "wizard/UFolderText.h"
#include "wizard/UInstallRecord.h"
#include "wizard/UInstallRun.h"
#include "wizard/USelection.h"

namespace {

// Where the unattended install says what it could not do: the console of a
// build script that started it, and the file that /LOG= names.
class TSilentReport {
public:
    // False, with the reason said on the console, when the /LOG= file cannot
    // be made: it is made new, and never through a link in its place.
    bool Open() {
        if (!CommandChoice.HasLog) return true;
        const AnsiString& path = CommandChoice.LogPath;
        log_.Reset(CreateFileA(path.CStr(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (log_.IsValid()) return true;
        AnsiString why = FailureReason(static_cast<int32_t>(GetLastError()));
        console_.Line(AnsiString("The log file ") + path + " cannot be made: " + why);
        return false;
    }
    // A refusal or a failed item, on one line.
    void Say(const AnsiString& text) {
        AnsiString line;
        for (size_t i = 0; i < text.Length(); ++i) {
            if (text[i] == '\r') continue;
            line += text[i] == '\n' ? ' ' : text[i];
        }
        console_.Line(line);
        Write(line + "\r\n");
    }
    // The run's install.log, as it stands in the install folder.
    void CopyInstallLog() {
        TScopedFile file(INVALID_HANDLE_VALUE);
        AnsiString text;
        if (log_.IsValid() && OpenForReadingNoFollow(JoinPath(InstallDir, InstallLogName), &file) &&
            ReadWholeFile(file.Get(), &text, MaxCopiedLog) == 0) {
            Write(text);
        }
    }

private:
    static const uint32_t MaxCopiedLog = 4 * 1024 * 1024;
    void Write(const AnsiString& bytes) {
        DWORD written;
        if (log_.IsValid()) WriteFile(log_.Get(), bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, nullptr);
    }
    TConsoleLines console_;
    TScopedFile log_{INVALID_HANDLE_VALUE};
};

// The install with nothing to show: a failing item is its line in
// install.log and the report's, and nobody can cancel.
class TSilentRun : public TInstallObserver {
public:
    explicit TSilentRun(TSilentReport* report) : report_(report) {}
    void Started(int32_t, bool) override {}
    void ShowStep(const AnsiString&) override {}
    bool ReportFailure(const AnsiString& report, bool) override {
        // Its first line numbers the item; what it did and why follow.
        const char* text = report.CStr();
        const char* rest = text;
        while (*rest && *rest != '\n') ++rest;
        report_->Say(*rest ? AnsiString(rest + 1) : report);
        return false;
    }
    void ItemDone(int32_t) override {}
    bool CancelRequested() override { return false; }
    // What the finish page does.
    void Completed() override { RecordWritten = WriteInstallRecord(); }

    bool RecordWritten = false;

private:
    TSilentReport* report_;
};

// The folder of the install: the earlier installation's (an update goes
// there), else /DIR=, else what the folder page proposes; checked as the
// page checks it. Empty, with the reason said, when refused.
AnsiString ChosenFolder(const TInstallRecord& record, TSilentReport* report) {
    AnsiString earlier = EarlierInstallFolder(), folder, other, refusal;
    if (CommandChoice.HasFolder) {
        refusal = CommandFolderRefusal(earlier, &folder);
    } else {
        AnsiString proposed = earlier.IsEmpty() ? ProposedInstallFolder(record.RootDir) : earlier;
        refusal = FolderProblemText(CheckInstallFolder(proposed, &folder, &other), folder, other);
    }
    if (refusal.IsEmpty()) return folder;
    report->Say(refusal);
    return AnsiString();
}

}  // namespace

int RunSilentInstall() {
    TSilentReport report;
    if (!report.Open()) return SilentRefused;
    // The choice the IDE page starts from.
    TInstallRecord record = ReadInstallRecord();
    AnsiString name;
    TChoiceProblem problem = PresetChoice(record, &name);
    if (problem != cpNone) {
        report.Say(ChoiceProblemText(problem, name));
        return SilentRefused;
    }
    // With no row checked the page would not let the user go on.
    if (InstallItems == 0) {
        report.Say(ChoiceProblemText(cpNothingChosen, name));
        return SilentRefused;
    }

    AnsiString folder = ChosenFolder(record, &report);
    if (folder.IsEmpty()) return SilentRefused;
    InstallDir = folder;

    TSilentRun run(&report);
    TInstallOutcome outcome = RunInstallScript(&run);
    AnsiString stopped = StoppedRunText(outcome);
    if (!stopped.IsEmpty()) report.Say(stopped);
    report.CopyInstallLog();
    return outcome.FailedItems == 0 && run.RecordWritten ? SilentSucceeded : SilentItemsFailed;
}
