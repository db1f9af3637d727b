// One setup or uninstall of the product at a time on the machine: both
// programs hold the same named mutex while they work, so that neither runs
// over the other's install folder, logs and registrations.
#pragma once

#include <windows.h>

#include "util/UScoped.h"

// How long a second program waits for the one that holds the mutex: a
// moment for a window, so that a user hears at once; up to a minute without
// one, so that a build script's next step waits for the one ending before it.
const DWORD EndingGraceMs = 2000;
const DWORD UnattendedWaitMs = 60000;

class TSingleInstance {
public:
    explicit TSingleInstance(DWORD waitMs);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another setup or uninstall holds the mutex.
    bool Acquired() const { return acquired_; }

private:
    TOwnedHandle mutex_;  // held only once it is taken
    bool acquired_ = true;
};

// What both programs say when the mutex is taken.
extern const char AlreadyRunningText[];
