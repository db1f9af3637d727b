// The product version read from a program's bytes, on small images built
// here: both image kinds, and every way the bytes can fail to lead to a
// version. (tests/ShippedProgramTest.cpp reads the shipped uninstaller.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "util/UVersionResource.h"

namespace {

void Put(std::string* bytes, size_t at, uint32_t value, int width) {
    if (bytes->size() < at + width) bytes->resize(at + width);
    for (int i = 0; i < width; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

// The layout of the images built here.
const size_t PeAt = 0x40, OptionalAt = PeAt + 24, RawAt = 0x200;
const uint32_t SectionRva = 0x1000;
// In the resource section: three directories of one entry each, the data
// entry, then the VS_VERSIONINFO block.
const size_t TypeDirectory = 0, NameDirectory = 0x18, LanguageDirectory = 0x30, DataEntry = 0x48, Block = 0x58;

// A VS_VERSIONINFO block with its fixed block and nothing after it.
std::string VersionBlock(uint32_t ms, uint32_t ls) {
    std::string block;
    Put(&block, 0, 92, 2);  // its length
    Put(&block, 2, 52, 2);  // the fixed block's
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; ++i) Put(&block, 6 + 2 * i, static_cast<uint8_t>(key[i]), 2);
    const uint32_t fixed[13] = {0xFEEF04BD, 0x10000, 1, 2, ms, ls};
    for (size_t i = 0; i < 13; ++i) Put(&block, 40 + 4 * i, fixed[i], 4);
    return block;
}

size_t SectionTable(bool wide) { return OptionalAt + (wide ? 240 : 224); }
size_t ResourceDataDirectory(bool wide) { return OptionalAt + (wide ? 112 : 96) + 2 * 8; }

std::string Image(bool wide, uint32_t ms = 0x00030013, uint32_t ls = 0x00000005) {
    std::string resources;
    const size_t directories[] = {TypeDirectory, NameDirectory, LanguageDirectory};
    const uint32_t ids[] = {16, 1, 1033};
    const uint32_t targets[] = {0x80000000 | NameDirectory, 0x80000000 | LanguageDirectory, DataEntry};
    for (int level = 0; level < 3; ++level) {
        Put(&resources, directories[level] + 14, 1, 2);  // one numbered entry
        Put(&resources, directories[level] + 16, ids[level], 4);
        Put(&resources, directories[level] + 20, targets[level], 4);
    }
    const std::string block = VersionBlock(ms, ls);
    Put(&resources, DataEntry, SectionRva + Block, 4);
    Put(&resources, DataEntry + 4, static_cast<uint32_t>(block.size()), 4);
    resources.resize(Block);
    resources += block;

    std::string image = "MZ";
    Put(&image, 0x3C, PeAt, 4);
    Put(&image, PeAt, 0x4550, 4);
    Put(&image, PeAt + 4, wide ? 0x8664 : 0x14c, 2);
    Put(&image, PeAt + 6, 1, 2);  // one section
    Put(&image, PeAt + 20, static_cast<uint32_t>(SectionTable(wide) - OptionalAt), 2);
    Put(&image, OptionalAt, wide ? 0x20b : 0x10b, 2);
    Put(&image, OptionalAt + (wide ? 108 : 92), 16, 4);  // data directories
    Put(&image, ResourceDataDirectory(wide), SectionRva, 4);
    Put(&image, ResourceDataDirectory(wide) + 4, static_cast<uint32_t>(resources.size()), 4);
    const size_t section = SectionTable(wide);
    image.resize(section);
    image += ".rsrc";
    Put(&image, section + 8, static_cast<uint32_t>(resources.size()), 4);
    Put(&image, section + 12, SectionRva, 4);
    Put(&image, section + 16, static_cast<uint32_t>(resources.size()), 4);
    Put(&image, section + 20, RawAt, 4);
    image.resize(RawAt);
    return image + resources;
}

// Reads from a copy of exactly `size` bytes, so that the sanitizers see a
// read past them. ms and ls come back as 7 when nothing was found.
bool Version(const std::string& image, size_t size, uint32_t* ms, uint32_t* ls) {
    std::vector<uint8_t> copy(image.begin(), image.begin() + size);
    *ms = *ls = 7;
    return ImageProductVersion(copy.data(), copy.size(), ms, ls);
}

TEST(ImageProductVersion, ReadsTheFixedBlockOfBothImageKinds) {
    for (bool wide : {false, true}) {
        uint32_t ms, ls;
        const std::string image = Image(wide, 0x00040001, 0x00020003);
        ASSERT_TRUE(Version(image, image.size(), &ms, &ls)) << wide;
        EXPECT_EQ(ms, 0x00040001u) << wide;
        EXPECT_EQ(ls, 0x00020003u) << wide;
    }
}

TEST(ImageProductVersion, IsFalseForEveryImageCutShort) {
    for (bool wide : {false, true}) {
        const std::string image = Image(wide);
        for (size_t size = 0; size < image.size(); ++size) {
            uint32_t ms, ls;
            EXPECT_FALSE(Version(image, size, &ms, &ls)) << size;
            EXPECT_EQ(ms + ls, 14u) << size;
        }
    }
}

// One value changed in an image that reads well: each is enough to lose the
// version, and none makes the reader go outside the bytes.
TEST(ImageProductVersion, IsFalseWhenAnyStepOfTheWayIsWrong) {
    const size_t section = SectionTable(false), resources = RawAt, block = RawAt + Block;
    struct Case {
        const char* name;
        size_t at;
        int width;
        uint32_t value;
    } cases[] = {
        {"no MZ", 0, 1, 'X'},
        {"the PE header past the end", 0x3C, 4, 0xFFFFFFF0},
        {"no PE signature", PeAt, 1, 'X'},
        {"more sections than the image holds", PeAt + 6, 2, 0xFFFF},
        {"an optional header past the end", PeAt + 20, 2, 0xFFFF},
        {"an optional header too short for the resource table", PeAt + 20, 2, 96},
        {"neither PE32 nor PE32+", OptionalAt, 2, 0x107},
        {"no resource table", OptionalAt + 92, 4, 2},
        {"resources at no section's address", ResourceDataDirectory(false), 4, 0x5000},
        {"resources larger than their section", ResourceDataDirectory(false) + 4, 4, 0x1000},
        {"a section's bytes past the end", section + 20, 4, 0x7FFFFFF0},
        {"a section that wraps around", section + 20, 4, 0xFFFFFF00},
        {"no version type", resources + TypeDirectory + 16, 4, 17},
        {"a type that is no directory", resources + TypeDirectory + 20, 4, NameDirectory},
        {"a type directory past the resources", resources + TypeDirectory + 20, 4, 0xFFFFFFFF},
        {"no name", resources + NameDirectory + 14, 2, 0},
        {"more named types than the resources hold", resources + TypeDirectory + 12, 2, 0xFFFF},
        {"a language that is a directory", resources + LanguageDirectory + 20, 4, 0x80000000 | DataEntry},
        {"a data entry past the resources", resources + LanguageDirectory + 20, 4, 0x7FFFFFF8},
        {"data at no section's address", resources + DataEntry, 4, 0x9000},
        {"data past the section", resources + DataEntry + 4, 4, 0x100},
        {"data too short for the fixed block", resources + DataEntry + 4, 4, 91},
        {"a block longer than its data", block, 2, 93},
        {"a block too short for the fixed block", block, 2, 91},
        {"no fixed block", block + 2, 2, 0},
        {"another key", block + 6, 2, 'W'},
        {"a key without its end", block + 36, 2, 'X'},
        {"another signature", block + 40, 4, 0xFEEF04BC},
    };
    for (const Case& c : cases) {
        std::string image = Image(false);
        Put(&image, c.at, c.value, c.width);
        uint32_t ms, ls;
        EXPECT_FALSE(Version(image, image.size(), &ms, &ls)) << c.name;
        EXPECT_EQ(ms + ls, 14u) << c.name;
    }
}

}  // namespace
