#include "util/UConsole.h"

#include <stdlib.h>

TConsoleLines::TConsoleLines() {
    // An output the parent gave (the script's "> file", a pipe) counts first.
    HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
    if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
        output_ = given;
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    console_.Reset(CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr));
    if (console_.IsValid()) output_ = console_.Get();
}

void TConsoleLines::Line(const AnsiString& text) {
    if (!output_) return;
    AnsiString line = text + "\r\n";
    DWORD mode, written;
    // A console shows wide characters; the ANSI ones of the user's code page
    // would come out in its OEM page. A pipe or a file gets the bytes.
    if (GetConsoleMode(output_, &mode)) {
        int characters = MultiByteToWideChar(CP_ACP, 0, line.CStr(), static_cast<int>(line.Length()), nullptr, 0);
        WCHAR* wide = characters > 0 ? static_cast<WCHAR*>(malloc(sizeof(WCHAR) * characters)) : nullptr;
        if (wide) {
            MultiByteToWideChar(CP_ACP, 0, line.CStr(), static_cast<int>(line.Length()), wide, characters);
            WriteConsoleW(output_, wide, static_cast<DWORD>(characters), &written, nullptr);
            free(wide);
        }
        return;
    }
    WriteFile(output_, line.CStr(), static_cast<DWORD>(line.Length()), &written, nullptr);
}
