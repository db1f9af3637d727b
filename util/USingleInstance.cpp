#include "USingleInstance.h"

namespace {

// In the global namespace, so that a second session's setup sees it too.
const char MutexName[] = "Global\\Brindlecraft Vellorin library setup";

}  // namespace

const char AlreadyRunningText[] =
    "Another setup or uninstall of Vellorin library is running. Please wait until it has finished.";

TSingleInstance::TSingleInstance() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, MutexName);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        mutex = nullptr;
    }
    mutex_ = mutex;
}

TSingleInstance::~TSingleInstance() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}
