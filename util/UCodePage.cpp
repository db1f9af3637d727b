#include "util/UCodePage.h"

#include <windows.h>

namespace {

// Windows compares file names by their UTF-16 characters in upper case;
// going through them folds every letter of the code page (Cyrillic, Greek,
// full-width Latin) and never a single byte of a double-byte character.
bool FoldWide(unsigned codePage, const AnsiString& name, AnsiString* folded) {
    int length = static_cast<int>(name.Length());
    int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.CStr(), length, nullptr, 0);
    if (wide <= 0) return false;
    WCHAR* text = new WCHAR[static_cast<size_t>(wide)];
    bool done = false;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.CStr(), length, text, wide) == wide &&
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text, wide, text, wide) == wide) {
        // Back into the code page: an upper-case letter that it lacks leaves
        // the name to be compared as it is.
        BOOL lossy = FALSE;
        int bytes = WideCharToMultiByte(codePage, 0, text, wide, nullptr, 0, nullptr, &lossy);
        if (bytes > 0 && !lossy) {
            folded->SetLength(static_cast<size_t>(bytes));
            done = WideCharToMultiByte(codePage, 0, text, wide, folded->Data(), bytes, nullptr, &lossy) == bytes &&
                   !lossy;
        }
    }
    delete[] text;
    return done;
}

}  // namespace

TCodePage CodePageOf(unsigned codePage) {
    TCodePage cp = {{}, codePage, FoldWide};
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b))) {
            cp.LeadBytes[b >> 3] = static_cast<uint8_t>(cp.LeadBytes[b >> 3] | (1u << (b & 7)));
        }
    }
    return cp;
}

void LoadSystemCodePage() { SystemCodePage = CodePageOf(GetACP()); }
