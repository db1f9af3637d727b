// The permissions of the folders that the programs make, and the private
// folder in which the uninstaller's copy runs.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "UAnsiString.h"

// Those of Program Files: Administrators and SYSTEM full control, Users read
// and execute, inherited below and not inherited from above. A folder that
// setup makes directly below a drive root would otherwise inherit the root's
// permissions, under which every signed-in user may change what is inside.
extern const char ProductFolderSddl[];
// Only Administrators and SYSTEM, and nothing inherited from above.
extern const char PrivateFolderSddl[];

// A security descriptor built from its SDDL text, owned until the object goes.
class TSecurity {
public:
    explicit TSecurity(const char* sddl);
    ~TSecurity();
    TSecurity(const TSecurity&) = delete;
    TSecurity& operator=(const TSecurity&) = delete;

    // For the create calls; null when the descriptor could not be built.
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// `prefix` followed by 16 random hex digits, a name nobody can foretell;
// false when the system gives no random bytes.
bool RandomName(const char* prefix, AnsiString* name);

// Creates a new folder below `parent`, named `prefix` and 16 random hex
// digits, that only administrators and SYSTEM may change. Fails rather than
// take a folder that exists: nobody can have put anything into it. 0 and the
// folder, or the Windows error.
uint32_t CreatePrivateFolder(const AnsiString& parent, const char* prefix, AnsiString* folder);
