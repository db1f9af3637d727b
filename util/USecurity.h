// The permissions of the folders that the programs make, and the private
// folder in which the uninstaller's copy runs.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/UAnsiString.h"

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

// Whether principals other than administrators can change the object that
// `object` (opened with READ_CONTROL) names or what it holds: its owner, or
// an ACE of its DACL that writes, deletes or changes permissions, names
// anybody but Administrators, SYSTEM, TrustedInstaller and the user running
// this process as an administrator. True when its permissions cannot be
// read: what is not known to be safe is not.
bool OthersCanChange(HANDLE object);
// The same for a file or folder by its path, following links to where they
// lead. False for a path where nothing is (there is nothing to change);
// true for one that is there but cannot be opened.
bool OthersCanChangePath(const AnsiString& path);

// Makes an existing folder a program folder that only administrators can
// change, with everything below it: the folder gets the owner Administrators
// and the permissions of ProductFolderSddl, each file and folder below it the
// owner Administrators and only the permissions it inherits from those. No
// link is followed: nothing is set on what a link below the folder leads to,
// nor on a file that lies elsewhere than where it was reached (a link to a
// file, under Wine); a link itself gets them where it can be opened itself.
// 0 when all was set; else the Windows error of the first entry that could
// not be (the rest is still set); ErrorLinkOnTheWay, and nothing set, when
// `folder` itself is a link.
uint32_t ProtectExistingFolder(const AnsiString& folder);
