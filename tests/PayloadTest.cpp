// The payload resources and their extraction. This program carries the same
// payload resources as the setup.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <vector>

#include "app/UExtract.h"
#include "resources/version.h"
#include "script/UScriptItems.h"
#include "TestSupport.h"
#include "util/UPaths.h"
#include "util/UPayload.h"

namespace {

unsigned IdOf(const std::string& kind, const std::string& name) {
    for (const ManifestEntry& entry : LoadManifest()) {
        if (entry.kind == kind && (name.empty() || entry.name == name)) return entry.id;
    }
    return 0;
}

std::string Contents(const std::string& path) {
    std::string data;
    EXPECT_TRUE(ReadFileBytes(path, &data)) << path;
    return data;
}

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<unsigned>*>(param)->push_back(
            static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

std::vector<unsigned> PayloadIds() {
    std::vector<unsigned> ids;
    EnumResourceNamesA(nullptr, "VLLIB", CollectId, reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(PayloadStore, HoldsItsIdsInRunsInOneLanguage) {
    std::vector<unsigned> ids = PayloadIds();
    ASSERT_EQ(ids.size(), 487u);
    EXPECT_EQ(ids.front(), 1u);
    EXPECT_EQ(ids.back(), 872u);
    int runs = 1;
    for (size_t i = 1; i < ids.size(); ++i) runs += ids[i] != ids[i - 1] + 1;
    EXPECT_EQ(runs, 52);
    for (unsigned id : ids) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(nullptr, "VLLIB", MAKEINTRESOURCEA(id), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{1049}) << id;
    }
}

TEST(PayloadStore, HoldsEveryIdTheScriptNamesAndOneMore) {
    std::set<unsigned> named;
    for (const ScriptItem& item : ScriptItems) {
        uint32_t op = ItemOpcode(item);
        if (op == siExtractFile || op == siExtractIfAbsent || op == siExtractIfNewer) {
            named.insert(item.Value);
        }
    }
    std::vector<unsigned> ids = PayloadIds();
    std::vector<unsigned> unnamed;
    for (unsigned id : ids) {
        if (!named.count(id)) unnamed.push_back(id);
    }
    EXPECT_EQ(named.size(), 486u);
    EXPECT_EQ(unnamed, std::vector<unsigned>{IdOf("unused", "")});
    for (unsigned id : named) EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << id;
}

TEST(PayloadStore, HasTheSizesOfTheProduct) {
    long total = 0, smallest = LONG_MAX, largest = 0;
    for (unsigned id : PayloadIds()) {
        HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "vllib");
        ASSERT_NE(resource, nullptr) << id;
        long size = static_cast<long>(SizeofResource(nullptr, resource));
        if (id != IdOf("newer", "redud.exe")) total += size;
        smallest = std::min(smallest, size);
        largest = std::max(largest, size);
    }
    EXPECT_EQ(total, 6125271);
    EXPECT_EQ(smallest, 32);
    EXPECT_EQ(largest, 156070);
}

TEST(ExtractPayload, WritesTheSmallestAndTheLargestFileExactly) {
    TempDir temp;
    for (unsigned id : {IdOf("file", "Demos\\CBuilder\\IniDemo\\Defaults.ini"),
                        IdOf("file", "Help\\vllib.hlp")}) {
        std::string path = temp / std::to_string(id);
        ASSERT_EQ(ExtractPayload(id, path.c_str()), 0u);
        EXPECT_EQ(Contents(path), PayloadBytes(id));
    }
    EXPECT_EQ(Contents(temp / std::to_string(IdOf("file", "Help\\vllib.hlp"))).size(), 156070u);
}

TEST(ExtractPayload, AnUnknownIdCreatesNothing) {
    TempDir temp;
    std::vector<unsigned> ids = PayloadIds();
    unsigned gap = 0;
    for (size_t i = 1; i < ids.size() && !gap; ++i) {
        if (ids[i] != ids[i - 1] + 1) gap = ids[i - 1] + 1;
    }
    for (unsigned id : {gap, 0u, 873u, 65535u}) {
        EXPECT_EQ(ExtractPayload(id, (temp / "x").c_str()), uint32_t(ERROR_RESOURCE_NAME_NOT_FOUND)) << id;
    }
    EXPECT_TRUE(ListTree(temp.Path()).empty());
}

TEST(ExtractPayload, AMissingFolderIsPathNotFound) {
    TempDir temp;
    EXPECT_EQ(ExtractPayload(1, (temp / "no\\such.pas").c_str()), uint32_t(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(ListTree(temp.Path()).empty());
}

TEST(ExtractPayload, ALongerFileIsCutToThePayload) {
    TempDir temp;
    std::string path = temp / "f";
    WriteFileBytes(path, std::string(PayloadBytes(1).size() * 3, 'z'));
    EXPECT_EQ(ExtractPayload(1, path.c_str()), 0u);
    EXPECT_EQ(Contents(path), PayloadBytes(1));
}

TEST(ExtractPayload, TheSameIdTwiceGivesTwoEqualFiles) {
    TempDir temp;
    EXPECT_EQ(ExtractPayload(5, (temp / "a").c_str()), 0u);
    EXPECT_EQ(ExtractPayload(5, (temp / "b").c_str()), 0u);
    EXPECT_EQ(Contents(temp / "a"), Contents(temp / "b"));
    EXPECT_EQ(Contents(temp / "a"), PayloadBytes(5));
}

TEST(ExtractPayload, AReadOnlyTargetIsRefusedAndKept) {
    TempDir temp;
    std::string path = temp / "f";
    WriteFileBytes(path, "old");
    SetReadOnly(path, true);
    EXPECT_EQ(ExtractPayload(1, path.c_str()), uint32_t(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Contents(path), "old");
}

TEST(ExtractPayload, ATargetHeldOpenIsRefusedAndKept) {
    TempDir temp;
    std::string path = temp / "f";
    WriteFileBytes(path, "old");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExtractPayload(1, path.c_str()), uint32_t(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(Contents(path), "old");
}

TEST(ExtractPayload, TheUninstallerCarriesTheProductVersion) {
    TempDir temp;
    std::string path = temp / "redud.exe";
    ASSERT_EQ(ExtractPayload(IdOf("newer", "redud.exe"), path.c_str()), 0u);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030013u);
}

// The same version, read from the payload's bytes in memory; false for a
// payload that is no program and for an id that the payload lacks.
TEST(PayloadProductVersion, ReadsTheUninstallersVersionInMemory) {
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(PayloadProductVersion(IdOf("newer", "redud.exe"), &ms, &ls));
    EXPECT_EQ(ms, 0x00030013u);
    EXPECT_EQ(ls, uint32_t(VL_VERSION_RELEASE << 16 | VL_VERSION_BUILD));
    for (unsigned id : {IdOf("file", ""), 0xFFFFu}) {
        ms = ls = 7;
        EXPECT_FALSE(PayloadProductVersion(id, &ms, &ls)) << id;
        EXPECT_EQ(ms + ls, 14u) << id;
    }
}

TEST(ExtractAllPayload, WritesTheTreeBelowTheCurrentDirectory) {
    TempDir temp;
    CurrentDirectory inside(temp.Path());
    ExtractAllPayload();
    EXPECT_STREQ(InstallDir.CStr(), temp.Path().c_str());
    EXPECT_EQ(CompareWithManifest(temp.Path()), std::vector<std::string>{});
}

}  // namespace
