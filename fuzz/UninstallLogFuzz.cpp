// Arbitrary bytes as an uninstall log: checking, reading the header and
// walking the records in replay order must stay inside the data, whatever
// the lengths in it say.
#include <stddef.h>
#include <stdint.h>

#include "UDeinstall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    TDeinstall log;
    if (log.SetLogData(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size)) != 0) return 0;
    log.ReadHeader();
    log.Cursor = log.ReplayStart;
    TUninstallRecord record;
    while (log.NextRecord(&record)) {
    }
    return 0;
}
