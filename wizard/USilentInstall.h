// The unattended install (setup.exe /S): what the wizard would install if
// every page were accepted as it is preset, with no window at all.
#pragma once

// Its exit codes, for build scripts.
const int SilentSucceeded = 0;       // every item succeeded and the record was written
const int SilentItemsFailed = 1;     // at least one item failed; install.log names each
const int SilentRefused = 2;         // refused before anything changed: no row the wizard
                                     // would check, or a folder its page refuses
const int SilentAnotherRunning = 3;  // another setup or uninstall still runs

// Runs the install; returns one of the codes above but the last.
int RunSilentInstall();
