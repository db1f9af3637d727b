// Page 3: the folder into which the library's own files go.
#pragma once

#include "util/UAnsiString.h"
#include "wizard/UPage.h"

class TPageSelectDirectory : public TPage {
public:
    int32_t Enter() override;
    // Sets InstallDir from the field, normalized.
    int32_t Leave() override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Refuses a folder that the install cannot use, with a message box.
    bool AcceptNext() override;

    // Runs the shell's folder dialog; true when a folder was chosen, then in Folder.
    bool BrowseForFolder();
    void ShowFolder();
    // The text of the folder field, at most 259 characters.
    AnsiString FieldText() const;

    AnsiString PrevRootDir;
    bool FirstEntry = true;
    AnsiString Folder;
    // The earlier installation's folder, where an update installs whatever
    // the field says: then shown, and not to be changed.
    AnsiString UpdateFolder;
};

// Puts the folder dialog just below the page's Browse button, right edges
// lined up, moved up when it would leave the work area at the bottom.
void PlaceBrowseWindow(TPageSelectDirectory* page, HWND browser);
