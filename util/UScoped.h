// Owners of Win32 handles: each closes its handle when it goes, so a handle
// is released on every path out of the function that opened it. Close()
// closes early and reports the result where a caller needs it.
#pragma once

#include <windows.h>

template <BOOL(WINAPI* CloseFunction)(HANDLE)>
class TScopedHandle {
public:
    explicit TScopedHandle(HANDLE handle) : handle_(handle) {}
    ~TScopedHandle() { Close(); }
    TScopedHandle(const TScopedHandle&) = delete;
    TScopedHandle& operator=(const TScopedHandle&) = delete;

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Closes the handle held and takes on `handle`.
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    bool Close() {
        if (!IsValid()) return true;
        BOOL closed = CloseFunction(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != 0;
    }

private:
    HANDLE handle_;
};

// A file from CreateFileA.
using TScopedFile = TScopedHandle<CloseHandle>;

// A directory listing from FindFirstFileA.
class TScopedFind : public TScopedHandle<FindClose> {
public:
    TScopedFind(const char* pattern, WIN32_FIND_DATAA* found)
        : TScopedHandle(FindFirstFileA(pattern, found)) {}
    bool Next(WIN32_FIND_DATAA* found) { return FindNextFileA(Get(), found) != 0; }
};

class TScopedRegKey {
public:
    TScopedRegKey() = default;
    ~TScopedRegKey() {
        if (key_) RegCloseKey(key_);
    }
    TScopedRegKey(const TScopedRegKey&) = delete;
    TScopedRegKey& operator=(const TScopedRegKey&) = delete;

    HKEY Get() const { return key_; }
    // For the open and create calls to fill in.
    HKEY* Receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};
