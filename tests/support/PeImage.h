// Reads a Windows program as a file, without loading it: its headers, the
// libraries its import table names and its resources. Plain C++ over bytes,
// so that the build machine can check the 32-bit programs it cannot run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct PeResource {
    // A type or a name is either a number or, when `typeName`/`name` is not
    // empty, a text (upper case as windres stores it).
    uint32_t type = 0;
    std::string typeName;
    uint32_t id = 0;
    std::string name;
    uint32_t language = 0;
    std::string data;
};

class PeImage {
public:
    static constexpr uint16_t MachineI386 = 0x14c;
    static constexpr uint16_t MachineAmd64 = 0x8664;
    static constexpr uint16_t SubsystemGui = 2;

    // Error() names what is wrong when the bytes are not a whole PE image.
    explicit PeImage(std::string bytes);
    static PeImage FromFile(const std::string& path);

    const std::string& Error() const { return error_; }
    uint16_t Machine() const { return machine_; }
    // PE32+ (64-bit) rather than PE32.
    bool Wide() const { return wide_; }
    uint16_t Subsystem() const { return subsystem_; }

    // Lower-case, sorted names of the libraries that the loader binds at start.
    std::vector<std::string> ImportedLibraries() const;
    std::vector<PeResource> Resources() const;
    // The first resource of a numbered type and id, in any language.
    std::optional<PeResource> FindResource(uint32_t type, uint32_t id) const;
    // The certificate table after the sections, which holds Authenticode
    // signatures; empty when the program is not signed.
    std::string CertificateTable() const;

private:
    struct Section {
        uint32_t address, size, offset, rawSize;
    };
    // The file offset of `count` bytes at virtual address `rva`, or -1.
    int64_t Offset(uint32_t rva, uint32_t count) const;
    bool Read(int64_t offset, void* out, uint32_t count) const;
    uint32_t U32(int64_t offset) const;
    uint16_t U16(int64_t offset) const;
    void ReadResourceLevel(uint32_t directory, int level, PeResource entry,
                           std::vector<PeResource>* out) const;
    std::string ResourceText(uint32_t offset) const;

    std::string bytes_;
    std::string error_;
    uint16_t machine_ = 0;
    uint16_t subsystem_ = 0;
    bool wide_ = false;
    uint32_t importRva_ = 0, resourceRva_ = 0, resourceSize_ = 0;
    uint32_t certificateOffset_ = 0, certificateSize_ = 0;
    std::vector<Section> sections_;
};

// The file and product versions of a version resource (its fixed block), as
// "a.b.c.d"; empty when the block is missing.
std::string FixedFileVersion(const std::string& versionResource);
std::string FixedProductVersion(const std::string& versionResource);
// The text of a value in a version resource's string table ("CompanyName"),
// or "(none)".
std::string VersionString(const std::string& versionResource, const std::string& name);
// Whether a certificate table starts with an Authenticode signature (a
// PKCS#7 signed-data entry of revision 2).
bool HoldsAuthenticodeSignature(const std::string& certificateTable);
