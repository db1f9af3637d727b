// The payload: every installed file travels inside the program as a resource
// of type VLLIB with an integer id, and only ExtractPayload reads them.
#pragma once

#include <stdint.h>

// Writes payload `id` to the file `path`, replacing an existing file, never
// through a link that leads nowhere; the directory must exist. Returns 0 or
// the Windows error of the failing step.
uint32_t ExtractPayload(uint32_t id, const char* path);

// The product version of payload `id`, a program, read from its bytes in
// the mapped image (no file is written for it); false when it has none.
bool PayloadProductVersion(uint32_t id, uint32_t* ms, uint32_t* ls);

