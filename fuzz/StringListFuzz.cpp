// Arbitrary bytes as a text file's content: splitting into lines must keep
// every byte up to the first NUL, in order, apart from the line ends.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "catalogue/UbrcStringList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    TbrcStringList list;
    list.SetText(text);
    size_t kept = 0, expected = 0;
    for (int32_t i = 0; i < list.Count(); ++i) kept += list.Get(i).Length();
    for (const char* p = text; *p; ++p) expected += *p != '\r' && *p != '\n';
    if (kept != expected || list.Capacity() < list.Count()) abort();
    free(text);
    return 0;
}
