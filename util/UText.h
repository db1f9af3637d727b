// Text search over 8-bit strings. Positions are 1-based; 0 means not found.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"
#include "util/UPathText.h"

// Where `pattern` first occurs in `text` at the start of a character,
// comparing bytes exactly; 0 when it does not, or when either is empty.
// Case-insensitive callers pass lower-cased copies of both.
size_t FindTextPos(const AnsiString& text, const AnsiString& pattern, const TCodePage& cp = SystemCodePage);

// Where the single-byte character `c` last occurs in `text` as a character
// of its own (never as the second byte of another); 0 when it does not.
size_t FindLastChar(const AnsiString& text, char c, const TCodePage& cp = SystemCodePage);

// The text of a REG_SZ value from its `size` stored bytes: a terminating NUL
// is dropped; a value stored without one (another program may write it so)
// keeps its last character.
AnsiString RegStringText(const char* data, size_t size);

// A copy lower-cased by the system's ANSI rules (CharLowerBuffA).
AnsiString LowerCase(const AnsiString& text);

// Whether `bytes` are a text that can be edited line by line: no NUL byte
// (a line list would end there and lose the rest) and no UTF-16 byte order
// mark.
bool IsEditableText(const AnsiString& bytes);

// The letter in upper case when it is an ASCII one; any other byte as it is.
char AsciiUpper(char c);

// Whether the `length` bytes at `text` are `word`, ASCII letters in any case:
// the words of the command line, which are ASCII whatever the code page.
bool SameAsciiWord(const char* text, size_t length, const char* word);

// The value in decimal digits, with a minus sign when it is negative.
AnsiString Decimal(int32_t value);
