// The installation record: what the last install chose, where it went,
// which version and when, under the product's registry key. The next run
// reads it to recognise an update and to preset its pages.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"
#include "wizard/USelection.h"

// Writes the seven values in order and stops at the first write that fails;
// true when all were written.
bool WriteInstallRecord();

// Before a first install puts anything into its folder: the record's folder,
// alone, so that a run ended half-way leaves the next one proposing that
// folder rather than another. A record already there stays as it is.
void RecordFolderAhead();

// What a run reads of the record at its start.
struct TInstallRecord {
    // Signed, as the pages take them: a set bit 31 counts as no earlier install.
    int32_t InstallVersions = 0;
    int32_t InstallItems = 0;
    AnsiString RootDir;            // empty unless stored as a string
    bool HasCustomizeItems = false;
    uint32_t CustomizeItems = 0;
};
TInstallRecord ReadInstallRecord();

// The choice as the selection page starts from it, without the page: detects
// the IDEs, presets the rows from the earlier installation's record, takes
// its Customize choice when stored, then applies the command line's choice
// and computes the masks. Returns why the command line's choice is refused
// (`refused` names what), and the preset then stands.
TChoiceProblem PresetChoice(const TInstallRecord& record, AnsiString* refused);
