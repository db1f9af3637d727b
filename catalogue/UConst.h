// The names of the packaged product, in one place: every text that names it
// is composed from these.
#pragma once

extern const char ProductRegistryKey[];  // below HKEY_LOCAL_MACHINE
extern const char UninstallerName[];     // the uninstaller program in the install folder

// Lines that the script appends to the IDEs' help configuration files, each
// with its leading line break so that it always starts a line of its own.
extern const char HelpIndexLine[];
extern const char HelpLinkLine[];
