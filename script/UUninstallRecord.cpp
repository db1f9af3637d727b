#include "script/UUninstallRecord.h"

const char UninstallLogMagic[] = "REDUD01";

namespace {

void PutLittleEndian(AnsiString* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) *out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

AnsiString EncodeUninstallRecord(uint32_t code, uint32_t arg, uint32_t dirKind,
                                 const AnsiString& text) {
    size_t length = text.Length() < MaxUninstallRecordText ? text.Length() : MaxUninstallRecordText;
    AnsiString record;
    PutLittleEndian(&record, code, 4);
    PutLittleEndian(&record, arg, 4);
    PutLittleEndian(&record, dirKind, 4);
    PutLittleEndian(&record, static_cast<uint32_t>(length), 2);
    record.Append(text.CStr(), length);
    PutLittleEndian(&record, static_cast<uint32_t>(length + UninstallRecordOverhead), 2);
    return record;
}

TRecordFields DecodeUninstallRecord(const char* data, uint32_t size, uint32_t at) {
    TRecordFields fields{};
    fields.State = rsCut;
    if (at > size || size - at < UninstallRecordOverhead) return fields;
    const char* record = data + at;
    fields.TextLength = ReadLittleEndian16(record + RecordTextLengthAt);
    fields.Length = fields.TextLength + UninstallRecordOverhead;
    if (fields.Length > size - at) return fields;
    if (ReadLittleEndian16(record + RecordTextAt + fields.TextLength) != fields.Length) {
        fields.State = rsLengthDisagrees;
        return fields;
    }
    fields.State = rsWhole;
    fields.Code = ReadLittleEndian32(record + RecordCodeAt);
    fields.Arg = ReadLittleEndian32(record + RecordArgAt);
    fields.DirKind = ReadLittleEndian32(record + RecordDirKindAt);
    fields.Text = record + RecordTextAt;
    return fields;
}

TRecordedName RecordedName(const ScriptItem& item) {
    if (ItemOpcode(item) == siCopyFile && item.Target) return {item.Target->Name, item.Target->DirKind};
    return {item.Name ? item.Name : "", item.DirKind};
}
