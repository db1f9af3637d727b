// Pages 1 and 2: the welcome text, and the choice of IDEs and optional parts.
#pragma once

#include "util/UAnsiString.h"
#include "wizard/UPage.h"

class TbrcCheckListBox;

class TPageWelcome : public TPage {
public:
    int32_t Enter() override;
    int32_t Leave() override;
};

class TPageSelectDelphi : public TPage {
public:
    TPageSelectDelphi();
    ~TPageSelectDelphi() override;
    // Presets the rows, once, before the page first shows: from the IDEs
    // found and the earlier installation, then as the command line chooses.
    // Returns why the command line's choice is refused (the preset then
    // stands), or empty.
    AnsiString Preset();
    int32_t Enter() override;
    // Turns the check marks into InstallVersions and InstallItems.
    int32_t Leave() override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Bit i set for each checked row i.
    uint32_t CheckedMask() const;
    void ShowCustomizeDialog();

    int32_t PrevInstallVersions = 0;
    int32_t PrevInstallItems = 0;

private:
    void UpdateNext();
    TbrcCheckListBox* list_ = nullptr;
};

// The selection page while it exists; the Customize dialog reaches the
// wizard through it.
extern TPageSelectDelphi* SelectDelphiPage;
