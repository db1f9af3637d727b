// The extraction run mode (/X).
#pragma once

// Sets InstallDir to the current directory and writes every directory and
// every always-replaced file of the script below it, except where a link
// lies on the way. Failures are ignored; nothing is shown.
void ExtractAllPayload();
