// What the user chooses on the IDE selection page, without the page: the
// preset of the rows from the IDEs found and the earlier installation, and
// the masks made from the rows' check marks.
#pragma once

#include <stdint.h>

// Presets BorlandProducts' Selected flags and SelectionItems' Checked flags
// from detection (Installed) and the earlier installation's masks (0 when
// there was none): after an earlier install exactly its rows come checked,
// as far as their IDE is still found; otherwise every found IDE and every
// optional part.
void PresetSelection(int32_t prevInstallVersions, int32_t prevInstallItems);

// Whether row `row`'s IDE is found (always, for an optional part).
bool SelectionRowAvailable(int row);

// Sets InstallVersions and InstallItems from the rows' Checked flags.
void ComputeSelectionMasks();
