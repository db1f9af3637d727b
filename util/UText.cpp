#include "util/UText.h"

#include <string.h>

size_t FindTextPos(const AnsiString& text, const AnsiString& pattern, const TCodePage& cp) {
    size_t n = text.Length(), m = pattern.Length();
    if (n == 0 || m == 0 || m > n) return 0;
    for (size_t i = 0; i + m <= n; i += CharSize(text.CStr(), n, i, cp)) {
        if (memcmp(text.CStr() + i, pattern.CStr(), m) == 0) return i + 1;
    }
    return 0;
}

size_t FindLastChar(const AnsiString& text, char c, const TCodePage& cp) {
    size_t found = 0;
    for (size_t i = 0; i < text.Length(); i += CharSize(text.CStr(), text.Length(), i, cp)) {
        if (text[i] == c) found = i + 1;
    }
    return found;
}

AnsiString RegStringText(const char* data, size_t size) {
    return AnsiString(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}

bool IsEditableText(const AnsiString& bytes) {
    if (memchr(bytes.CStr(), '\0', bytes.Length())) return false;
    if (bytes.Length() < 2) return true;
    uint8_t first = static_cast<uint8_t>(bytes[0]), second = static_cast<uint8_t>(bytes[1]);
    return !((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF));
}

AnsiString Decimal(int32_t value) {
    char digits[12];
    int n = 0;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    AnsiString text(value < 0 ? "-" : "");
    while (n > 0) text += digits[--n];
    return text;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameAsciiWord(const char* text, size_t length, const char* word) {
    if (strlen(word) != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(word[i])) return false;
    }
    return true;
}
