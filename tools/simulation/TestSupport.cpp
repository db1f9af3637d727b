#include "TestSupport.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "script/UScriptItems.h"
#include "util/UCodePage.h"
#include "util/ULinks.h"
#include "util/USecurity.h"
#include "util/USingleInstance.h"

// The product's code run in the tests walks names as the programs do: in
// the code page that this process runs in.
const bool SystemCodePageLoaded = (LoadSystemCodePage(), true);

std::string WindowsPath(const std::string& path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

std::string BuildFile(const std::string& relative) {
    return WindowsPath(std::string(VL_BUILD_DIR) + "/" + relative);
}

std::string GeneratedFile(const std::string& relative) {
    return WindowsPath(std::string(VL_GENERATED_DIR) + "/" + relative);
}

std::wstring Wide(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

TempDir::TempDir() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::string(temp) + "vltest-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

CurrentDirectory::CurrentDirectory(const std::string& dir) : dir_(dir) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    previous_ = current;
    SetCurrentDirectoryA(dir.c_str());
}

CurrentDirectory::~CurrentDirectory() { SetCurrentDirectoryA(previous_.c_str()); }

bool ReadFileBytes(const std::string& path, std::string* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *data = bytes.str();
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

namespace {

// Buffers on the heap, sized by the key itself: values and names of any
// length, at any depth.
void SnapshotInto(HKEY key, const std::string& prefix, std::vector<std::string>* out) {
    DWORD longestSubkey = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestSubkey, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    // Wine counts some lengths in UTF-16 units: room for twice as much.
    std::vector<char> name(2 * std::max(longestName, longestSubkey) + 2);
    std::vector<BYTE> data(2 * longestData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string value = prefix + std::string(name.data(), nameLength) + "=";
        if (type == REG_SZ && dataLength > 0 && data[dataLength - 1] == 0) {
            value += "\"" + std::string(reinterpret_cast<char*>(data.data()), dataLength - 1) + "\"";
        } else if (type == REG_DWORD && dataLength == 4) {
            char number[16];
            wsprintfA(number, "dword:0x%lx", *reinterpret_cast<DWORD*>(data.data()));
            value += number;
        } else {
            value += "hex(" + std::to_string(type) + "):";
            for (DWORD b = 0; b < dataLength; ++b) {
                value += "0123456789abcdef"[data[b] >> 4];
                value += "0123456789abcdef"[data[b] & 15];
            }
        }
        out->push_back(value);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        std::string child = prefix + std::string(name.data(), nameLength) + "\\";
        out->push_back(child);
        HKEY sub;
        if (RegOpenKeyExA(key, name.data(), 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            SnapshotInto(sub, child, out);
            RegCloseKey(sub);
        }
    }
}

}  // namespace

std::vector<std::string> RegistrySnapshot(HKEY root, const std::string& key) {
    std::vector<std::string> snapshot;
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return snapshot;
    SnapshotInto(opened, "", &snapshot);
    RegCloseKey(opened);
    std::sort(snapshot.begin(), snapshot.end());
    return snapshot;
}

std::string RegistryString(HKEY root, const std::string& key, const std::string& name) {
    char value[4096];
    DWORD size = sizeof value;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return "(none)";
    }
    return value;
}

bool OpenToEveryone(const std::string& path) {
    TSecurity everyone("D:(A;OICI;FA;;;WD)");
    return everyone.Attributes() && SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION,
                                                     everyone.Attributes()->lpSecurityDescriptor);
}

bool WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    return SetFileAttributesA(path.c_str(),
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (IsLink(child)) {
                RemoveLink(child);
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetReadOnly(child, false);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetReadOnly(path, false);
    RemoveDirectoryA(path.c_str());
}

namespace {

// The Linux path of a Windows path, as Wine's own kernel32 gives it; empty
// outside Wine.
std::string UnixPath(const std::string& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return "";
    std::wstring wide(path.begin(), path.end());
    char* unix = convert(wide.c_str());
    if (!unix) return "";
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts a Linux tool of the build (fixtures/<tool>.elf) with the arguments,
// then waits until `done` says so.
template <typename Done>
bool RunUnixTool(const std::string& tool, const std::string& arguments, Done done) {
    std::string program = BuildFile("fixtures/" + tool + ".elf");
    std::string line = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    // Wine gives a Linux program no process handle, and a thread "handle"
    // that is none of this process's: closing it could close another.
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // Wine does not report a Linux program's end: the outcome is waited for.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10)) {
        if (done()) return true;
    }
    return false;
}

}  // namespace

bool MakeLink(const std::string& link, const std::string& target) {
    std::string unixLink = UnixPath(link), unixTarget = UnixPath(target);
    if (unixLink.empty() || unixTarget.empty()) return false;
    return RunUnixTool("ln", "-s \"" + unixTarget + "\" \"" + unixLink + "\"", [&link] { return IsLink(link); });
}

bool RemoveLink(const std::string& link) {
    std::string unixLink = UnixPath(link);
    if (unixLink.empty()) return false;
    return RunUnixTool("rm", "-f \"" + unixLink + "\"", [&link] {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(link.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return true;
        FindClose(search);
        return false;
    });
}

bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A file whose final path is not its folder's followed by its name.
    size_t slash = path.rfind('\\');
    AnsiString folder, file;
    if (slash == std::string::npos || !FinalPath(AnsiString(path.substr(0, slash).c_str()), &folder) ||
        !FinalPath(AnsiString(path.c_str()), &file)) {
        return false;
    }
    return lstrcmpiA(file.CStr(), (std::string(folder.CStr()) + path.substr(slash)).c_str()) != 0;
}

namespace {

void ListInto(const std::string& root, const std::string& prefix, std::vector<std::string>* out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out->push_back(prefix + name + "\\");
            // A link to a folder is listed, not what it leads to.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListInto(root, prefix + name + "\\", out);
        } else {
            out->push_back(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return text;
}

}  // namespace

std::vector<std::string> ListTree(const std::string& root) {
    std::vector<std::string> entries;
    ListInto(root, "", &entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string HashedEntry(const std::string& path, const std::string& contents) {
    uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    for (unsigned char c : contents) hash = (hash ^ c) * 0x100000001B3ull;
    char text[32];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return path + " " + std::to_string(contents.size()) + " " + text;
}

std::vector<std::string> HashedTree(const std::string& root) {
    std::vector<std::string> entries;
    for (const std::string& entry : ListTree(root)) {
        if (entry.back() == '\\') {
            entries.push_back(entry);
            continue;
        }
        std::string contents;
        ReadFileBytes(root + "\\" + entry, &contents);
        entries.push_back(HashedEntry(entry, contents));
    }
    return entries;
}

std::vector<ManifestEntry> LoadManifest() {
    std::vector<ManifestEntry> entries;
    std::ifstream in(GeneratedFile("manifest.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string index, id, size;
        ManifestEntry entry;
        fields >> entry.kind >> index >> id >> size;
        std::getline(fields >> std::ws, entry.name);
        entry.index = index == "-" ? -1 : std::stoi(index);
        entry.id = id == "-" ? 0 : static_cast<unsigned>(std::stoul(id));
        entry.size = size == "-" ? -1 : std::stol(size);
        entries.push_back(entry);
    }
    return entries;
}

std::string PayloadBytes(unsigned id) {
    std::string data;
    ReadFileBytes(GeneratedFile("payload\\" + std::to_string(id) + ".bin"), &data);
    return data;
}

std::vector<std::string> CompareWithManifest(const std::string& root,
                                             const std::vector<std::string>& except) {
    std::vector<std::string> problems;
    // Windows names compare without regard to case.
    std::map<std::string, const ManifestEntry*> expected;
    std::vector<ManifestEntry> manifest = LoadManifest();
    for (const ManifestEntry& entry : manifest) {
        if (entry.kind == "dir" && !entry.name.empty()) expected[Lower(entry.name + "\\")] = &entry;
        if (entry.kind == "file") expected[Lower(entry.name)] = &entry;
    }
    std::set<std::string> skip;
    for (const std::string& name : except) skip.insert(Lower(name));

    std::set<std::string> present;
    for (const std::string& entry : ListTree(root)) {
        std::string key = Lower(entry);
        present.insert(key);
        auto it = expected.find(key);
        if (it == expected.end()) {
            problems.push_back("unexpected: " + entry);
            continue;
        }
        if (it->second->kind != "file" || skip.count(key)) continue;
        std::string actual;
        ReadFileBytes(root + "\\" + entry, &actual);
        if (actual != PayloadBytes(it->second->id)) {
            problems.push_back("content differs: " + entry);
        }
    }
    for (const auto& [key, entry] : expected) {
        if (!present.count(key)) problems.push_back("missing: " + entry->name);
    }
    return problems;
}

bool WaitForSetupsToEnd(DWORD timeoutMs) {
    TSingleInstance claim(timeoutMs);
    return claim.Acquired();
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& currentDir)
    : ChildProcess(Wide(commandLine), Wide(currentDir)) {}

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& currentDir) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.c_str(), &startup, &process_)) {
        process_ = PROCESS_INFORMATION{};
    }
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& currentDir,
                           const std::string& outputFile) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0,
                                nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    std::string line = commandLine;
    if (output == INVALID_HANDLE_VALUE ||
        !CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, currentDir.c_str(), &startup,
                        &process_)) {
        process_ = PROCESS_INFORMATION{};
    }
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
}

ChildProcess::~ChildProcess() {
    if (!Started()) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool ChildProcess::Wait(DWORD timeoutMs, std::vector<std::string>* windows) {
    if (!Started()) return false;
    DWORD start = GetTickCount();
    for (;;) {
        if (windows) {
            for (HWND window : WindowsOf(process_.dwProcessId)) {
                std::string seen = WindowClass(window) + ":" + WindowText(window);
                if (std::find(windows->begin(), windows->end(), seen) == windows->end()) {
                    windows->push_back(seen);
                }
            }
        }
        if (WaitForSingleObject(process_.hProcess, 5) == WAIT_OBJECT_0) return true;
        if (GetTickCount() - start > timeoutMs) return false;
    }
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (Started()) GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND ChildProcess::WaitForDialog(DWORD timeoutMs, const char* caption) {
    if (!Started()) return nullptr;
    DWORD start = GetTickCount();
    while (GetTickCount() - start <= timeoutMs) {
        for (HWND window : WindowsOf(process_.dwProcessId)) {
            if (WindowClass(window) == "#32770" && IsWindowVisible(window) &&
                (!caption || WindowText(window) == caption)) {
                return window;
            }
        }
        if (WaitForSingleObject(process_.hProcess, 10) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

std::string WindowText(HWND window) {
    char text[4096];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::string WindowClass(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string MessageBoxText(HWND box) {
    HWND label = GetDlgItem(box, 0xFFFF);
    if (!label) return std::string();
    char text[4096];
    LRESULT length = SendMessageA(label, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

HWND WaitForMessageBox(const char* caption, const std::string& text, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
        HWND box = FindWindowA("#32770", caption);
        if (box && IsWindowVisible(box) && MessageBoxText(box).find(text) != std::string::npos) return box;
    }
    return nullptr;
}

int ItemIndex(uint32_t op, const std::string& name) {
    for (int i = 0; i < ScriptItemCount; ++i) {
        if (ItemOpcode(ScriptItems[i]) == op && ScriptItems[i].Name == name) return i;
    }
    return -1;
}
