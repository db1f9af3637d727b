#include "util/USecurity.h"

#include <ntsecapi.h>
#include <sddl.h>
#include <stdlib.h>

#include "util/UDescriptor.h"
#include "util/ULinks.h"
#include "util/UPaths.h"
#include "util/UScoped.h"

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

namespace {

const uint32_t AdministratorsSid[] = {32, 544};
const uint32_t SystemSid[] = {18};
const uint32_t TrustedInstallerSid[] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
const size_t MaxTrustedSids = 4;

// The principals that may change the product's folders: Administrators,
// SYSTEM, TrustedInstaller, and the user running this process, when it runs
// as an administrator (as the programs do): that is no other user. Gives
// how many of `sids` it filled.
size_t TrustedSids(AnsiString (&sids)[MaxTrustedSids]) {
    sids[0] = SidBytes(5, AdministratorsSid, 2);
    sids[1] = SidBytes(5, SystemSid, 1);
    sids[2] = SidBytes(5, TrustedInstallerSid, 6);
    BOOL member = FALSE;
    HANDLE raw = nullptr;
    if (!CheckTokenMembership(nullptr, sids[0].Data(), &member) || !member ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return 3;
    }
    TScopedHandle<CloseHandle> token(raw);
    union {
        TOKEN_USER user;
        uint8_t bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, &info, sizeof info, &size)) return 3;
    sids[3] = AnsiString(static_cast<const char*>(info.user.User.Sid), GetLengthSid(info.user.User.Sid));
    return 4;
}

// Lets this administrator take and set what a user's permissions shut him
// out of (opened with backup semantics), and name Administrators as owner.
// A privilege the token lacks stays off.
void EnablePrivilegesToProtect() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) return;
    TScopedHandle<CloseHandle> token(raw);
    const char* const names[] = {"SeTakeOwnershipPrivilege", "SeRestorePrivilege", "SeBackupPrivilege"};
    for (const char* name : names) {
        TOKEN_PRIVILEGES privilege{};
        privilege.PrivilegeCount = 1;
        privilege.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueA(nullptr, name, &privilege.Privileges[0].Luid)) {
            AdjustTokenPrivileges(token.Get(), FALSE, &privilege, 0, nullptr, nullptr);
        }
    }
}

// The descriptors of a protected folder, of the folders and of the files
// below it, and the first error met.
struct TProtection {
    void* top;
    const char* folder;
    const char* file;
    uint32_t error;
};

// Nothing below the folder can make the walk recurse without end: no tree
// of the product's is nearly that deep.
const unsigned MaxProtectedDepth = 64;

void NoteError(TProtection* protection, DWORD error) {
    if (protection->error == 0) protection->error = error ? error : ERROR_GEN_FAILURE;
}

// Sets the owner and permissions of what `path` names, `depth` levels below
// the protected folder, and for a folder of all it holds. Below the top each
// entry must lie at `expected`, where the walk reached it.
void Protect(TProtection* protection, const AnsiString& path, const AnsiString& expected, unsigned depth) {
    // Windows opens a link itself here (Wine what it leads to, which its
    // final path then shows); the backup semantics open folders, and what
    // the permissions would shut out.
    TScopedFile entry(CreateFileA(path.CStr(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    AnsiString final;
    BY_HANDLE_FILE_INFORMATION info;
    if (!entry.IsValid() || !FinalPathOfHandle(entry.Get(), &final) || !GetFileInformationByHandle(entry.Get(), &info)) {
        NoteError(protection, GetLastError());
        return;
    }
    // Opened elsewhere: a link that Wine has followed. What it leads to is
    // not the folder's.
    if (depth > 0 && !SameFileName(final, expected)) return;
    bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link;
    if (depth == 0 && !folder) {
        protection->error = link ? ErrorLinkOnTheWay : ERROR_DIRECTORY;
        return;
    }
    // Not SetSecurityInfo: Windows would go on from there through the tree
    // below by name, following what this walk passes over.
    void* descriptor = depth == 0 ? protection->top
                                  : const_cast<char*>(folder ? protection->folder : protection->file);
    if (!SetKernelObjectSecurity(entry.Get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor)) {
        NoteError(protection, GetLastError());
    }
    entry.Close();
    if (!folder) return;
    if (depth >= MaxProtectedDepth) {
        NoteError(protection, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    WIN32_FIND_DATAA found;
    TScopedFind listing(JoinPath(path, "*").CStr(), &found);
    if (!listing.IsValid()) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) NoteError(protection, GetLastError());
        return;
    }
    do {
        if (lstrcmpA(found.cFileName, ".") == 0 || lstrcmpA(found.cFileName, "..") == 0) continue;
        Protect(protection, JoinPath(path, found.cFileName), JoinPath(final, found.cFileName), depth + 1);
    } while (listing.Next(&found));
}

}  // namespace

bool OthersCanChange(HANDLE object) {
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetKernelObjectSecurity(object, wanted, nullptr, 0, &size);
    uint8_t* descriptor = size ? static_cast<uint8_t*>(malloc(size)) : nullptr;
    DWORD needed = 0;
    bool others = true;
    if (descriptor && GetKernelObjectSecurity(object, wanted, descriptor, size, &needed)) {
        AnsiString trusted[MaxTrustedSids];
        others = DescriptorLetsOthersChange(descriptor, size, trusted, TrustedSids(trusted));
    }
    free(descriptor);
    return others;
}

bool OthersCanChangePath(const AnsiString& path) {
    TScopedFile object(CreateFileA(path.CStr(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (object.IsValid()) return OthersCanChange(object.Get());
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

uint32_t ProtectExistingFolder(const AnsiString& folder) {
    if (IsLink(folder.CStr())) return ErrorLinkOnTheWay;
    EnablePrivilegesToProtect();
    TSecurity top((AnsiString("O:BA") + ProductFolderSddl).CStr());
    if (!top.Attributes()) return GetLastError();
    void* descriptor = top.Attributes()->lpSecurityDescriptor;
    const uint8_t* bytes = static_cast<const uint8_t*>(descriptor);
    DWORD size = GetSecurityDescriptorLength(descriptor);
    AnsiString folders = InheritedDescriptor(bytes, size, true), files = InheritedDescriptor(bytes, size, false);
    if (folders.IsEmpty() || files.IsEmpty()) return ERROR_INVALID_SECURITY_DESCR;
    TProtection protection{descriptor, folders.CStr(), files.CStr(), 0};
    Protect(&protection, folder, AnsiString(), 0);
    return protection.error;
}
