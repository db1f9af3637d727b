#include "util/UAnsiString.h"

#include <stdlib.h>
#include <string.h>

#include "util/UOutOfMemory.h"

AnsiString::AnsiString(const char* text) : AnsiString(text, text ? strlen(text) : 0) {}

AnsiString::AnsiString(const char* text, size_t length) { Append(text, length); }

AnsiString::AnsiString(const AnsiString& other) { Append(other.data_, other.length_); }

AnsiString::AnsiString(AnsiString&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

AnsiString& AnsiString::operator=(const AnsiString& other) {
    if (this != &other) {
        SetLength(0);
        Append(other.data_, other.length_);
    }
    return *this;
}

AnsiString& AnsiString::operator=(AnsiString&& other) noexcept {
    if (this != &other) {
        free(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

AnsiString::~AnsiString() { free(data_); }

void AnsiString::Reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    // Doubling keeps a run of appends linear.
    size_t grown = capacity_ * 2 > capacity ? capacity_ * 2 : capacity;
    char* data = static_cast<char*>(realloc(data_, grown + 1));
    if (!data) EndOutOfMemory();
    data_ = data;
    capacity_ = grown;
}

void AnsiString::SetLength(size_t length) {
    if (length > length_) {
        Reserve(length);
        memset(data_ + length_, 0, length - length_);
    }
    length_ = length;
    if (data_) data_[length_] = '\0';
}

char* AnsiString::Data() {
    if (!data_) {
        Reserve(1);
        data_[0] = '\0';
    }
    return data_;
}

AnsiString& AnsiString::Append(const char* text, size_t length) {
    if (length == 0) return *this;
    // `text` may point into this string, so take its offset before moving.
    bool inside = data_ && text >= data_ && text < data_ + length_;
    size_t offset = inside ? static_cast<size_t>(text - data_) : 0;
    Reserve(length_ + length);
    memmove(data_ + length_, inside ? data_ + offset : text, length);
    length_ += length;
    data_[length_] = '\0';
    return *this;
}

AnsiString& AnsiString::operator+=(const AnsiString& other) {
    return Append(other.data_, other.length_);
}

AnsiString& AnsiString::operator+=(const char* text) {
    return text ? Append(text, strlen(text)) : *this;
}

AnsiString& AnsiString::operator+=(char c) { return Append(&c, 1); }

AnsiString operator+(const AnsiString& a, const AnsiString& b) {
    AnsiString result(a);
    result += b;
    return result;
}

AnsiString operator+(const AnsiString& a, const char* b) {
    AnsiString result(a);
    result += b;
    return result;
}

bool operator==(const AnsiString& a, const AnsiString& b) {
    return a.Length() == b.Length() && memcmp(a.CStr(), b.CStr(), a.Length()) == 0;
}

bool operator==(const AnsiString& a, const char* b) {
    size_t length = b ? strlen(b) : 0;
    return a.Length() == length && memcmp(a.CStr(), b ? b : "", length) == 0;
}
