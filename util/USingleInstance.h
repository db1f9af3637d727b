// One setup or uninstall of the product at a time on the machine: both
// programs hold the same named mutex while they work, so that neither runs
// over the other's install folder, logs and registrations.
#pragma once

#include <windows.h>

class TSingleInstance {
public:
    TSingleInstance();
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another setup or uninstall holds the mutex.
    bool Acquired() const { return acquired_; }

private:
    HANDLE mutex_ = nullptr;
    bool acquired_ = true;
};

// What both programs say when the mutex is taken.
extern const char AlreadyRunningText[];
