// The report of a failing script item, as the progress page shows it.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"

// "Error in ScriptItem=<index>, ErrorCode=<code>h ScriptItemId=<id> with text"
// CR LF <log line>: index in decimal, code and id in lower-case hexadecimal.
// The text grows with the log line; nothing is cut and nothing overflows.
AnsiString ItemErrorText(int32_t index, int32_t code, uint32_t id, const AnsiString& logLine);
