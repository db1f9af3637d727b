// Pages 1 and 2: the welcome text, and the choice of IDEs and optional parts.
#pragma once

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
    int32_t Enter() override;
    // Turns the check marks into InstallVersions and InstallItems.
    int32_t Leave() override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Bit i set for each checked row i.
    uint32_t CheckedMask() const;
    void ShowCustomizeDialog();

    int32_t PrevInstallVersions = 0;
    int32_t PrevInstallItems = 0;
    bool FirstEntry = true;

private:
    void UpdateNext();
    TbrcCheckListBox* list_ = nullptr;
};

// The selection page while it exists; the Customize dialog reaches the
// wizard through it.
extern TPageSelectDelphi* SelectDelphiPage;
