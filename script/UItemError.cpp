#include "script/UItemError.h"

#include "util/UText.h"

namespace {

AnsiString Hexadecimal(uint32_t value) {
    AnsiString text;
    bool started = false;
    for (int shift = 28; shift >= 0; shift -= 4) {
        unsigned digit = (value >> shift) & 0xF;
        if (digit != 0 || started || shift == 0) {
            text += "0123456789abcdef"[digit];
            started = true;
        }
    }
    return text;
}

}  // namespace

AnsiString ItemErrorText(int32_t index, int32_t code, uint32_t id, const AnsiString& logLine) {
    return AnsiString("Error in ScriptItem=") + Decimal(index) +
           ", ErrorCode=" + Hexadecimal(static_cast<uint32_t>(code)) +
           "h ScriptItemId=" + Hexadecimal(id) + " with text\r\n" + logLine;
}
