// The window and drawing calls of setup.exe, bound when first made: Wine
// loads every imported library with its own imports at program start, and
// user32 with gdi32 would make the window-less extraction start and weigh
// like a window program. Each call goes through the import slot the
// compiler expects (__imp__Name@bytes); the slot first points at a stub
// that binds the function, stores its address in the slot and jumps to it,
// so later calls go straight to the library. A call missing from this list
// brings the import back, which the setup program's tests report.

    .macro DEFERRED library, name, bytes
    .section .data$deferred, "w"
    .align 4
    .globl __imp__\name\()@\bytes
__imp__\name\()@\bytes:
    .long .Lbind_\name

    .section .text$deferred, "x"
    // For calls made through the function's own address.
    .globl _\name\()@\bytes
_\name\()@\bytes:
    jmp *__imp__\name\()@\bytes
.Lbind_\name:
    pushl $__imp__\name\()@\bytes
    pushl $.Lname_\name
    pushl $.L\library
    jmp .Lbind

    .section .rdata$deferred, "dr"
.Lname_\name:
    .asciz "\name"
    .endm

    .section .rdata$deferred, "dr"
.Luser32:
    .asciz "user32.dll"
.Lgdi32:
    .asciz "gdi32.dll"

    // The stub's three pushes are the binder's arguments, which it takes off
    // the stack: the caller's return address and arguments are then as the
    // function expects them.
    .section .text$deferred, "x"
.Lbind:
    call _BindDeferredImport@12
    jmp *%eax

    DEFERRED user32, CallWindowProcA, 20
    DEFERRED user32, CharLowerBuffA, 8
    DEFERRED user32, ChildWindowFromPoint, 12
    DEFERRED user32, CreateWindowExA, 48
    DEFERRED user32, DialogBoxParamA, 20
    DEFERRED user32, DispatchMessageA, 4
    DEFERRED user32, DrawFocusRect, 8
    DEFERRED user32, DrawFrameControl, 16
    DEFERRED user32, DrawTextA, 20
    DEFERRED user32, EnableWindow, 8
    DEFERRED user32, EndDialog, 8
    DEFERRED user32, FillRect, 12
    DEFERRED user32, GetClassInfoA, 12
    DEFERRED user32, GetClientRect, 8
    DEFERRED user32, GetDC, 4
    DEFERRED user32, GetDesktopWindow, 0
    DEFERRED user32, GetDlgItem, 8
    DEFERRED user32, GetParent, 4
    DEFERRED user32, GetPropA, 8
    DEFERRED user32, GetSysColor, 4
    DEFERRED user32, GetWindowLongA, 8
    DEFERRED user32, GetWindowRect, 8
    DEFERRED user32, InvalidateRect, 12
    DEFERRED user32, LoadBitmapA, 8
    DEFERRED user32, LoadCursorA, 8
    DEFERRED user32, LoadIconA, 8
    DEFERRED user32, MessageBoxA, 16
    DEFERRED user32, OffsetRect, 12
    DEFERRED user32, PeekMessageA, 20
    DEFERRED user32, RegisterClassA, 4
    DEFERRED user32, ReleaseDC, 8
    DEFERRED user32, RemovePropA, 8
    DEFERRED user32, ScreenToClient, 8
    DEFERRED user32, SendDlgItemMessageA, 20
    DEFERRED user32, SendMessageA, 16
    DEFERRED user32, SetClassLongA, 12
    DEFERRED user32, SetDlgItemTextA, 12
    DEFERRED user32, SetFocus, 4
    DEFERRED user32, SetPropA, 12
    DEFERRED user32, SetRectEmpty, 4
    DEFERRED user32, SetWindowLongA, 12
    DEFERRED user32, SetWindowPos, 28
    DEFERRED user32, ShowWindow, 8
    DEFERRED user32, SystemParametersInfoA, 16
    DEFERRED user32, TranslateMessage, 4
    DEFERRED user32, UpdateWindow, 4
    DEFERRED gdi32, CreateFontA, 56
    DEFERRED gdi32, CreatePen, 12
    DEFERRED gdi32, CreateSolidBrush, 4
    DEFERRED gdi32, DeleteObject, 4
    DEFERRED gdi32, GetBkColor, 4
    DEFERRED gdi32, GetObjectA, 12
    DEFERRED gdi32, GetStockObject, 4
    DEFERRED gdi32, GetTextColor, 4
    DEFERRED gdi32, GetTextExtentPoint32A, 16
    DEFERRED gdi32, IntersectClipRect, 20
    DEFERRED gdi32, Rectangle, 20
    DEFERRED gdi32, RestoreDC, 8
    DEFERRED gdi32, SaveDC, 4
    DEFERRED gdi32, SelectObject, 8
    DEFERRED gdi32, SetBkColor, 8
    DEFERRED gdi32, SetBkMode, 8
    DEFERRED gdi32, SetTextColor, 8
