// The unattended install (setup.exe /S): what the wizard would install if
// every page were accepted as it is preset, with no window at all.
#pragma once

// Returns the exit code: 0 when every item succeeded and the record was
// written, 1 when something failed (install.log names the failing items)
// or when the wizard would not let the user go on: no row checked, or a
// folder its page refuses (nothing is then written).
int RunSilentInstall();
