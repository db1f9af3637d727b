#include "util/UPayload.h"

#include <windows.h>

#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"
#include "util/UVersionResource.h"

uint32_t ExtractPayload(uint32_t id, const char* path) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "vllib");
    if (!resource) return GetLastError();
    // The bytes are written straight from the mapped image, never copied.
    DWORD size = SizeofResource(nullptr, resource);
    const void* bytes = LockResource(LoadResource(nullptr, resource));

    TScopedFile file(CreateFileForWriting(AnsiString(path)));
    if (!file.IsValid()) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, size, &written, nullptr)) return GetLastError();
    // A short write leaves a truncated file; on a local disk it means the
    // disk filled up.
    return written == size ? 0 : ERROR_DISK_FULL;
}

bool PayloadProductVersion(uint32_t id, uint32_t* ms, uint32_t* ls) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "vllib");
    if (!resource) return false;
    const void* bytes = LockResource(LoadResource(nullptr, resource));
    return bytes && ImageProductVersion(static_cast<const uint8_t*>(bytes), SizeofResource(nullptr, resource), ms, ls);
}
