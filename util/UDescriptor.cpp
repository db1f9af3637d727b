#include "util/UDescriptor.h"

#include <string.h>

namespace {

// The control bits, ACE types and flags that matter here, as Windows
// defines them.
const uint16_t DaclPresent = 0x0004, DaclAutoInherited = 0x0400, SelfRelative = 0x8000;
const uint8_t AllowedAce = 0, AllowedCompoundAce = 4, AllowedObjectAce = 5, AllowedCallbackAce = 9,
              AllowedCallbackObjectAce = 11;
const uint8_t ObjectInherit = 0x01, ContainerInherit = 0x02, NoPropagateInherit = 0x04, InheritOnly = 0x08,
              InheritedAce = 0x10;
// FILE_WRITE_DATA, FILE_APPEND_DATA, FILE_WRITE_EA, FILE_DELETE_CHILD,
// FILE_WRITE_ATTRIBUTES, DELETE, WRITE_DAC, WRITE_OWNER, MAXIMUM_ALLOWED,
// GENERIC_ALL and GENERIC_WRITE.
const uint32_t ChangingRights =
    0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 | 0x2000000 | 0x10000000 | 0x40000000;
const size_t HeaderSize = 20, AclHeaderSize = 8;
// S-1-3-4, OWNER RIGHTS.
const uint8_t OwnerRights[] = {1, 1, 0, 0, 0, 0, 0, 3, 4, 0, 0, 0};

uint16_t Word(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }
uint32_t Dword(const uint8_t* bytes) { return Word(bytes) | static_cast<uint32_t>(Word(bytes + 2)) << 16; }

void AppendBytes(AnsiString* out, const uint8_t* bytes, size_t length) {
    out->Append(reinterpret_cast<const char*>(bytes), length);
}
void AppendDword(AnsiString* out, uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    AppendBytes(out, bytes, 4);
}

// The length of the SID at `at` of `size` bytes; 0 when none fits there.
size_t SidLength(const uint8_t* bytes, size_t size, size_t at) {
    if (at > size || size - at < 8 || bytes[at] != 1 || bytes[at + 1] > 15) return 0;
    size_t length = 8 + 4 * size_t(bytes[at + 1]);
    return size - at >= length ? length : 0;
}

bool IsTrusted(const uint8_t* sid, size_t length, const AnsiString* trusted, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (trusted[i].Length() == length && memcmp(trusted[i].CStr(), sid, length) == 0) return true;
    }
    return false;
}

// Where the owner and the DACL lie in a descriptor; 0 for one it lacks (a
// present DACL at offset 0 is a null DACL).
struct TParts {
    size_t owner, ownerLength, dacl, daclSize;
};

bool ReadParts(const uint8_t* bytes, size_t size, TParts* parts) {
    if (!bytes || size < HeaderSize || bytes[0] != 1 || !(Word(bytes + 2) & SelfRelative)) return false;
    *parts = TParts{Dword(bytes + 4), 0, (Word(bytes + 2) & DaclPresent) ? Dword(bytes + 16) : 0, 0};
    if (parts->owner != 0 && (parts->ownerLength = SidLength(bytes, size, parts->owner)) == 0) return false;
    if (parts->dacl == 0) return true;
    if (parts->dacl > size || size - parts->dacl < AclHeaderSize || bytes[parts->dacl] < 2 ||
        bytes[parts->dacl] > 4) {
        return false;
    }
    parts->daclSize = Word(bytes + parts->dacl + 2);
    return parts->daclSize >= AclHeaderSize && parts->daclSize <= size - parts->dacl;
}

// The size of the ACE at `at` (never past the end) of an ACL of `size`
// bytes; 0 when none fits there.
size_t AceSize(const uint8_t* acl, size_t size, size_t at) {
    if (size - at < 4) return 0;
    size_t aceSize = Word(acl + at + 2);
    return aceSize >= 4 && aceSize <= size - at ? aceSize : 0;
}

// Where the SID of an access-allowed ACE starts (its end, when its header
// does not fit); 0 for an ACE of another kind.
size_t AllowedSidStart(const uint8_t* ace, size_t aceSize) {
    if (ace[0] == AllowedAce || ace[0] == AllowedCallbackAce) return 8;
    if (ace[0] != AllowedObjectAce && ace[0] != AllowedCallbackObjectAce) return 0;
    if (aceSize < 12) return aceSize;
    // The object type and the inherited object type GUIDs, where present.
    uint32_t present = Dword(ace + 8);
    return 12 + (present & 1 ? 16 : 0) + (present & 2 ? 16 : 0);
}

// The flags with which a folder or a file inherits an ACE with `flags`;
// -1 when it does not inherit it. A folder passes an ACE for files on as
// inherit-only; "no propagation" stops it at the first level below.
int InheritedFlags(uint8_t flags, bool folder) {
    if (!folder) return (flags & ObjectInherit) ? InheritedAce : -1;
    if (flags & ContainerInherit) {
        return (flags & NoPropagateInherit) ? InheritedAce
                                             : (flags & (ObjectInherit | ContainerInherit)) | InheritedAce;
    }
    if ((flags & ObjectInherit) && !(flags & NoPropagateInherit)) return ObjectInherit | InheritOnly | InheritedAce;
    return -1;
}

}  // namespace

AnsiString SidBytes(uint8_t authority, const uint32_t* subAuthorities, size_t count) {
    AnsiString sid;
    if (count > 15) return sid;
    // The identifier authority is a 48-bit number, most significant byte first.
    const uint8_t header[8] = {1, uint8_t(count), 0, 0, 0, 0, 0, authority};
    AppendBytes(&sid, header, sizeof header);
    for (size_t i = 0; i < count; ++i) AppendDword(&sid, subAuthorities[i]);
    return sid;
}

bool DescriptorLetsOthersChange(const uint8_t* descriptor, size_t size, const AnsiString* trusted,
                                size_t trustedCount) {
    TParts parts;
    if (!ReadParts(descriptor, size, &parts) || parts.owner == 0 ||
        !IsTrusted(descriptor + parts.owner, parts.ownerLength, trusted, trustedCount) || parts.dacl == 0) {
        return true;
    }
    const uint8_t* acl = descriptor + parts.dacl;
    size_t at = AclHeaderSize;
    for (uint16_t left = Word(acl + 4); left > 0; --left) {
        size_t aceSize = AceSize(acl, parts.daclSize, at);
        if (aceSize == 0) return true;
        const uint8_t* ace = acl + at;
        at += aceSize;
        // An inherit-only ACE is for what gets made inside later, and
        // making anything there takes rights that this ACL would show.
        if (ace[1] & InheritOnly) continue;
        if (ace[0] == AllowedCompoundAce) return true;
        size_t sid = AllowedSidStart(ace, aceSize);
        if (sid == 0) continue;
        size_t length = SidLength(ace, aceSize, sid);
        if (length == 0) return true;
        if (!(Dword(ace + 4) & ChangingRights)) continue;
        bool ownerRights = length == sizeof OwnerRights && memcmp(ace + sid, OwnerRights, length) == 0;
        if (!ownerRights && !IsTrusted(ace + sid, length, trusted, trustedCount)) return true;
    }
    return false;
}

AnsiString InheritedDescriptor(const uint8_t* parent, size_t size, bool folder) {
    TParts parts;
    if (!ReadParts(parent, size, &parts) || parts.owner == 0 || parts.dacl == 0) return AnsiString();
    const uint8_t* acl = parent + parts.dacl;
    AnsiString aces;
    uint32_t count = 0;
    size_t at = AclHeaderSize;
    for (uint16_t left = Word(acl + 4); left > 0; --left) {
        size_t aceSize = AceSize(acl, parts.daclSize, at);
        if (aceSize == 0) return AnsiString();
        const uint8_t* ace = acl + at;
        at += aceSize;
        int flags = InheritedFlags(ace[1], folder);
        if (flags < 0) continue;
        const uint8_t head[2] = {ace[0], uint8_t(flags)};
        AppendBytes(&aces, head, 2);
        AppendBytes(&aces, ace + 2, aceSize - 2);
        ++count;
    }
    // Self-relative, the owner right after the header and the DACL after
    // it; what is copied is no longer than the parent's ACL, whose size fits
    // its 16 bits.
    AnsiString descriptor;
    const uint8_t header[4] = {1, 0, uint8_t(SelfRelative | DaclPresent | DaclAutoInherited),
                               uint8_t((SelfRelative | DaclPresent | DaclAutoInherited) >> 8)};
    AppendBytes(&descriptor, header, 4);
    AppendDword(&descriptor, HeaderSize);
    AppendDword(&descriptor, 0);
    AppendDword(&descriptor, 0);
    AppendDword(&descriptor, uint32_t(HeaderSize + parts.ownerLength));
    AppendBytes(&descriptor, parent + parts.owner, parts.ownerLength);
    size_t aclSize = AclHeaderSize + aces.Length();
    const uint8_t aclHeader[8] = {acl[0], 0, uint8_t(aclSize), uint8_t(aclSize >> 8), uint8_t(count),
                                  uint8_t(count >> 8), 0, 0};
    AppendBytes(&descriptor, aclHeader, 8);
    descriptor += aces;
    return descriptor;
}
