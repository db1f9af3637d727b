// Helpers for the tests that run under Wine: scratch folders, file trees,
// the generator's manifest, and child processes watched for windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A path of the build (VL_BUILD_DIR or VL_GENERATED_DIR + relative) with
// backslashes, as Windows programs expect it.
std::string WindowsPath(const std::string& path);
std::string BuildFile(const std::string& relative);
std::string GeneratedFile(const std::string& relative);
// A name in the program's ANSI code page, in UTF-16, for the wide functions.
std::wstring Wide(const std::string& ansi);

// A fresh, empty folder below the temporary directory; removed with all it
// holds (read-only files included) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Runs the current thread in `dir` until the object goes.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();
    const std::string& Path() const { return dir_; }

private:
    std::string dir_;
    std::string previous_;
};

bool ReadFileBytes(const std::string& path, std::string* data);
// Whether anything is there (a file, a folder, a link that leads somewhere).
bool Exists(const std::string& path);
// The lines of a text whose lines end with CR LF; a last line without one is dropped.
std::vector<std::string> CrLfLines(const std::string& text);
// Every value below a key, as "subkey\name=data" lines ("text" for a
// string, dword:0x.. for a number, hex(type):.. for anything else), and
// every subkey as "subkey\", sorted; empty when the key does not exist.
std::vector<std::string> RegistrySnapshot(HKEY root, const std::string& key);
// A REG_SZ value, or "(none)".
std::string RegistryString(HKEY root, const std::string& key, const std::string& name);
bool WriteFileBytes(const std::string& path, const std::string& data);
// Lets everybody change the file or folder, as a folder that a user made may.
bool OpenToEveryone(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);
// Removes a folder with all it holds; a link met on the way goes itself
// (RemoveLink), never what it leads to.
void RemoveTree(const std::string& path);

// Windows programs cannot make symbolic links under Wine, and Wine shows a
// Unix one as a link (a reparse point, for a link to a folder). These start
// Linux's own ln and rm, which Wine runs too, and wait for the outcome;
// false when it did not come about.
bool MakeLink(const std::string& link, const std::string& target);
bool RemoveLink(const std::string& link);
// Whether the entry at `path` is a link: a reparse point, or (for a link to
// a file under Wine) a file whose final path lies elsewhere.
bool IsLink(const std::string& path);

// Every entry below `root`, as relative paths; directories end with "\". A
// link to a folder is listed as a folder, without what it leads to.
std::vector<std::string> ListTree(const std::string& root);
// The same with each file's size and content hash: "path size hash".
std::vector<std::string> HashedTree(const std::string& root);
// The index of the first script item with this opcode and name; -1 when none.
int ItemIndex(uint32_t op, const std::string& name);
// The line HashedTree gives for a file with these contents.
std::string HashedEntry(const std::string& path, const std::string& contents);

// One line of the generator's manifest.
struct ManifestEntry {
    std::string kind;  // dir, file, absent, newer or unused
    int index;         // script item, -1 for none
    unsigned id;       // payload id, 0 for none
    long size;         // -1 when not known
    std::string name;  // relative to the install folder (or its directory kind)
};
std::vector<ManifestEntry> LoadManifest();
std::string PayloadBytes(unsigned id);

// The differences between the tree below `root` and what the extraction is
// to write there (directories, and files byte for byte); empty when equal.
// `except` names files left out of the byte comparison.
std::vector<std::string> CompareWithManifest(const std::string& root,
                                             const std::vector<std::string>& except = {});

// Waits, as a next setup would, until no setup or uninstall of the product
// holds the claim that only one may run (an uninstaller's copy ends after
// the program that started it has returned); false on timeout.
bool WaitForSetupsToEnd(DWORD timeoutMs);

// A child process, ended and released when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::string& currentDir);
    ChildProcess(const std::wstring& commandLine, const std::wstring& currentDir);
    // The same with its standard output and error going to `outputFile`, as
    // a build script's redirection gives them.
    ChildProcess(const std::string& commandLine, const std::string& currentDir, const std::string& outputFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    // Waits for the end; every top-level window that the process has meanwhile
    // (checked every few milliseconds) is added to `windows` as "class:title".
    bool Wait(DWORD timeoutMs, std::vector<std::string>* windows = nullptr);
    DWORD ExitCode() const;
    DWORD ProcessId() const { return process_.dwProcessId; }
    // Waits until the process shows a dialog box (with this caption, when
    // one is given); null on timeout.
    HWND WaitForDialog(DWORD timeoutMs, const char* caption = nullptr);

private:
    PROCESS_INFORMATION process_{};
};

std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The text of a message box: its static control with id 65535.
std::string MessageBoxText(HWND box);
// A message box of any process, found by its caption and part of its text;
// null on timeout.
HWND WaitForMessageBox(const char* caption, const std::string& text, DWORD timeoutMs);
