// The state of one run that every layer shares: what the command line asked
// for, what the user chose, where the install goes and how far the wizard
// is. The program's entry, the wizard's pages and the engine set it;
// ResetRunState puts all of it back as a program starts.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"

// The switches; every accepted one sets all five, so the last one decides.
extern bool CopyOnly;        // /C: install files only, no registration
extern bool EnableControls;  // /E: accepted; nothing reads it
extern bool ShowParameters;  // /? or /H: show the parameter description
extern bool ExtractOnly;     // /X: extract below the current directory, no window
extern bool SilentInstall;   // /S: install as the wizard presets its pages, no window

// What the longer arguments ask for (/DIR=, /IDES=, /PARTS=, /LOG=), each
// as given; one left out leaves the page's preset as it is.
struct TCommandChoice {
    bool HasFolder = false;
    bool HasIdes = false;
    bool HasParts = false;
    bool HasLog = false;
    AnsiString Folder;
    AnsiString Ides;   // a comma-separated list of the rows' options, or "all"
    AnsiString Parts;  // the same, or "all" or "none"
    AnsiString LogPath;
};
extern TCommandChoice CommandChoice;

// The choice: the IDE bits and item bits of the checked rows, and the
// Customize choice (bit 2 has no row; 5 is kept as the installation record
// has always stored it).
extern uint32_t InstallVersions;
extern uint32_t InstallItems;
extern uint32_t CustomizeItems;
// The selection page's check marks: bit i for row i of its list.
extern uint32_t CheckedRows;

// The install folder, without a trailing separator; empty until set.
extern AnsiString InstallDir;
// 1-based index into BorlandProducts of the IDE being worked on; 0 until set.
extern int32_t CurrentIdeIndex;
// Set by siSetHelpDir and written by siRegisterWinHelp as the folder of the
// product's help files; empty at program start.
extern AnsiString HelpDir;

// The wizard's page on show, 1..6.
extern int32_t CurrentPage;
// Set when the cancel question is answered Yes while the install runs: the
// progress page stops after the running item and takes the run back.
extern bool InstallCancelled;
// Set once the install run has taken back an earlier installation.
extern bool EarlierInstallRemoved;

// All of the above as at program start, and what the IDE detection found
// (the IDE table's run-time fields).
void ResetRunState();
