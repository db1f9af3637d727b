// A fake Borland IDE for the tests: the registry key that detection reads,
// the library search path, a Help folder with the help files of the IDE's
// slots, and a bin folder with the fake compiler and make tool.
#pragma once

#include <string>
#include <vector>

struct FakeIdeOptions {
    bool searchPath = true;  // the Library key holds a search path value
    std::string searchPathValue = "$(DELPHI)\\Lib;$(DELPHI)\\Bin";
    bool helpFiles = true;   // the Help folder holds the slot files and the .gid
    std::string packageExtension = ".bpl";
    std::vector<std::string> failing;  // packages the fake tools fail to build
    bool lasting = false;    // the registry keys stay when the object goes
};

class FakeIde {
public:
    // `index` is the IDE's 1-based index in BorlandProducts; `root` a folder
    // that the test owns (it is created, and left for the test to remove).
    FakeIde(int index, const std::string& root, const FakeIdeOptions& options = {});
    // Removes the IDE's registry keys, unless they are lasting.
    ~FakeIde();
    FakeIde(const FakeIde&) = delete;
    FakeIde& operator=(const FakeIde&) = delete;

    const std::string& Root() const { return root_; }
    std::string HelpFile(int slot) const;
    std::string IndexFile() const;  // the .gid file the script deletes
    // How the fake tools were called: "command line|current folder" per line.
    std::vector<std::string> Calls() const;
    std::string LibraryPath() const;
    std::string KnownPackage(const std::string& path) const;

    // The IDE's own design package, registered as the IDE registers it.
    static const char OwnPackage[];
    // The first lines of the help files as the fake IDE ships them.
    static const char HelpFileText[];
    static const char AliasFileText[];

private:
    int index_;
    std::string root_;
    bool lasting_;
};

// Removes what an install leaves outside its own folder and registry keys of
// earlier tests: Windows help values, the uninstall entry, the product key,
// the INI file and the runtime packages in the system folder.
void RemoveInstallTraces();
