// The window, drawing and file version calls of both programs, bound when
// first made. Wine loads every imported library with its own imports at
// program start, and user32 with gdi32 would make the window-less
// extraction start and weigh like a window program. Libraries imported are
// loaded before any of the programs' code runs, with the programs' own
// folder searched first: version.dll is not one of the libraries that
// Windows always takes from its own folder, and Wine's user32 loads it too.
// Bound here, they come from the system folder.
//
// The compiler calls an imported function through its import slot
// (__imp__Name@bytes on 32-bit Windows, __imp_Name on 64-bit). This file
// defines those slots itself, so the linker takes no import library entry
// for them. A slot first holds a function of the same type that binds the
// real one, stores it in the slot and passes the call on; later calls go
// straight to the library. A call missing from the list below brings its
// library's import back, which the setup program's tests report.
//
// (binutils 2.40's delay-load import libraries would do the same, but their
// 32-bit slots are left empty, so the first call jumps to address 0.)
#include <windows.h>

#include "util/USystemLibraries.h"

namespace {

void* Bind(const char* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    FARPROC function = module ? GetProcAddress(module, name) : nullptr;
    // Without the system's library there is nothing the program can show or
    // do; it ends with the loader's own code for a missing function.
    if (!function) ExitProcess(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<void*>(function);
}

template <typename Function>
struct Deferred;

template <typename Result, typename... Args>
struct Deferred<Result(WINAPI*)(Args...)> {
    using Function = Result(WINAPI*)(Args...);

    template <Function* Slot, const char* Library, const char* Name>
    static Result WINAPI FirstCall(Args... args) {
        *Slot = reinterpret_cast<Function>(Bind(Library, Name));
        return (*Slot)(args...);
    }

    // The bytes of arguments a 32-bit caller pushes, which the slot's
    // decorated name carries.
    static constexpr unsigned StackBytes = (0u + ... + ((sizeof(Args) + 3u) & ~3u));
};

constexpr char User32[] = "user32.dll";
constexpr char Gdi32[] = "gdi32.dll";
constexpr char Version[] = "version.dll";

}  // namespace

#ifdef _WIN64
#define VL_IMPORT_SLOT(name, bytes) "__imp_" #name
#else
#define VL_IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#endif

// Two levels, so that a name the headers define as a macro (GetWindowLongPtrA
// is GetWindowLongA on 32-bit Windows) is bound under the name it stands for.
#define DEFERRED(library, name, bytes) DEFERRED_EXPANDED(library, name, bytes)
#define DEFERRED_EXPANDED(library, name, bytes)                                               \
    extern "C" decltype(&::name) DeferredSlot_##name asm(VL_IMPORT_SLOT(name, bytes));        \
    static constexpr char DeferredName_##name[] = #name;                                      \
    decltype(&::name) DeferredSlot_##name =                                                   \
        &Deferred<decltype(&::name)>::FirstCall<&DeferredSlot_##name, library,                \
                                                DeferredName_##name>;                         \
    static_assert(sizeof(void*) == 8 || Deferred<decltype(&::name)>::StackBytes == (bytes), \
                  #name " takes another number of argument bytes");

DEFERRED(User32, CallWindowProcA, 20)
DEFERRED(User32, CharLowerBuffA, 8)
DEFERRED(User32, ChildWindowFromPoint, 12)
DEFERRED(User32, CreateWindowExA, 48)
DEFERRED(User32, DialogBoxParamA, 20)
DEFERRED(User32, DispatchMessageA, 4)
DEFERRED(User32, DrawFocusRect, 8)
DEFERRED(User32, DrawFrameControl, 16)
DEFERRED(User32, DrawTextA, 20)
DEFERRED(User32, EnableWindow, 8)
DEFERRED(User32, EndDialog, 8)
DEFERRED(User32, FillRect, 12)
DEFERRED(User32, GetClassInfoA, 12)
DEFERRED(User32, GetClientRect, 8)
DEFERRED(User32, GetDC, 4)
DEFERRED(User32, GetDesktopWindow, 0)
DEFERRED(User32, GetDlgItem, 8)
DEFERRED(User32, GetParent, 4)
DEFERRED(User32, GetPropA, 8)
DEFERRED(User32, GetSysColor, 4)
DEFERRED(User32, GetWindowLongPtrA, 8)
DEFERRED(User32, GetWindowRect, 8)
DEFERRED(User32, InvalidateRect, 12)
DEFERRED(User32, LoadBitmapA, 8)
DEFERRED(User32, LoadCursorA, 8)
DEFERRED(User32, LoadIconA, 8)
DEFERRED(User32, MessageBoxA, 16)
DEFERRED(User32, OffsetRect, 12)
DEFERRED(User32, PeekMessageA, 20)
DEFERRED(User32, PostMessageA, 16)
DEFERRED(User32, RegisterClassA, 4)
DEFERRED(User32, ReleaseDC, 8)
DEFERRED(User32, RemovePropA, 8)
DEFERRED(User32, ScreenToClient, 8)
DEFERRED(User32, SendDlgItemMessageA, 20)
DEFERRED(User32, SendMessageA, 16)
DEFERRED(User32, SetClassLongPtrA, 12)
DEFERRED(User32, SetDlgItemTextA, 12)
DEFERRED(User32, SetFocus, 4)
DEFERRED(User32, SetPropA, 12)
DEFERRED(User32, SetRectEmpty, 4)
DEFERRED(User32, SetWindowLongPtrA, 12)
DEFERRED(User32, SetWindowPos, 28)
DEFERRED(User32, ShowWindow, 8)
DEFERRED(User32, SystemParametersInfoA, 16)
DEFERRED(User32, TranslateMessage, 4)
DEFERRED(User32, UpdateWindow, 4)
DEFERRED(Gdi32, CreateFontA, 56)
DEFERRED(Gdi32, CreatePen, 12)
DEFERRED(Gdi32, CreateSolidBrush, 4)
DEFERRED(Gdi32, DeleteObject, 4)
DEFERRED(Gdi32, GetBkColor, 4)
DEFERRED(Gdi32, GetObjectA, 12)
DEFERRED(Gdi32, GetStockObject, 4)
DEFERRED(Gdi32, GetTextColor, 4)
DEFERRED(Gdi32, GetTextExtentPoint32A, 16)
DEFERRED(Gdi32, IntersectClipRect, 20)
DEFERRED(Gdi32, Rectangle, 20)
DEFERRED(Gdi32, RestoreDC, 8)
DEFERRED(Gdi32, SaveDC, 4)
DEFERRED(Gdi32, SelectObject, 8)
DEFERRED(Gdi32, SetBkColor, 8)
DEFERRED(Gdi32, SetBkMode, 8)
DEFERRED(Gdi32, SetTextColor, 8)
DEFERRED(Version, GetFileVersionInfoA, 16)
DEFERRED(Version, GetFileVersionInfoSizeA, 8)
DEFERRED(Version, VerQueryValueA, 16)
