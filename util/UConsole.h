// Lines for a build script: setup.exe and redud.exe are window programs, so
// they write to the output that the script redirected ("> file", a pipe),
// else to the console of whoever started them (a command prompt, a build
// agent's shell), which is theirs only when they attach to it. Started
// otherwise, from Explorer or a shortcut, there is neither, and nothing is
// written.
#pragma once

#include <windows.h>

#include "util/UAnsiString.h"
#include "util/UScoped.h"

class TConsoleLines {
public:
    // Takes the output the parent gave, else attaches to its console.
    TConsoleLines();
    TConsoleLines(const TConsoleLines&) = delete;
    TConsoleLines& operator=(const TConsoleLines&) = delete;

    // Writes `text` and a line break: to the output the parent gave when it
    // redirected it (a pipe, a file), else to the console itself, in its
    // characters.
    void Line(const AnsiString& text);

private:
    HANDLE output_ = nullptr;
    TScopedFile console_{INVALID_HANDLE_VALUE};  // CONOUT$, when this opened it
};
