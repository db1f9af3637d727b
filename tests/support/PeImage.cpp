#include "PeImage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

const int DirectoryImport = 1;
const int DirectoryResource = 2;
const int DirectoryCertificates = 4;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// UTF-16 text of the programs' own resources is ASCII; anything else shows as '?'.
std::string Narrow(const std::string& utf16) {
    std::string text;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        unsigned value = static_cast<unsigned char>(utf16[i]) |
                         static_cast<unsigned char>(utf16[i + 1]) << 8;
        text += value < 0x80 ? static_cast<char>(value) : '?';
    }
    return text;
}

std::string Wide(const std::string& text) {
    std::string utf16;
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    return utf16;
}

uint32_t Le32(const std::string& data, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= data.size()) std::memcpy(&value, data.data() + offset, 4);
    return value;
}

std::string VersionText(uint32_t high, uint32_t low) {
    std::ostringstream text;
    text << (high >> 16) << '.' << (high & 0xffff) << '.' << (low >> 16) << '.' << (low & 0xffff);
    return text.str();
}

// The offset of the fixed block's signature, or npos.
size_t FixedBlock(const std::string& resource) {
    static const char Signature[] = "\xbd\x04\xef\xfe";
    return resource.find(std::string(Signature, 4));
}

}  // namespace

PeImage::PeImage(std::string bytes) : bytes_(std::move(bytes)) {
    if (U16(0) != 0x5a4d) {
        error_ = "no MZ header";
        return;
    }
    const uint32_t nt = U32(0x3c);
    if (U32(nt) != 0x4550) {
        error_ = "no PE signature";
        return;
    }
    machine_ = U16(nt + 4);
    const uint16_t sectionCount = U16(nt + 6);
    const uint16_t optionalSize = U16(nt + 20);
    const int64_t optional = nt + 24;
    const uint16_t magic = U16(optional);
    if (magic != 0x10b && magic != 0x20b) {
        error_ = "unknown optional header";
        return;
    }
    wide_ = magic == 0x20b;
    subsystem_ = U16(optional + 68);
    const int64_t directories = optional + (wide_ ? 112 : 96);
    const uint32_t directoryCount = U32(directories - 4);
    if (directoryCount > DirectoryResource) {
        importRva_ = U32(directories + 8 * DirectoryImport);
        resourceRva_ = U32(directories + 8 * DirectoryResource);
        resourceSize_ = U32(directories + 8 * DirectoryResource + 4);
    }
    // Its address is a file offset: the table is not loaded.
    if (directoryCount > DirectoryCertificates) {
        certificateOffset_ = U32(directories + 8 * DirectoryCertificates);
        certificateSize_ = U32(directories + 8 * DirectoryCertificates + 4);
    }
    const int64_t table = optional + optionalSize;
    if (table + 40 * static_cast<int64_t>(sectionCount) > static_cast<int64_t>(bytes_.size())) {
        error_ = "section table past the end of the file";
        return;
    }
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const int64_t header = table + 40 * i;
        sections_.push_back({U32(header + 12), U32(header + 8), U32(header + 20), U32(header + 16)});
    }
}

PeImage PeImage::FromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        PeImage image("");
        image.error_ = "cannot read " + path;
        return image;
    }
    return PeImage(std::string(std::istreambuf_iterator<char>(file), {}));
}

int64_t PeImage::Offset(uint32_t rva, uint32_t count) const {
    for (const Section& section : sections_) {
        const uint64_t end = static_cast<uint64_t>(section.address) + std::min(section.size, section.rawSize);
        if (rva >= section.address && static_cast<uint64_t>(rva) + count <= end) {
            const uint64_t offset = static_cast<uint64_t>(section.offset) + (rva - section.address);
            if (offset + count <= bytes_.size()) return static_cast<int64_t>(offset);
        }
    }
    return -1;
}

bool PeImage::Read(int64_t offset, void* out, uint32_t count) const {
    if (offset < 0 || static_cast<uint64_t>(offset) + count > bytes_.size()) return false;
    std::memcpy(out, bytes_.data() + offset, count);
    return true;
}

uint32_t PeImage::U32(int64_t offset) const {
    uint32_t value = 0;
    Read(offset, &value, 4);
    return value;
}

uint16_t PeImage::U16(int64_t offset) const {
    uint16_t value = 0;
    Read(offset, &value, 2);
    return value;
}

std::vector<std::string> PeImage::ImportedLibraries() const {
    std::vector<std::string> names;
    if (!importRva_) return names;
    // Descriptors of 20 bytes, ended by one whose name is 0.
    for (uint32_t descriptor = importRva_;; descriptor += 20) {
        const int64_t offset = Offset(descriptor, 20);
        if (offset < 0) break;
        const uint32_t nameRva = U32(offset + 12);
        if (!nameRva) break;
        const int64_t name = Offset(nameRva, 1);
        if (name < 0) break;
        names.push_back(Lower(bytes_.c_str() + name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string PeImage::ResourceText(uint32_t offset) const {
    const int64_t text = Offset(resourceRva_ + offset, 2);
    if (text < 0) return "";
    const uint16_t length = U16(text);
    if (Offset(resourceRva_ + offset, 2 + 2u * length) < 0) return "";
    return Narrow(bytes_.substr(text + 2, 2u * length));
}

// Three levels below the root: type, name, language; the leaves describe
// the data.
void PeImage::ReadResourceLevel(uint32_t directory, int level, PeResource entry,
                                std::vector<PeResource>* out) const {
    const int64_t header = Offset(resourceRva_ + directory, 16);
    if (header < 0 || level > 2) return;
    const uint32_t count = U16(header + 12) + U16(header + 14);
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t item = Offset(resourceRva_ + directory + 16 + 8 * i, 8);
        if (item < 0) return;
        const uint32_t name = U32(item);
        const uint32_t target = U32(item + 4);
        PeResource child = entry;
        const bool named = name & 0x80000000u;
        const uint32_t number = named ? 0 : name;
        const std::string text = named ? ResourceText(name & 0x7fffffffu) : "";
        if (level == 0) {
            child.type = number;
            child.typeName = text;
        } else if (level == 1) {
            child.id = number;
            child.name = text;
        } else {
            child.language = number;
        }
        if (target & 0x80000000u) {
            ReadResourceLevel(target & 0x7fffffffu, level + 1, child, out);
        } else if (level == 2) {
            const int64_t leaf = Offset(resourceRva_ + target, 16);
            if (leaf < 0) continue;
            const uint32_t size = U32(leaf + 4);
            const int64_t data = Offset(U32(leaf), size);
            if (data < 0) continue;
            child.data = bytes_.substr(data, size);
            out->push_back(child);
        }
    }
}

std::vector<PeResource> PeImage::Resources() const {
    std::vector<PeResource> resources;
    if (resourceRva_ && resourceSize_) ReadResourceLevel(0, 0, PeResource(), &resources);
    return resources;
}

std::optional<PeResource> PeImage::FindResource(uint32_t type, uint32_t id) const {
    for (PeResource& resource : Resources()) {
        if (resource.typeName.empty() && resource.type == type && resource.name.empty() &&
            resource.id == id) {
            return std::move(resource);
        }
    }
    return std::nullopt;
}

std::string PeImage::CertificateTable() const {
    if (!certificateSize_ || static_cast<uint64_t>(certificateOffset_) + certificateSize_ > bytes_.size()) {
        return "";
    }
    return bytes_.substr(certificateOffset_, certificateSize_);
}

// An entry is: its length, the revision (0x0200), the type (2 for PKCS#7
// signed data), the signature.
bool HoldsAuthenticodeSignature(const std::string& table) {
    const uint32_t length = Le32(table, 0);
    return length > 8 && length <= table.size() && (Le32(table, 4) & 0xffff) == 0x0200 &&
           Le32(table, 4) >> 16 == 2;
}

std::string FixedFileVersion(const std::string& resource) {
    const size_t block = FixedBlock(resource);
    if (block == std::string::npos) return "";
    return VersionText(Le32(resource, block + 8), Le32(resource, block + 12));
}

std::string FixedProductVersion(const std::string& resource) {
    const size_t block = FixedBlock(resource);
    if (block == std::string::npos) return "";
    return VersionText(Le32(resource, block + 16), Le32(resource, block + 20));
}

// A string entry is: length, value length in characters, type, the key in
// UTF-16 with its terminator, padding to four bytes, the value.
std::string VersionString(const std::string& resource, const std::string& name) {
    const std::string key = Wide(name) + std::string(2, '\0');
    for (size_t at = resource.find(key); at != std::string::npos; at = resource.find(key, at + 2)) {
        if (at < 6 || at % 2) continue;
        const size_t entry = at - 6;
        const unsigned valueLength = static_cast<unsigned char>(resource[entry + 2]) |
                                     static_cast<unsigned char>(resource[entry + 3]) << 8;
        const size_t value = (at + key.size() + 3) & ~size_t(3);
        if (value + 2 * valueLength > resource.size()) break;
        std::string text = Narrow(resource.substr(value, 2 * valueLength));
        text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
        return text;
    }
    return "(none)";
}
