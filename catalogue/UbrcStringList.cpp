// The list itself and its line splitting; the parts that need Windows
// (collation and files) are in UbrcStringListWin32.cpp.
#include "catalogue/UbrcStringList.h"

namespace {

const int32_t GrowthStep = 1024;

const AnsiString EmptyLine;

}  // namespace

TbrcStringList::~TbrcStringList() { delete[] lines_; }

void TbrcStringList::Grow() {
    AnsiString* grown = new AnsiString[capacity_ + GrowthStep];
    for (int32_t i = 0; i < count_; ++i) grown[i] = static_cast<AnsiString&&>(lines_[i]);
    delete[] lines_;
    lines_ = grown;
    capacity_ += GrowthStep;
}

const AnsiString& TbrcStringList::Get(int32_t index) const {
    return index >= 0 && index < count_ ? lines_[index] : EmptyLine;
}

void TbrcStringList::Insert(int32_t index, const AnsiString& text) {
    if (index < 0 || index > count_) return;
    if (count_ == capacity_) Grow();
    for (int32_t i = count_; i > index; --i) lines_[i] = static_cast<AnsiString&&>(lines_[i - 1]);
    lines_[index] = text;
    ++count_;
}

int32_t TbrcStringList::Append(const AnsiString& text) {
    int32_t index = count_;
    Insert(index, text);
    return index;
}

void TbrcStringList::Clear() {
    for (int32_t i = 0; i < count_; ++i) lines_[i] = AnsiString();
    count_ = 0;
}

void TbrcStringList::SetText(const char* text) {
    const char* p = text;
    while (*p != '\0') {
        const char* start = p;
        while (*p != '\0' && *p != '\r' && *p != '\n') ++p;
        Append(AnsiString(start, static_cast<size_t>(p - start)));
        if (*p == '\r') ++p;
        if (*p == '\n') ++p;
    }
}

AnsiString TbrcStringList::Text() const {
    AnsiString text;
    for (int32_t i = 0; i < count_; ++i) {
        text += lines_[i];
        text += "\r\n";
    }
    return text;
}
