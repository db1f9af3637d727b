// A clean install setting for engine tests: globals reset, an install
// folder (with a blank in its name) below a scratch folder, and no traces of
// earlier installs in the registry, the Windows folder or the system folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/USwitches.h"
#include "catalogue/UConst.h"
#include "FakeIde.h"
#include "script/UScript.h"
#include "script/UUninstallRecord.h"
#include "TestSupport.h"
#include "uninstall/UDeinstall.h"
#include "util/UPaths.h"
#include "util/UProducts.h"
#include "util/URegistry.h"

struct Failure {
    int32_t index;
    int32_t code;
    std::string line;
};

struct Record {
    uint32_t code, arg, dirKind;
    std::string text;
    bool operator==(const Record& o) const {
        return code == o.code && arg == o.arg && dirKind == o.dirKind && text == o.text;
    }
};

inline void PrintTo(const Record& r, std::ostream* out) {
    *out << std::hex << "{" << r.code << ", " << r.arg << ", " << r.dirKind << ", \"" << r.text << "\"}";
}

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DetectPlatform();
        RemoveInstallTraces();
        ResetRunState();
        installDir_ = temp_ / "Vellorin Lib";
        InstallDir = installDir_.c_str();
    }
    void TearDown() override {
        ResetRunState();
        RemoveInstallTraces();
    }

    // Drives the engine over every item as the progress page does.
    std::vector<Failure> RunScript(TScript& script) {
        std::vector<Failure> failures;
        script.Start();
        AnsiString caption;
        while (script.Index < script.ItemCount()) {
            script.ItemCaption(&caption);
            int32_t code = script.ExecuteItem();
            if (code != 0) failures.push_back({script.Index, code, script.LogLine.CStr()});
            script.Index += script.ItemStep();
        }
        script.Finish();
        // The script leaves the process in the last IDE folder; like the
        // setup program ending, the test leaves it so that it can go.
        SetCurrentDirectoryA(current_.Path().c_str());
        return failures;
    }

    std::vector<std::string> InstallLog() const {
        std::string text;
        ReadFileBytes(installDir_ + "\\install.log", &text);
        return CrLfLines(text);
    }

    // The records of uninst.log in file order; `magic` receives its first bytes.
    std::vector<Record> UninstallLog(std::string* magic = nullptr) const {
        std::string data;
        ReadFileBytes(installDir_ + "\\uninst.log", &data);
        if (magic) *magic = data.substr(0, UninstallLogMagicLength);
        std::vector<Record> records;
        const uint32_t size = static_cast<uint32_t>(data.size());
        for (uint32_t at = UninstallLogMagicLength; at + UninstallRecordOverhead <= size;) {
            TRecordFields fields = DecodeUninstallRecord(data.data(), size, at);
            EXPECT_EQ(fields.State, rsWhole) << "record at " << at;
            if (fields.State != rsWhole) break;
            records.push_back({fields.Code, fields.Arg, fields.DirKind, std::string(fields.Text, fields.TextLength)});
            at += fields.Length;
        }
        return records;
    }

    // The registry keys of the product, the IDEs, Windows help and Add/Remove
    // Programs, as "key\\subkey\\name=data" lines, sorted.
    static std::vector<std::string> TouchedRegistry() {
        std::vector<std::string> lines;
        for (const auto& [root, key] : std::vector<std::pair<HKEY, std::string>>{
                 {HKEY_LOCAL_MACHINE, "Software\\Brindlecraft"},
                 {HKEY_LOCAL_MACHINE, "Software\\Borland"},
                 {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help"},
                 {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
                 {HKEY_CURRENT_USER, "Software\\Borland"}}) {
            for (const std::string& line : RegistrySnapshot(root, key)) lines.push_back(key + "\\" + line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // What an install can change on the machine, as lines to compare: the
    // registry (TouchedRegistry); every file below the scratch folder (the install folder, the
    // fake IDEs) with its hash; the files of the Windows folder; the
    // product's runtime packages in the system folder.
    std::vector<std::string> MachineSnapshot() const {
        std::vector<std::string> lines;
        for (const std::string& line : TouchedRegistry()) lines.push_back(line);
        for (const std::string& line : HashedTree(temp_.Path())) lines.push_back("file " + line);
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, MAX_PATH);
        WIN32_FIND_DATAA found;
        HANDLE listing = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
        for (BOOL more = listing != INVALID_HANDLE_VALUE; more; more = FindNextFileA(listing, &found)) {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                lines.push_back(std::string("windows ") + found.cFileName);
            }
        }
        if (listing != INVALID_HANDLE_VALUE) FindClose(listing);
        GetSystemDirectoryA(folder, MAX_PATH);
        for (const char* package : {"vll70.bpl", "clxvll70.bpl", "vll60.bpl", "clxvll60.bpl"}) {
            if (GetFileAttributesA((std::string(folder) + "\\" + package).c_str()) != INVALID_FILE_ATTRIBUTES) {
                lines.push_back(std::string("system ") + package);
            }
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    TempDir temp_;
    CurrentDirectory current_{temp_.Path()};  // the script changes it
    std::string installDir_;
};

// The typical install: Delphi 7 found, Delphi 7 and the help files chosen.
class TypicalFixture : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        ide_ = std::make_unique<FakeIde>(9, temp_ / "Borland\\Delphi7");
        DetectIdes();
        BorlandProducts[8].Selected = true;
        InstallVersions = 0x100;
        InstallItems = 0x480;
    }
    void TearDown() override {
        ide_.reset();
        EngineFixture::TearDown();
    }
    std::vector<Failure> Install(const std::string& folder) {
        InstallDir = folder.c_str();
        TScript script(TakeBackEarlierInstallation);
        return RunScript(script);
    }
    std::vector<Failure> Install() { return Install(installDir_); }

    std::unique_ptr<FakeIde> ide_;
};
