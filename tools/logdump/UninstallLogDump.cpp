// uninstall-log-dump: lists the records of an uninstall log (uninst.log) as
// the uninstaller reads them: the header, then the body in replay order, one
// line per record.
//
//   uninstall-log-dump <uninst.log>
//
// A native program over the same reader as the uninstaller, for looking into
// a log on the build machine.
#include <stdint.h>
#include <stdio.h>

#include <string>

#include "script/UScriptItems.h"
#include "uninstall/UDeinstall.h"
#include "util/UPaths.h"

namespace {

struct Name {
    uint32_t value;
    const char* text;
};

#define NAMED(value) {value, #value}

const Name DirKinds[] = {
    NAMED(dkNone),       NAMED(dkWindows), NAMED(dkIdeRoot), NAMED(dkInstallDir),
    NAMED(dkIdeHelp),    NAMED(dkTemp),    NAMED(dkSystem),
};

#undef NAMED

// A value without a name shows as a number, as the log holds it.
std::string Number(uint32_t value) {
    char number[16];
    snprintf(number, sizeof number, "0x%04X", value);
    return number;
}

std::string NameOf(const Name* names, size_t count, uint32_t value) {
    for (size_t i = 0; i < count; ++i) {
        if (names[i].value == value) return names[i].text;
    }
    return Number(value);
}

std::string OpcodeName(uint32_t value) {
    const TOpcodeRow* row = OpcodeRowOf(value);
    return row ? row->Name : Number(value);
}

// Texts hold CR LF between lines and may hold other control characters:
// they are shown as escapes, so that every record stays on one line.
std::string Visible(const AnsiString& text) {
    std::string shown;
    for (size_t i = 0; i < text.Length(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02X", c);
            shown += escape;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

const char* LoadError(int32_t result) {
    switch (result) {
    case dlEmpty: return "the file is empty";
    case dlNotALog: return "not an uninstall log";
    case dlBroken: return "its records do not hold together";
    default: return "cannot be read";
    }
}

bool ReadWholeFile(const char* path, std::string* data) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    char buffer[65536];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, file)) > 0;) data->append(buffer, read);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <uninst.log>\n", argv[0]);
        return 2;
    }
    std::string data;
    if (!ReadWholeFile(argv[1], &data)) {
        fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    TDeinstall log;
    int32_t result = log.SetLogData(data.data(), static_cast<uint32_t>(data.size()));
    if (result != 0) {
        fprintf(stderr, "%s: %s\n", argv[1], LoadError(result));
        return 1;
    }
    log.ReadHeader();
    printf("%s: %u bytes", argv[1], static_cast<unsigned>(data.size()));
    if (log.LogSize != data.size()) {
        printf(", the last %u a record cut short", static_cast<unsigned>(data.size() - log.LogSize));
    } else if (log.CutShort) {
        printf(", without the record of its end: cut short");
    }
    printf("\nHeader\n");
    const struct {
        const char* label;
        const AnsiString& value;
    } header[] = {
        {"product", log.LoggedProductName}, {"version", log.LoggedVersion},
        {"edition", log.LoggedEdition},     {"install folder", log.LoggedInstallDir},
        {"product key", log.LoggedProductKey}, {"uninstall key", log.UninstallKeyName},
    };
    for (const auto& field : header) printf("  %-15s %s\n", field.label, Visible(field.value).c_str());

    printf("Body, in replay order (%s)\n", log.Backward ? "last written first" : "as written");
    printf("  %4s  %-24s %-10s  %-12s  %s\n", "#", "kind", "arg", "directory", "text");
    log.Cursor = log.ReplayStart;
    TUninstallRecord record;
    for (int number = 1; log.NextRecord(&record); ++number) {
        std::string kind = OpcodeName(record.Kind());
        if (record.Code & sfKeepable) kind += "+keep";
        if (record.Code & RecordFolderMade) kind += "+made";
        if (record.Code & RecordUndone) kind += "+undone";
        printf("  %4d  %-24s 0x%08X  %-12s  %s\n", number, kind.c_str(), record.Arg,
               NameOf(DirKinds, sizeof DirKinds / sizeof *DirKinds, record.DirKind).c_str(),
               Visible(record.Text).c_str());
    }
    return 0;
}
