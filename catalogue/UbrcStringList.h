// A growable list of text lines: loaded from a text file, searched by binary
// search under the Windows string collation, extended by sorted insertion,
// and saved with CR LF line ends.
//
// The list does not keep itself sorted: Append, SetText and LoadFromFile add
// lines in the order given, while Find, IndexOf and Add assume that the lines
// are in collation order.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"
#include "util/UArray.h"

class TbrcStringList {
public:
    TbrcStringList() = default;
    TbrcStringList(const TbrcStringList&) = delete;
    TbrcStringList& operator=(const TbrcStringList&) = delete;

    // 1: Find goes on to the leftmost of several equal lines; any other value
    // stops at the first equal line it meets.
    uint8_t Duplicates = 0;

    int32_t Count() const { return lines_.Count(); }
    // Allocated line slots; grows in steps of 1024, never shrinks.
    int32_t Capacity() const { return lines_.Capacity(); }

    // -1, 0 or 1 by CompareStringA (user locale, SORT_STRINGSORT, case
    // sensitive); -2, counted as less, when the comparison fails.
    static int CompareStrings(const AnsiString& line, const AnsiString& text);
    // Binary search. `index` is where the text is, or where it would keep a
    // sorted list sorted.
    bool Find(const AnsiString& text, int32_t* index) const;
    // The index from Find, or -1.
    int32_t IndexOf(const AnsiString& text) const;
    // The line at 0..Count()-1; an empty string for any other index.
    const AnsiString& Get(int32_t index) const;
    // Inserts at the index Find yields and returns it.
    int32_t Add(const AnsiString& text);
    // Inserts before the line at `index`; Count() appends. Another index
    // inserts nothing.
    void Insert(int32_t index, const AnsiString& text);
    // Puts the text after the last line and returns its index.
    int32_t Append(const AnsiString& text);
    void Clear();

    // Appends the lines of `text`, up to its first NUL. CR LF, LF and CR each
    // end a line (LF CR is two ends with an empty line between); a last line
    // without an end is kept, and an end at the very end adds no line.
    void SetText(const char* text);
    // Every line followed by CR LF, as SaveToFile writes them.
    AnsiString Text() const;
    // Replaces the lines with those of the file; a file that cannot be read
    // leaves the list empty.
    void LoadFromFile(const char* fileName);
    // Writes every line followed by CR LF, creating or truncating the file;
    // nothing happens when it cannot be created.
    void SaveToFile(const char* fileName) const;

private:
    TArray<AnsiString, 1024> lines_;
};
