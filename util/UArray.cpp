#include "util/UArray.h"

#include <string.h>

void* OpenArraySlot(void** items, int32_t* count, int32_t* capacity, int32_t index, int32_t step, size_t size) {
    if (index < 0 || index > *count) return nullptr;
    char* bytes = static_cast<char*>(*items);
    if (*count == *capacity) {
        if (*capacity > INT32_MAX - step || static_cast<size_t>(*capacity + step) > SIZE_MAX / size) return nullptr;
        bytes = static_cast<char*>(realloc(bytes, static_cast<size_t>(*capacity + step) * size));
        if (!bytes) return nullptr;
        *items = bytes;
        *capacity += step;
    }
    char* slot = bytes + static_cast<size_t>(index) * size;
    memmove(slot + size, slot, static_cast<size_t>(*count - index) * size);
    ++*count;
    return slot;
}
