#include <windows.h>

#include "util/UText.h"

AnsiString LowerCase(const AnsiString& text) {
    AnsiString lower(text);
    if (!lower.IsEmpty()) CharLowerBuffA(lower.Data(), static_cast<DWORD>(lower.Length()));
    return lower;
}
