#include "USecurity.h"

#include <ntsecapi.h>
#include <sddl.h>

#include "UPaths.h"

const char ProductFolderSddl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
const char PrivateFolderSddl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

TSecurity::TSecurity(const char* sddl) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor_, nullptr)) {
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

TSecurity::~TSecurity() {
    if (descriptor_) LocalFree(descriptor_);
}

bool RandomName(const char* prefix, AnsiString* name) {
    uint8_t random[8];
    if (!RtlGenRandom(random, sizeof random)) return false;
    *name = prefix;
    for (uint8_t byte : random) {
        *name += "0123456789abcdef"[byte >> 4];
        *name += "0123456789abcdef"[byte & 0xF];
    }
    return true;
}

uint32_t CreatePrivateFolder(const AnsiString& parent, const char* prefix, AnsiString* folder) {
    TSecurity security(PrivateFolderSddl);
    if (!security.Attributes()) return GetLastError();
    // A name taken meanwhile is tried again with new digits, a few times.
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < 8 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        AnsiString name;
        if (!RandomName(prefix, &name)) return ERROR_GEN_FAILURE;
        *folder = JoinPath(parent, name.CStr());
        error = CreateDirectoryA(folder->CStr(), security.Attributes()) ? 0 : GetLastError();
    }
    if (error != 0) *folder = AnsiString();
    return error;
}
