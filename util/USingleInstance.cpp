#include "USingleInstance.h"

namespace {

// In the global namespace, so that a second session's setup sees it too.
const char MutexName[] = "Global\\Brindlecraft Vellorin library setup";

}  // namespace

const char AlreadyRunningText[] =
    "Another setup or uninstall of Vellorin library is running. Please wait until it has finished.";

TSingleInstance::TSingleInstance() {
    // Without the mutex there is nothing to wait for: going on is better
    // than refusing for good.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, MutexName);
    if (!mutex) return;
    // Taken over as well when its last owner ended without releasing it (a
    // setup killed half-way): the mutex is then abandoned, not held.
    DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        mutex_ = mutex;
    } else {
        CloseHandle(mutex);
        acquired_ = false;
    }
}

TSingleInstance::~TSingleInstance() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}
