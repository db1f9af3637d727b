// Invariants of the script table that the engine, the uninstaller and the
// extraction rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/UConst.h"
#include "script/UScriptItems.h"
#include "util/UProducts.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return text;
}

std::string Folder(const std::string& name) {
    size_t slash = name.rfind('\\');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

bool IsBlockStart(uint32_t op) {
    return op == siIfVersions || op == siIfItems || op == siIfCustomized || op == siIfNotCustomized;
}

bool IsBlockEnd(uint32_t op) { return IsBlockStart(op - 1); }

TEST(ScriptTable, HasTheCountOfEachOpcode) {
    const std::map<uint32_t, int> expected = {
        {siCompilePackage, 22}, {siRegisterPackage, 11}, {siModifyFile, 19},
        {siDeleteFile, 8},      {siRegisterWinHelp, 2},  {siSetHelpDir, 1},
        {siCreateRegKey, 1},    {siCheckFile, 22},       {siAddSearchPath, 3},
        {siMergeFiles, 3},      {siSelectIde, 16},       {siUninstallHeader, 7},
        {siIfItems, 14},        {siEndIfItems, 14},      {siCreateDirectory, 29},
        {siExtractFile, 502},   {siClearDirectory, 8},   {siSetCurrentDir, 8},
        {siExtractIfAbsent, 1}, {siExtractIfNewer, 1},   {siRegisterUninstall, 1},
        {siCopyFile, 12}};
    std::map<uint32_t, int> counted;
    for (const ScriptItem& item : ScriptItems) ++counted[ItemOpcode(item)];
    EXPECT_EQ(counted, expected);
}

TEST(ScriptTable, FlagsAreRecordOrRecordAndKeepable) {
    std::map<uint32_t, int> highWords;
    for (const ScriptItem& item : ScriptItems) ++highWords[item.Id >> 16];
    EXPECT_EQ(highWords, (std::map<uint32_t, int>{{0, 622}, {1, 81}, {3, 2}}));

    std::vector<std::string> keepable;
    for (const ScriptItem& item : ScriptItems) {
        if (item.Id & sfKeepable) keepable.push_back(item.Name);
    }
    EXPECT_EQ(keepable, (std::vector<std::string>{"vllib.ini", ProductRegistryKey}));
}

TEST(ScriptTable, UnusedFieldsAreEmpty) {
    for (int i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        uint32_t op = ItemOpcode(item);
        EXPECT_EQ(item.Reserved, 0u) << i;
        EXPECT_EQ(item.Text, nullptr) << i;
        EXPECT_NE(item.Name, nullptr) << i;
        EXPECT_EQ(item.Target != nullptr, op == siCopyFile) << i;
        EXPECT_EQ(item.Name2 != nullptr, op == siMergeFiles) << i;
    }
}

TEST(ScriptTable, StartsWithTheUninstallLogHeader) {
    const uint32_t kinds[] = {uhProductName, uhVersion,    uhEdition,    uhInstallDir,
                              uhProductKey,  uhUninstallKey, uhEndOfHeader};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(ScriptItems[i].Id, siUninstallHeader | sfRecordUndo) << i;
        EXPECT_EQ(ScriptItems[i].Value, kinds[i]) << i;
    }
    for (int i = 7; i < ScriptItemCount; ++i) EXPECT_NE(ItemOpcode(ScriptItems[i]), siUninstallHeader);
}

TEST(ScriptTable, EndsWithTheProductKey) {
    const ScriptItem& last = ScriptItems[ScriptItemCount - 1];
    EXPECT_EQ(last.Id, 0x3000Fu);
    EXPECT_STREQ(last.Name, ProductRegistryKey);
    EXPECT_EQ(last.Value, 0x80000002u);
}

TEST(ScriptTable, EveryBlockIsClosedByItsOwnEnd) {
    struct Open {
        uint32_t op, value;
    };
    std::vector<Open> open;
    for (int i = 0; i < ScriptItemCount; ++i) {
        uint32_t op = ItemOpcode(ScriptItems[i]);
        uint32_t value = ScriptItems[i].Value;
        if (IsBlockStart(op)) {
            // An inner block of the same kind and mask would end the skip of
            // the outer one early.
            for (const Open& outer : open) {
                EXPECT_FALSE(outer.op == op && outer.value == value) << "item " << i;
            }
            open.push_back({op, value});
        } else if (IsBlockEnd(op)) {
            ASSERT_FALSE(open.empty()) << "end without start at item " << i;
            EXPECT_EQ(open.back().op + 1, op) << i;
            EXPECT_EQ(open.back().value, value) << i;
            open.pop_back();
        }
    }
    EXPECT_TRUE(open.empty());
}

// The top-level blocks: mask and the range of items between start and end.
struct Block {
    uint32_t mask;
    int first, last;  // items inside, end item excluded
};

std::vector<Block> TopLevelBlocks() {
    std::vector<Block> blocks;
    int depth = 0;
    for (int i = 0; i < ScriptItemCount; ++i) {
        uint32_t op = ItemOpcode(ScriptItems[i]);
        if (IsBlockStart(op) && depth++ == 0) blocks.push_back({ScriptItems[i].Value, i + 1, 0});
        if (IsBlockEnd(op) && --depth == 0) blocks.back().last = i - 1;
    }
    return blocks;
}

TEST(ScriptTable, HasTheGroupsInOrder) {
    std::vector<uint32_t> masks;
    for (const Block& block : TopLevelBlocks()) masks.push_back(block.mask);
    EXPECT_EQ(masks, (std::vector<uint32_t>{0x448, 0x080, 0x001, 0x002, 0x004, 0x008, 0x400,
                                            0x010, 0x020, 0x040, 0x300}));
    EXPECT_EQ(ScriptItems[7].Id, siCreateDirectory | sfRecordUndo);
    EXPECT_STREQ(ScriptItems[7].Name, "");
    EXPECT_EQ(ScriptItems[7].DirKind, dkInstallDir);
    EXPECT_STREQ(ScriptItems[8].Name, "Source");
}

struct IdeBlockFacts {
    uint32_t item;
    int index;
    const char* folder;
    const char* project;  // what the compile items pass
    int packages;
};

const IdeBlockFacts IdeBlocks[] = {
    {0x001, 1, "Delphi3", ".dpk", 2},   {0x002, 2, "Delphi4", ".dpk", 2},
    {0x004, 3, "Delphi5", ".dpk", 2},   {0x008, 7, "Delphi6", ".dpk", 4},
    {0x400, 9, "Delphi7", ".dpk", 4},   {0x010, 5, "CBuilder4", ".bpk", 2},
    {0x020, 6, "CBuilder5", ".mak", 2}, {0x040, 8, "CBuilder6", ".mak", 4}};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ScriptTable, IdeBlocksSelectBuildAndRegisterTheirIde) {
    std::vector<Block> blocks = TopLevelBlocks();
    std::vector<int> extractCounts;
    for (int b = 0; b < 8; ++b) {
        const IdeBlockFacts& ide = IdeBlocks[b];
        const Block& block = blocks[2 + b];
        const TBorlandProduct& product = BorlandProducts[ide.index - 1];
        SCOPED_TRACE(ide.folder);
        ASSERT_EQ(block.mask, ide.item);
        const ScriptItem* items = ScriptItems;

        // Opened and closed by a recorded selection of the IDE.
        EXPECT_EQ(items[block.first].Id, siSelectIde | sfRecordUndo);
        EXPECT_EQ(items[block.first].Value, uint32_t(ide.index));
        EXPECT_EQ(items[block.last].Id, siSelectIde | sfRecordUndo);
        EXPECT_EQ(items[block.last].Value, uint32_t(ide.index));
        EXPECT_EQ(items[block.first + 1].Id, siCreateDirectory | sfRecordUndo);
        EXPECT_STREQ(items[block.first + 1].Name, ide.folder);
        EXPECT_EQ(items[block.first + 2].Id, uint32_t(siClearDirectory));
        EXPECT_STREQ(items[block.first + 2].Name, ide.folder);

        int extracts = 0, packages = 0, searchPaths = 0, merges = 0, deletes = 0;
        std::vector<std::pair<std::string, uint32_t>> modifications;
        bool currentDirSet = false;
        for (int i = block.first; i <= block.last; ++i) {
            const ScriptItem& item = items[i];
            uint32_t op = ItemOpcode(item);
            if (op == siExtractFile) {
                ++extracts;
                EXPECT_EQ(Folder(item.Name), ide.folder);
                EXPECT_FALSE(currentDirSet) << "files come before the compilations";
            } else if (op == siSetCurrentDir) {
                EXPECT_STREQ(item.Name, ide.folder);
                currentDirSet = true;
            } else if (op == siCompilePackage) {
                // compile, check, then copy (runtime) or register (design time).
                ++packages;
                EXPECT_TRUE(currentDirSet);
                EXPECT_EQ(item.Value, product.Mask);
                EXPECT_TRUE(EndsWith(item.Name, ide.project)) << item.Name;
                const ScriptItem& check = items[i + 1];
                const ScriptItem& use = items[i + 2];
                ASSERT_EQ(ItemOpcode(check), uint32_t(siCheckFile));
                EXPECT_EQ(Folder(check.Name), ide.folder);
                std::string built = std::string(check.Name).substr(strlen(ide.folder) + 1);
                std::string stem = std::string(item.Name).substr(0, strlen(item.Name) - 4);
                EXPECT_EQ(built, stem + (ide.index == 1 ? ".dpl" : ".bpl"));
                bool design = built.rfind("dcl", 0) == 0;
                if (design) {
                    EXPECT_EQ(use.Id, siRegisterPackage | sfRecordUndo);
                } else {
                    ASSERT_EQ(ItemOpcode(use), uint32_t(siCopyFile));
                    EXPECT_EQ(use.Target->DirKind, dkSystem);
                    EXPECT_EQ(Lower(use.Target->Name), Lower(built));
                }
                EXPECT_STREQ(use.Name, check.Name);
            } else if (op == siAddSearchPath) {
                ++searchPaths;
                EXPECT_STREQ(item.Name, "Source");
                EXPECT_EQ(item.Id & sfRecordUndo, uint32_t(sfRecordUndo));
            } else if (op == siModifyFile) {
                modifications.emplace_back(item.Name, item.Value);
                EXPECT_EQ(item.DirKind, dkIdeHelp);
                ASSERT_TRUE(item.Value >= 1 && item.Value <= 3);
                EXPECT_STRNE(product.IdeFiles[item.Value - 1], "") << "slot " << item.Value;
            } else if (op == siMergeFiles) {
                ++merges;
                EXPECT_STREQ(item.Name, "Help\\vllib.als");
                EXPECT_STREQ(item.Name2, product.IdeFiles[2]);
                EXPECT_EQ(item.DirKind2, dkIdeHelp);
            } else if (op == siDeleteFile) {
                ++deletes;
                EXPECT_EQ(item.Id, siDeleteFile | sfRecordUndo);
                EXPECT_EQ(item.DirKind, dkIdeRoot);
                EXPECT_TRUE(EndsWith(item.Name, ".gid")) << item.Name;
            }
        }
        extractCounts.push_back(extracts);
        EXPECT_EQ(packages, ide.packages);
        bool builder = ide.folder[0] == 'C';
        EXPECT_EQ(searchPaths, builder ? 1 : 0);
        EXPECT_EQ(merges, ide.packages == 4 ? 1 : 0);
        EXPECT_EQ(deletes, 1);

        const std::string index = HelpIndexLine, link = HelpLinkLine;
        std::vector<std::pair<std::string, uint32_t>> expected = {{index, 1}, {link, 2}};
        if (ide.index == 1) expected = {{index, 1}, {link, 1}};
        if (ide.index == 2) expected = {{index, 1}, {link, 1}, {index, 2}, {link, 3}};
        if (ide.index == 5) expected = {{link, 1}, {index, 2}, {link, 3}};
        EXPECT_EQ(modifications, expected);
    }
    EXPECT_EQ(*std::min_element(extractCounts.begin(), extractCounts.end()), 23);
    EXPECT_EQ(*std::max_element(extractCounts.begin(), extractCounts.end()), 115);
}

TEST(ScriptTable, EveryFileReferenceIsTheTargetOfOneCopy) {
    std::map<const TFileReference*, int> uses;
    for (const ScriptItem& item : ScriptItems) {
        if (item.Target) ++uses[item.Target];
    }
    ASSERT_EQ(uses.size(), size_t(FileReferenceCount));
    for (const auto& [reference, count] : uses) EXPECT_EQ(count, 1) << reference->Name;
    EXPECT_STREQ(FileReferences[9].Name, "delphi3\\vlVellorin.inc");
    EXPECT_EQ(FileReferences[9].DirKind, dkInstallDir);
    for (int i = 0; i < FileReferenceCount; ++i) {
        if (i != 9) {
            EXPECT_EQ(FileReferences[i].DirKind, dkSystem) << i;
        }
    }
}

TEST(ScriptTable, FilesGoIntoFoldersCreatedEarlier) {
    std::set<std::string> created;
    std::set<std::string> targets;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const ScriptItem& item = ScriptItems[i];
        uint32_t op = ItemOpcode(item);
        if (op == siCreateDirectory) {
            EXPECT_EQ(item.DirKind, dkInstallDir) << i;
            created.insert(Lower(item.Name));
        } else if (op == siExtractFile) {
            EXPECT_EQ(item.DirKind, dkInstallDir) << i;
            EXPECT_TRUE(created.count(Lower(Folder(item.Name)))) << i << " " << item.Name;
            EXPECT_TRUE(targets.insert(Lower(item.Name)).second) << "second target " << item.Name;
        }
    }
    EXPECT_EQ(created.size(), 29u);
}

TEST(ScriptTable, ExtractItemsShareSomeContents) {
    std::map<uint32_t, int> namings;
    for (const ScriptItem& item : ScriptItems) {
        if (ItemOpcode(item) == siExtractFile) ++namings[item.Value];
    }
    EXPECT_EQ(namings.size(), 484u);
    std::map<int, int> shared;  // items per id -> ids
    for (const auto& [id, count] : namings) {
        if (count > 1) ++shared[count];
    }
    EXPECT_EQ(shared, (std::map<int, int>{{2, 12}, {3, 3}}));
}

TEST(ScriptTable, DemoBlocksNestInTheirCommonBlock) {
    const Block demos = TopLevelBlocks().back();
    ASSERT_EQ(demos.mask, 0x300u);
    std::map<uint32_t, int> extracts, folders, recordedFolders;
    uint32_t inner = 0;
    for (int i = demos.first; i <= demos.last; ++i) {
        const ScriptItem& item = ScriptItems[i];
        uint32_t op = ItemOpcode(item);
        if (op == siIfItems) inner = item.Value;
        if (op == siEndIfItems) inner = 0;
        if (op == siExtractFile) ++extracts[inner];
        if (op == siCreateDirectory) ++((item.Id & sfRecordUndo) ? recordedFolders : folders)[inner];
    }
    EXPECT_EQ(extracts, (std::map<uint32_t, int>{{0x100, 37}, {0x200, 50}}));
    EXPECT_EQ(folders, (std::map<uint32_t, int>{{0x100, 8}, {0x200, 7}}));
    EXPECT_EQ(recordedFolders, (std::map<uint32_t, int>{{0, 1}, {0x100, 1}, {0x200, 1}}));
}

TEST(ScriptTable, PlacesTheIniFileTheUninstallerAndItsEntry) {
    std::vector<const ScriptItem*> found;
    for (const ScriptItem& item : ScriptItems) {
        uint32_t op = ItemOpcode(item);
        if (op == siExtractIfAbsent || op == siExtractIfNewer || op == siRegisterUninstall) {
            found.push_back(&item);
        }
    }
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0]->Id, siExtractIfAbsent | sfRecordUndo | sfKeepable);
    EXPECT_EQ(found[0]->DirKind, dkWindows);
    EXPECT_EQ(found[1]->Id, uint32_t(siExtractIfNewer));
    EXPECT_STREQ(found[1]->Name, UninstallerName);
    EXPECT_EQ(found[1]->DirKind, dkInstallDir);
    EXPECT_EQ(found[2]->Id, siRegisterUninstall | sfRecordUndo);
    EXPECT_STREQ(found[2]->Name, UninstallerName);
    EXPECT_EQ(found[0] + 1, found[1]);
    EXPECT_EQ(found[1] + 1, found[2]);
}

}  // namespace
