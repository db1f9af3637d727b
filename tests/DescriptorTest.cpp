#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/UDescriptor.h"

namespace {

std::string Sid(uint8_t authority, std::vector<uint32_t> parts) {
    AnsiString sid = SidBytes(authority, parts.data(), parts.size());
    return std::string(sid.CStr(), sid.Length());
}
const std::string Admins = Sid(5, {32, 544}), System = Sid(5, {18}), Users = Sid(5, {32, 545}),
                  Everyone = Sid(1, {0}), OwnerRights = Sid(3, {4}), User = Sid(5, {21, 1, 2, 3, 1001});

std::string Le(uint32_t value, size_t bytes) {
    std::string out;
    for (size_t i = 0; i < bytes; ++i) out += char(i < 4 ? value >> (8 * i) : 0);
    return out;
}

struct Ace {
    uint8_t type, flags;
    uint32_t mask;
    std::string sid, extra = "";  // `extra` goes between the mask and the SID
};

std::string Acl(const std::vector<Ace>& aces) {
    std::string body;
    for (const Ace& ace : aces) {
        std::string rest = Le(ace.mask, 4) + ace.extra + ace.sid;
        body += std::string{char(ace.type), char(ace.flags)} + Le(4 + rest.size(), 2) + rest;
    }
    return std::string{2, 0} + Le(8 + body.size(), 2) + Le(aces.size(), 2) + Le(0, 2) + body;
}

enum class Dacl { Listed, Null, Absent };

// A self-relative descriptor: header, owner, then the DACL.
std::string Descriptor(const std::string& owner, const std::vector<Ace>& aces, Dacl dacl = Dacl::Listed,
                       uint16_t control = 0x8004) {
    if (dacl == Dacl::Absent) control &= ~0x0004;
    std::string header = std::string{1, 0} + Le(control, 2) + Le(owner.empty() ? 0 : 20, 4) + Le(0, 8);
    return header + Le(dacl == Dacl::Listed ? 20 + owner.size() : 0, 4) + owner +
           (dacl == Dacl::Listed ? Acl(aces) : "");
}

const std::vector<AnsiString> Trusted = {AnsiString(Admins.data(), Admins.size()),
                                         AnsiString(System.data(), System.size())};
bool Others(const std::string& descriptor) {
    return DescriptorLetsOthersChange(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size(),
                                      Trusted.data(), Trusted.size());
}

const uint32_t ReadExecute = 0x1200a9, FullAccess = 0x1f01ff;
const std::vector<Ace> ProgramFiles = {
    {0, 3, FullAccess, Admins}, {0, 3, FullAccess, System}, {0, 3, ReadExecute, Users}};

TEST(SidBytes, LaysOutRevisionCountAuthorityAndParts) {
    EXPECT_EQ(Sid(5, {32, 544}), std::string("\1\2\0\0\0\0\0\5\x20\0\0\0\x20\2\0\0", 16));
    EXPECT_EQ(Sid(1, {0}), std::string("\1\1\0\0\0\0\0\1\0\0\0\0", 12));
    EXPECT_EQ(Sid(5, std::vector<uint32_t>(16, 1)), "") << "a SID holds at most 15 parts";
}

TEST(DescriptorLetsOthersChange, AnswersByOwnerAndAllowedRights) {
    struct Case {
        const char* name;
        std::string descriptor;
        bool others;
    } cases[] = {
        {"Program Files", Descriptor(Admins, ProgramFiles), false},
        {"owned by SYSTEM", Descriptor(System, ProgramFiles), false},
        {"owned by a user", Descriptor(User, ProgramFiles), true},
        {"without owner", Descriptor("", ProgramFiles), true},
        {"without DACL", Descriptor(Admins, {}, Dacl::Absent), true},
        {"null DACL", Descriptor(Admins, {}, Dacl::Null), true},
        {"empty DACL", Descriptor(Admins, {}), false},
        {"Users read-only", Descriptor(Admins, {{0, 0, ReadExecute, Users}}), false},
        {"Users write", Descriptor(Admins, {{0, 3, ReadExecute | 0x2, Users}}), true},
        {"Everyone full", Descriptor(Admins, {{0, 0, FullAccess, Everyone}}), true},
        {"a user full", Descriptor(Admins, {{0, 0, FullAccess, User}}), true},
        {"inherit-only", Descriptor(Admins, {{0, 0x0b, FullAccess, Users}}), false},
        {"denied", Descriptor(Admins, {{1, 0, FullAccess, Users}}), false},
        {"OWNER RIGHTS", Descriptor(Admins, {{0, 0, FullAccess, OwnerRights}}), false},
        {"callback", Descriptor(Admins, {{9, 0, FullAccess, Users}}), true},
        {"object with both GUIDs", Descriptor(Admins, {{5, 0, 0x2, Users, Le(3, 4) + std::string(32, 'g')}}), true},
        {"object without GUIDs", Descriptor(Admins, {{11, 0, ReadExecute, Users, Le(0, 4)}}), false},
        {"compound", Descriptor(Admins, {{4, 0, ReadExecute, Users}}), true},
    };
    for (const Case& c : cases) EXPECT_EQ(Others(c.descriptor), c.others) << c.name;
}

TEST(DescriptorLetsOthersChange, EachChangingRightCounts) {
    for (uint32_t right : {0x2u, 0x4u, 0x10u, 0x40u, 0x100u, 0x10000u, 0x40000u, 0x80000u, 0x2000000u,
                           0x10000000u, 0x40000000u}) {
        EXPECT_TRUE(Others(Descriptor(Admins, {{0, 0, right, Users}}))) << std::hex << right;
    }
    // Read, execute, read attributes and the like change nothing.
    EXPECT_FALSE(Others(Descriptor(Admins, {{0, 0, 0x801200a9u, Users}})));
}

TEST(DescriptorLetsOthersChange, AnyDescriptorThatCannotBeReadWholeIsUnsafe) {
    const std::string safe = Descriptor(Admins, ProgramFiles);
    ASSERT_FALSE(Others(safe));
    for (size_t size = 0; size < safe.size(); ++size) EXPECT_TRUE(Others(safe.substr(0, size))) << size;
    auto garbled = [&](size_t at, const std::string& bytes) { return std::string(safe).replace(at, bytes.size(), bytes); };
    const size_t acl = 20 + Admins.size(), ace = acl + 8;
    struct Case {
        const char* name;
        std::string descriptor;
    } cases[] = {
        {"revision 2", garbled(0, "\2")},
        {"not self-relative", garbled(2, Le(0x0004, 2))},
        {"owner past the end", garbled(4, Le(1000, 4))},
        {"owner with 16 parts", garbled(21, "\x10")},
        {"DACL past the end", garbled(16, Le(0xfffffffc, 4))},
        {"ACL revision 5", garbled(acl, "\5")},
        {"ACL longer than the descriptor", garbled(acl + 2, Le(0x400, 2))},
        {"more ACEs than it holds", garbled(acl + 4, Le(4, 2))},
        {"ACE of size 0", garbled(ace + 2, Le(0, 2))},
        {"ACE past the ACL", garbled(ace + 2, Le(0x100, 2))},
        {"SID past the ACE", garbled(ace + 2, Le(12, 2))},
        {"object ACE without its flags", Descriptor(Admins, {{5, 0, ReadExecute, ""}})},
        {"object ACE too short for its GUIDs", Descriptor(Admins, {{5, 0, ReadExecute, "", Le(3, 4)}})},
    };
    for (const Case& c : cases) EXPECT_TRUE(Others(c.descriptor)) << c.name;
    EXPECT_TRUE(DescriptorLetsOthersChange(nullptr, 0, Trusted.data(), Trusted.size()));
}

TEST(InheritedDescriptor, PassesOnWhatFilesAndFoldersInherit) {
    const std::vector<Ace> parent = {
        {0, 0x03, FullAccess, Admins},    // files and folders
        {0, 0x01, ReadExecute, Users},    // files only
        {0, 0x02, 0x4, Users},            // folders only
        {0, 0x07, FullAccess, User},      // one level down
        {0, 0x0b, 0x2, System},           // inherit-only: below, not here
        {0, 0x00, FullAccess, Everyone},  // here only
    };
    struct Case {
        bool folder;
        std::vector<Ace> inherited;
    } cases[] = {
        {false, {{0, 0x10, FullAccess, Admins}, {0, 0x10, ReadExecute, Users}, {0, 0x10, FullAccess, User},
                 {0, 0x10, 0x2, System}}},
        {true, {{0, 0x13, FullAccess, Admins}, {0, 0x19, ReadExecute, Users}, {0, 0x12, 0x4, Users},
                {0, 0x10, FullAccess, User}, {0, 0x13, 0x2, System}}},
    };
    const std::string from = Descriptor(Admins, parent, Dacl::Listed, 0x9004);
    for (const Case& c : cases) {
        AnsiString made = InheritedDescriptor(reinterpret_cast<const uint8_t*>(from.data()), from.size(), c.folder);
        EXPECT_EQ(std::string(made.CStr(), made.Length()), Descriptor(Admins, c.inherited, Dacl::Listed, 0x8404))
            << (c.folder ? "folder" : "file");
    }
}

TEST(InheritedDescriptor, NeedsAWholeDescriptorWithOwnerAndDacl) {
    const std::string whole = Descriptor(Admins, ProgramFiles);
    for (const std::string& bad : {Descriptor("", ProgramFiles), Descriptor(Admins, {}, Dacl::Null),
                                   Descriptor(Admins, {}, Dacl::Absent), whole.substr(0, whole.size() - 1)}) {
        EXPECT_EQ(InheritedDescriptor(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), true).Length(), 0u);
    }
}

}  // namespace
