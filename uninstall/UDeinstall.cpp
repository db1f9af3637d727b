// Reading an uninstall log: checks, header and records. Everything here works
// on the bytes in memory; loading the file and replaying are in
// UDeinstallRun.cpp.
#include "uninstall/UDeinstall.h"

#include <stdlib.h>
#include <string.h>

#include "catalogue/UConst.h"
#include "script/UScriptItems.h"
#include "script/UUninstallRecord.h"
#include "uninstall/UnDo.h"
#include "util/UOutOfMemory.h"
#include "util/UPaths.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The record that starts at `at` in the first `size` bytes, and its length;
// 0 when it is not whole there.
uint32_t RecordAt(const char* data, uint32_t size, uint32_t at, TUninstallRecord* record) {
    TRecordFields fields = DecodeUninstallRecord(data, size, at);
    if (fields.State != rsWhole) return 0;
    record->Offset = at;
    record->Code = fields.Code;
    record->Arg = fields.Arg;
    record->DirKind = fields.DirKind;
    record->Text = AnsiString(fields.Text, fields.TextLength);
    return fields.Length;
}

// Whether a whole run's log ends with this record: the record written after
// the script's last item, or, in the logs of the releases before that record,
// the record of the product's key, which the script's last item writes.
bool EndsRun(const TUninstallRecord& last) {
    return (last.Kind() == siUninstallHeader && last.Arg == uhEndOfLog) ||
           (last.Kind() == siCreateRegKey && IsProductKey(last));
}

const uint32_t MagicLength = UninstallLogMagicLength;

// Whether the data ends with a record that holds together and starts at or
// after `from`.
bool WholeRecordEnds(const char* data, uint32_t from, uint32_t size) {
    uint32_t length = ReadLittleEndian16(data + size - RecordLengthSize);
    return length <= size - from && DecodeUninstallRecord(data, size, size - length).State == rsWhole;
}

}  // namespace

TDeinstall::~TDeinstall() {
    CloseLogFile();
    free(LogData);
}

void TDeinstall::CloseLogFile() {
    if (logFile_ && closeLogFile_) closeLogFile_(logFile_);
    logFile_ = nullptr;
    canMark_ = false;
}

int32_t TDeinstall::SetLogData(const char* data, uint32_t size) {
    char* copy = static_cast<char*>(malloc(size ? size : 1));
    if (!copy) return dlCannotOpen;
    memcpy(copy, data, size);
    return AdoptLogData(copy, size);
}

int32_t TDeinstall::AdoptLogData(char* data, uint32_t size) {
    free(LogData);
    LogData = data;
    LogSize = 0;
    if (size == 0) return dlEmpty;
    if (size < MagicLength || memcmp(data, UninstallLogMagic, 5) != 0 || !IsDigit(data[5]) ||
        !IsDigit(data[6])) {
        return dlNotALog;
    }
    // Every record must hold together before anything is undone: a record
    // read in either direction then always lies inside the data.
    uint32_t end = MagicLength, last = 0;
    while (end < size) {
        TRecordFields fields = DecodeUninstallRecord(data, size, end);
        if (fields.State == rsCut) break;
        if (fields.State == rsLengthDisagrees) {
            // What a power cut leaves after the last record that reached the
            // disk (zeros, old clusters) ends the log there; a damaged record
            // with whole ones after it, the log's last among them, does not.
            if (WholeRecordEnds(data, end, size)) return dlBroken;
            break;
        }
        last = end;
        end += fields.Length;
    }
    LogSize = end;
    TUninstallRecord lastRecord;
    CutShort = end < size || last == 0 || !RecordAt(data, end, last, &lastRecord) || !EndsRun(lastRecord);
    return 0;
}

bool TDeinstall::NextRecord(TUninstallRecord* record) {
    if (!Backward) {
        uint32_t length = Cursor < ReplayBound ? RecordAt(LogData, LogSize, Cursor, record) : 0;
        Cursor += length;
        return length != 0;
    }
    if (Cursor < ReplayBound + RecordLengthSize) return false;
    uint32_t length = ReadLittleEndian16(LogData + Cursor - RecordLengthSize);
    if (length > Cursor - ReplayBound || !RecordAt(LogData, Cursor, Cursor - length, record)) return false;
    Cursor -= length;
    return true;
}

int32_t TDeinstall::ReadHeader() {
    Cursor = ReplayStart = MagicLength;
    Backward = false;
    InstallDirKnown = false;
    ReplayBound = LogSize;
    for (;;) {
        uint32_t position = Cursor;
        TUninstallRecord record;
        if (!NextRecord(&record)) break;
        if (record.Kind() != siUninstallHeader) {
            if (!Backward) ReplayStart = position;
            break;
        }
        switch (record.Arg) {
        case uhProductName: LoggedProductName = record.Text; break;
        case uhVersion: LoggedVersion = record.Text; break;
        case uhEdition: LoggedEdition = record.Text; break;
        case uhInstallDir:
            LoggedInstallDir = record.Text;
            // The product writes its log into the folder it names, and
            // nowhere else.
            if (placeChecked_ ? placeIsLogFolder_ : IsLogFolder(record.Text, LogFolder)) {
                InstallDir = record.Text;
                InstallDirKnown = true;
                headerFolderMade_ = (record.Code & RecordFolderMade) != 0;
            }
            break;
        case uhProductKey: LoggedProductKey = record.Text; break;
        case uhUninstallKey:
            if (record.Text == ::UninstallKeyName) UninstallKeyName = record.Text;
            break;
        case uhEndOfHeader:
            // The body is read backwards, from the end down to this record;
            // header records written after it are never read.
            Backward = true;
            ReplayStart = LogSize;
            ReplayBound = Cursor;
            break;
        default: break;
        }
    }
    IndexBlocks();
    return 0;
}

void TDeinstall::IndexBlocks() {
    selects_.Clear();
    uint32_t body = Backward ? ReplayBound : ReplayStart;
    TRecordFields fields;
    for (uint32_t at = body; (fields = DecodeUninstallRecord(LogData, LogSize, at)).State == rsWhole;
         at += fields.Length) {
        if ((fields.Code & OpcodeMask) != siSelectIde) continue;
        if (!selects_.Append(TSelect{at, static_cast<int32_t>(fields.Arg)})) EndOutOfMemory();
    }
}

int32_t TDeinstall::BlockIdeAt(uint32_t offset) const {
    // The last select record before it, then the one after it: both of the
    // same IDE. Select records come in pairs, so in a log cut short the last
    // one, when it is the first of a pair, opened a block that was never
    // closed: the records after it are that IDE's.
    const uint32_t count = static_cast<uint32_t>(selects_.Count());
    uint32_t lower = 0, upper = count;
    while (lower < upper) {
        uint32_t middle = (lower + upper) / 2;
        if (selects_[middle].Offset < offset) {
            lower = middle + 1;
        } else {
            upper = middle;
        }
    }
    if (lower == count && lower % 2 == 1 && CutShort) return selects_[lower - 1].Ide;
    if (lower == 0 || lower >= count || selects_[lower].Offset == offset) return 0;
    int32_t ide = selects_[lower - 1].Ide;
    return ide == selects_[lower].Ide ? ide : 0;
}

AnsiString LogPathFromUninstallString(const AnsiString& command) {
    const size_t MaxPath = 255;
    const char* text = command.CStr();
    size_t end = command.Length();
    // A quoted log path ends with its quote and starts after the one before.
    char separator = ' ';
    if (end > 0 && text[end - 1] == '"') {
        --end;
        separator = '"';
    }
    size_t start = end;
    while (start > 0 && text[start - 1] != separator) --start;
    if (start == 0) return AnsiString();
    return AnsiString(text + start, end - start < MaxPath ? end - start : MaxPath);
}
