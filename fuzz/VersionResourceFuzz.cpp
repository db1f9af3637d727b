// Arbitrary bytes as a program image whose product version the setup reads
// from memory: every offset and size in them is checked before use, and a
// version found comes from a fixed block inside the bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "util/UVersionResource.h"

namespace {

uint32_t U32(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t ms = 0, ls = 0;
    if (!ImageProductVersion(data, size, &ms, &ls)) return 0;
    for (size_t at = 0; at + 24 <= size; ++at) {
        if (U32(data + at) == 0xFEEF04BD && U32(data + at + 16) == ms && U32(data + at + 20) == ls) return 0;
    }
    abort();
}
