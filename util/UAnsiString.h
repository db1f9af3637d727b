// An 8-bit ANSI string with value semantics.
//
// The setup and the uninstaller do not link the C++ standard library: with
// std::string alone the program grows by about 130 KB, more than the whole
// rest of it. This is the one string type they use instead. It never throws;
// running out of memory ends the process.
#pragma once

#include <stddef.h>

class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char* text);  // nullptr gives the empty string
    AnsiString(const char* text, size_t length);
    AnsiString(const AnsiString& other);
    AnsiString(AnsiString&& other) noexcept;
    AnsiString& operator=(const AnsiString& other);
    AnsiString& operator=(AnsiString&& other) noexcept;
    ~AnsiString();

    size_t Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    // Always NUL-terminated and never null.
    const char* CStr() const { return data_ ? data_ : ""; }
    char operator[](size_t index) const { return data_[index]; }
    // The last character, or NUL for the empty string.
    char Last() const { return length_ ? data_[length_ - 1] : '\0'; }

    // Makes the string `length` characters long: cut, or extended with NULs.
    void SetLength(size_t length);
    // The characters for writing in place, Length() of them plus the NUL.
    char* Data();

    AnsiString& Append(const char* text, size_t length);
    AnsiString& operator+=(const AnsiString& other);
    AnsiString& operator+=(const char* text);
    AnsiString& operator+=(char c);

private:
    void Reserve(size_t capacity);

    char* data_ = nullptr;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

AnsiString operator+(const AnsiString& a, const AnsiString& b);
AnsiString operator+(const AnsiString& a, const char* b);
bool operator==(const AnsiString& a, const AnsiString& b);
bool operator==(const AnsiString& a, const char* b);
inline bool operator!=(const AnsiString& a, const AnsiString& b) { return !(a == b); }
inline bool operator!=(const AnsiString& a, const char* b) { return !(a == b); }
