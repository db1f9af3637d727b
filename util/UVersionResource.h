// The product version of a Windows program held in memory, read from the
// version resource in its bytes without loading it. Plain code over bytes:
// the bytes may be anything, and no offset or size in them is trusted.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The product version of the image's version resource (the first of type
// RT_VERSION, its first name and its first language), as its most and least
// significant halves. False, with `ms` and `ls` untouched, for bytes that are
// no PE32 or PE32+ image, hold no version resource or one without its fixed
// block.
bool ImageProductVersion(const uint8_t* image, size_t size, uint32_t* ms, uint32_t* ls);
