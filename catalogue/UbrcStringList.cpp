// The list itself and its line splitting; the parts that need Windows
// (collation and files) are in UbrcStringListWin32.cpp.
#include "catalogue/UbrcStringList.h"

#include "util/UOutOfMemory.h"

namespace {

const AnsiString EmptyLine;

}  // namespace

const AnsiString& TbrcStringList::Get(int32_t index) const {
    const AnsiString* line = lines_.At(index);
    return line ? *line : EmptyLine;
}

void TbrcStringList::Insert(int32_t index, const AnsiString& text) {
    if (index < 0 || index > lines_.Count()) return;
    // As every allocation of the programs: no memory ends the process.
    if (!lines_.Insert(index, text)) EndOutOfMemory();
}

int32_t TbrcStringList::Append(const AnsiString& text) {
    int32_t index = lines_.Count();
    Insert(index, text);
    return index;
}

void TbrcStringList::Clear() { lines_.Clear(); }

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
    for (int32_t i = 0; i < lines_.Count(); ++i) {
        text += lines_[i];
        text += "\r\n";
    }
    return text;
}
