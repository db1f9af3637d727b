#include "util/USingleInstance.h"

namespace {

// In the global namespace, so that a second session's setup sees it too.
const char MutexName[] = "Global\\Brindlecraft Vellorin library setup";

}  // namespace

const char AlreadyRunningText[] =
    "Another setup or uninstall of Vellorin library is running. Please wait until it has finished.";

TSingleInstance::TSingleInstance(DWORD waitMs) {
    // Without the mutex there is nothing to wait for: going on is better
    // than refusing for good.
    mutex_.Reset(CreateMutexA(nullptr, FALSE, MutexName));
    if (!mutex_.IsValid()) return;
    // A setup or uninstall that has just done its work may still be ending:
    // it gets a while. The mutex is taken over as well when its owner ended
    // without releasing it (a setup killed half-way): it is then abandoned.
    DWORD wait = WaitForSingleObject(mutex_.Get(), waitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        mutex_.Close();
        acquired_ = false;
    }
}

TSingleInstance::~TSingleInstance() {
    if (mutex_.IsValid()) ReleaseMutex(mutex_.Get());
}
