// The unattended install (setup.exe /S): what the wizard would install if
// every page were accepted as it is preset, with no window at all.
#pragma once

// Returns the exit code: 0 when every item succeeded and the record was
// written, 1 when something failed (install.log names the failing items)
// or there was nothing the wizard would let the user install.
int RunSilentInstall();
