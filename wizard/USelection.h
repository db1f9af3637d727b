// What the user chooses on the IDE selection page, without the page: the
// preset of the rows from the IDEs found and the earlier installation, and
// the masks made from the rows' check marks.
#pragma once

#include <stdint.h>

#include "util/UAnsiString.h"

// Presets BorlandProducts' Selected flags and SelectionItems' Checked flags
// from detection (Installed) and the earlier installation's masks (0 when
// there was none): after an earlier install exactly its rows come checked,
// as far as their IDE is still found; otherwise every found IDE and every
// optional part.
void PresetSelection(int32_t prevInstallVersions, int32_t prevInstallItems);

// Row `row`'s check mark, kept in CheckedRows.
bool RowChecked(int row);
void SetRowChecked(int row, bool checked);

// Whether row `row`'s IDE is found (always, for an optional part).
bool SelectionRowAvailable(int row);

// Sets InstallVersions and InstallItems from the rows' Checked flags.
void ComputeSelectionMasks();

// Why the command line's /IDES= or /PARTS= is refused.
enum TChoiceProblem {
    cpNone,
    cpNoIdeNamed,      // an empty /IDES= list
    cpUnknownIde,      // a name that is no IDE row's
    cpIdeNotFound,     // an IDE that is not installed on the machine
    cpUnknownPart,     // a name that is no part's
    cpPartWithoutIde,  // a part for Delphi or C++Builder with none of those IDEs chosen
    cpNothingChosen,   // no IDE and no part
};

// Applies CommandChoice's /IDES= and /PARTS= to the rows as the preset left
// them: exactly the rows named; "all" every IDE found, or every part that
// its IDEs allow; "none" no part. A list's names are separated by commas
// and compared in any case. Refused, the rows stay as they were and `name`
// is the name refused.
TChoiceProblem ApplyCommandChoice(AnsiString* name);

// The reason given for a refusal, naming what was refused.
AnsiString ChoiceProblemText(TChoiceProblem problem, const AnsiString& name);
