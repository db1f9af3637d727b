#include "util/UVersionResource.h"

namespace {

const uint32_t RtVersion = 16;
const uint32_t FixedInfoSignature = 0xFEEF04BD;
const uint32_t FixedInfoSize = 52;  // VS_FIXEDFILEINFO

// The image's bytes with every read checked against their end.
struct TBytes {
    const uint8_t* data;
    size_t size;

    bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
    uint32_t U16(uint64_t offset) const { return data[offset] | data[offset + 1] << 8; }
    uint32_t U32(uint64_t offset) const {
        return data[offset] | data[offset + 1] << 8 | data[offset + 2] << 16 | static_cast<uint32_t>(data[offset + 3]) << 24;
    }
};

struct TSections {
    uint64_t table;
    uint32_t count;
};

// The file offset of `count` bytes at the virtual address `rva`, when a
// section holds them in the file; false otherwise.
bool MapAddress(const TBytes& image, const TSections& sections, uint32_t rva, uint32_t count, uint64_t* offset) {
    for (uint32_t i = 0; i < sections.count; ++i) {
        uint64_t header = sections.table + 40ull * i;
        uint32_t address = image.U32(header + 12), rawSize = image.U32(header + 16);
        if (rva < address || rva - address >= rawSize || count > rawSize - (rva - address)) continue;
        *offset = static_cast<uint64_t>(image.U32(header + 20)) + (rva - address);
        return image.Has(*offset, count);
    }
    return false;
}

// The resource directory entry chosen at one level of the tree: the one of
// `id`, or the first when `id` is 0. Its offset, relative to the resource
// section, into `next`; false when there is none, or it is not a directory
// when `directory` says it must be (or is one when it must not be).
bool ChooseEntry(const TBytes& resources, uint32_t at, uint32_t id, bool directory, uint32_t* next) {
    if (!resources.Has(at, 16)) return false;
    uint32_t named = resources.U16(at + 12), numbered = resources.U16(at + 14);
    uint32_t first = id ? named : 0, count = id ? numbered : named + numbered;
    for (uint32_t i = first; i < first + count; ++i) {
        uint64_t entry = at + 16ull + 8ull * i;
        if (!resources.Has(entry, 8)) return false;
        if (id && resources.U32(entry) != id) continue;
        uint32_t target = resources.U32(entry + 4);
        if (((target & 0x80000000) != 0) != directory) return false;
        *next = target & 0x7FFFFFFF;
        return true;
    }
    return false;
}

// The fixed block of a VS_VERSIONINFO block of `size` bytes at `at`.
bool FixedProductVersion(const TBytes& image, uint64_t at, uint32_t size, uint32_t* ms, uint32_t* ls) {
    static const char Key[] = "VS_VERSION_INFO";
    const uint32_t keyEnd = 6 + sizeof Key * 2;
    const uint32_t fixedAt = (keyEnd + 3) & ~3u;
    if (size < fixedAt + FixedInfoSize) return false;
    uint32_t length = image.U16(at), valueLength = image.U16(at + 2);
    if (length > size || length < fixedAt + FixedInfoSize || valueLength < FixedInfoSize) return false;
    for (uint32_t i = 0; i < sizeof Key; ++i) {
        if (image.U16(at + 6 + 2 * i) != static_cast<uint8_t>(Key[i])) return false;
    }
    uint64_t fixed = at + fixedAt;
    if (image.U32(fixed) != FixedInfoSignature) return false;
    *ms = image.U32(fixed + 16);
    *ls = image.U32(fixed + 20);
    return true;
}

}  // namespace

bool ImageProductVersion(const uint8_t* data, size_t size, uint32_t* ms, uint32_t* ls) {
    TBytes image{data, size};
    if (!image.Has(0, 64) || data[0] != 'M' || data[1] != 'Z') return false;
    uint64_t pe = image.U32(60);
    if (!image.Has(pe, 24) || image.U32(pe) != 0x00004550) return false;
    TSections sections{0, image.U16(pe + 6)};
    uint32_t optionalSize = image.U16(pe + 20);
    uint64_t optional = pe + 24;
    sections.table = optional + optionalSize;
    if (!image.Has(optional, optionalSize) || !image.Has(sections.table, 40ull * sections.count)) return false;

    // The resource table is the third data directory, whose place differs
    // between PE32 and PE32+.
    uint32_t magic = optionalSize >= 2 ? image.U16(optional) : 0;
    uint32_t directories = magic == 0x10b ? 92 : magic == 0x20b ? 108 : 0;
    if (directories == 0 || optionalSize < directories + 4 + 3 * 8 || image.U32(optional + directories) < 3) {
        return false;
    }
    uint64_t resourceEntry = optional + directories + 4 + 2 * 8;
    uint32_t resourceRva = image.U32(resourceEntry), resourceSize = image.U32(resourceEntry + 4);
    uint64_t resourceStart;
    if (!MapAddress(image, sections, resourceRva, resourceSize, &resourceStart)) return false;
    TBytes resources{data + resourceStart, resourceSize};

    // Type, then name, then language; the last leads to a data entry.
    uint32_t name, language, entry;
    if (!ChooseEntry(resources, 0, RtVersion, true, &name) || !ChooseEntry(resources, name, 0, true, &language) ||
        !ChooseEntry(resources, language, 0, false, &entry) || !resources.Has(entry, 16)) {
        return false;
    }
    uint32_t dataRva = resources.U32(entry), dataSize = resources.U32(entry + 4);
    uint64_t block;
    return MapAddress(image, sections, dataRva, dataSize, &block) &&
           FixedProductVersion(image, block, dataSize, ms, ls);
}
