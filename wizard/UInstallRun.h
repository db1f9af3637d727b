// One install run, as the progress page and the unattended mode perform it:
// the engine over every script item, the installed size in the Add/Remove
// Programs entry, and, when the user cancels, the run taken back through its
// own uninstall log. What the user sees of it is up to the observer.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"

class TInstallObserver {
public:
    virtual ~TInstallObserver() = default;
    // The run's items begin; `removedPrevious`: an earlier installation has
    // been taken back, and cancelling now leaves none.
    virtual void Started(int32_t itemCount, bool removedPrevious) = 0;
    // The caption of the item about to run (the last category stays).
    virtual void ShowStep(const AnsiString& caption) = 0;
    // A failing item, with the text of its error report; the run goes on
    // unless this is true: the item runs again. `inUse`: it failed on a file
    // that another program holds open, which may let go of it.
    virtual bool ReportFailure(const AnsiString& report, bool inUse) = 0;
    // After each item: its progress step, and the one input message served.
    virtual void ItemDone(int32_t step) = 0;
    // Asked after each item: true stops the run there and takes it back.
    virtual bool CancelRequested() = 0;
    // Every item has run; the engine still holds its logs open.
    virtual void Completed() = 0;
};

struct TInstallOutcome {
    int32_t FailedItems = 0;
    bool Cancelled = false;
    // An earlier installation was taken back before this run began.
    bool RemovedPrevious = false;
    // The install folder could not be made: the run stopped before its first
    // item, and what it had done was taken back.
    bool FolderNotMade = false;
    // The install folder was there before, users other than administrators
    // could change it, and it could not be made a program folder only
    // administrators can change: the run stopped before its first item.
    bool FolderNotProtected = false;
    // The disk filled up: the run stopped at that item, whose line this is,
    // and what it had done was taken back.
    AnsiString DiskFullAt;
};

TInstallOutcome RunInstallScript(TInstallObserver* observer);

// What the user is told of a run that stopped before its end and took
// itself back; empty for a run that went to its end.
AnsiString StoppedRunText(const TInstallOutcome& outcome);
