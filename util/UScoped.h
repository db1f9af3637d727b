// Owners of Win32 handles: each closes its handle when it goes, so a handle
// is released on every path out of the function that opened it. Close()
// closes early and reports the result where a caller needs it.
#pragma once

#include <stdint.h>
#include <windows.h>

// Windows calls tell a failure by one of two empty values: CreateFileA and
// FindFirstFileA by INVALID_HANDLE_VALUE (-1), the others by null (0).
template <BOOL(WINAPI* CloseFunction)(HANDLE), intptr_t EmptyValue = -1>
class TScopedHandle {
public:
    static HANDLE Empty() { return reinterpret_cast<HANDLE>(EmptyValue); }

    explicit TScopedHandle(HANDLE handle = Empty()) : handle_(handle) {}
    ~TScopedHandle() { Close(); }
    TScopedHandle(const TScopedHandle&) = delete;
    TScopedHandle& operator=(const TScopedHandle&) = delete;

    bool IsValid() const { return handle_ != Empty(); }
    HANDLE Get() const { return handle_; }
    // For the calls that hand out a handle through a pointer; closes the one
    // held first.
    HANDLE* Receive() {
        Close();
        return &handle_;
    }
    // Gives the handle up without closing it.
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = Empty();
        return handle;
    }
    // Closes the handle held and takes on `handle`.
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    bool Close() {
        if (!IsValid()) return true;
        BOOL closed = CloseFunction(handle_);
        handle_ = Empty();
        return closed != 0;
    }

private:
    HANDLE handle_;
};

// A file from CreateFileA.
using TScopedFile = TScopedHandle<CloseHandle>;
// A process, thread, pipe, mutex or duplicated handle.
using TOwnedHandle = TScopedHandle<CloseHandle, 0>;

// A directory listing from FindFirstFileA.
class TScopedFind : public TScopedHandle<FindClose> {
public:
    TScopedFind(const char* pattern, WIN32_FIND_DATAA* found)
        : TScopedHandle(FindFirstFileA(pattern, found)) {}
    bool Next(WIN32_FIND_DATAA* found) { return FindNextFileA(Get(), found) != 0; }
};

// A GDI object (pen, brush, font, bitmap), deleted when it goes or is
// replaced.
template <typename T>
class TGdiObject {
public:
    constexpr explicit TGdiObject(T object = nullptr) : object_(object) {}
    ~TGdiObject() { Reset(nullptr); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    T Get() const { return object_; }
    void Reset(T object) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    T object_;
};

// An object selected into a device context for a while: the one it
// replaced is selected again when the guard goes, so that the object can be
// deleted.
class TSelectedObject {
public:
    TSelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~TSelectedObject() { SelectObject(dc_, previous_); }
    TSelectedObject(const TSelectedObject&) = delete;
    TSelectedObject& operator=(const TSelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
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
