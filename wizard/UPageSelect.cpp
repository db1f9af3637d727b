#include "wizard/UPageSelect.h"

#include "catalogue/UConst.h"
#include "controls/UbrcCheckListBox.h"
#include "resources/UResources.h"
#include "util/UProducts.h"
#include "wizard/UInstallRecord.h"
#include "wizard/USelection.h"

TPageSelectDelphi* SelectDelphiPage = nullptr;

namespace {

void SetText(HWND dialog, const AnsiString& text) { SetDlgItemTextA(dialog, IDC_TEXT, text.CStr()); }

// The Customize dialog: one check list of options, their description below.
TbrcCheckListBox* CustomizeList = nullptr;

void ShowDescription(void*, TbrcCheckListBox* sender) {
    int row = sender->GetItemIndex();
    const char* description = row >= 0 && row < CustomizeOptionCount ? CustomizeOptions[row].Description : "";
    SetDlgItemTextA(GetParent(sender->ListBox()), IDC_DESCRIPTION, description);
}

void CloseCustomize(HWND dialog, WPARAM result) {
    delete CustomizeList;
    CustomizeList = nullptr;
    EnableWindow(SelectDelphiPage->Wnd, TRUE);
    EndDialog(dialog, static_cast<INT_PTR>(result));
}

INT_PTR CALLBACK CustomizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        // The dialog has no owner, so the wizard is disabled by hand.
        EnableWindow(SelectDelphiPage->Wnd, FALSE);
        CustomizeList = new TbrcCheckListBox(GetDlgItem(dialog, IDC_OPTIONS));
        CustomizeList->Clear();
        for (const TCustomizeOption& option : CustomizeOptions) CustomizeList->AddItem(option.Name);
        for (int row = 0; row < CustomizeOptionCount && row < 31; ++row) {
            if (CustomizeItems & (1u << row)) CustomizeList->SetChecked(row, true);
        }
        CustomizeList->OnSelChange = TNotifyEvent{ShowDescription, SelectDelphiPage};
        if (CustomizeList->GetCount() > 0) {
            CustomizeList->SetItemIndex(0);
            ShowDescription(nullptr, CustomizeList);
            SetFocus(CustomizeList->ListBox());
        }
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    switch (LOWORD(wParam)) {
    case IDC_OPTIONS_OK:
    case IDOK: {
        uint32_t chosen = 0;
        for (int row = 0; row < CustomizeList->GetCount() && row < 32; ++row) {
            if (CustomizeList->GetChecked(row)) chosen |= 1u << row;
        }
        CustomizeItems = chosen;
        CloseCustomize(dialog, wParam);
        return 1;
    }
    case IDC_OPTIONS_CANCEL:
    case IDCANCEL:
        CloseCustomize(dialog, wParam);
        return 1;
    default:
        return 0;
    }
}

void CheckChanged(void* page, TbrcCheckListBox*) {
    EnableWindow(GetDlgItem(static_cast<TPageSelectDelphi*>(page)->Wnd, IDC_NEXT),
                 static_cast<TPageSelectDelphi*>(page)->CheckedMask() != 0);
}

}  // namespace

int32_t TPageWelcome::Enter() {
    ShowTextArea(Wnd, 1, 1);
    SetText(Wnd, AnsiString("Welcome to the ") + ProductName +
                     " Setup program. This program will install " + EditionText() +
                     " on you computer.\r\n\r\n" + ProductDescription +
                     "It is strongly recommended that you exit all version of Delphi and CBuilder "
                     "before running this Setup program.\r\n\r\n"
                     "Click Next to continue with the Setup program.");
    SetFocus(GetDlgItem(Wnd, IDC_NEXT));
    return 1;
}

int32_t TPageWelcome::Leave() { return 1; }

TPageSelectDelphi::TPageSelectDelphi() { SelectDelphiPage = this; }

TPageSelectDelphi::~TPageSelectDelphi() {
    SelectDelphiPage = nullptr;
    delete list_;
}

uint32_t TPageSelectDelphi::CheckedMask() const {
    uint32_t mask = 0;
    for (int row = 0; row < list_->GetCount() && row < 32; ++row) {
        if (list_->GetChecked(row)) mask |= 1u << row;
    }
    return mask;
}

void TPageSelectDelphi::UpdateNext() { EnableWindow(GetDlgItem(Wnd, IDC_NEXT), CheckedMask() != 0); }

AnsiString TPageSelectDelphi::Preset() {
    TInstallRecord record = ReadInstallRecord();
    PrevInstallVersions = record.InstallVersions;
    PrevInstallItems = record.InstallItems;
    AnsiString name;
    TChoiceProblem problem = PresetChoice(record, &name);
    return ChoiceProblemText(problem, name);
}

int32_t TPageSelectDelphi::Enter() {
    if (!list_) {
        list_ = new TbrcCheckListBox(GetDlgItem(Wnd, IDC_LIST));
        list_->OnCheckChange = TNotifyEvent{CheckChanged, this};
    }
    ShowTextArea(Wnd, 1, 3);
    if (PrevInstallVersions > 0) {
        SetText(Wnd, AnsiString("The previous version of ") + ProductName +
                         " was found. Click to \"Next\" button for update it.");
    } else {
        SetText(Wnd, AnsiString("Which versions of Delphi and/or CBuilder will you be installing ") +
                         ProductName + " to ?");
    }
    ShowControl(Wnd, IDC_LIST, true);
    list_->Clear();
    for (int row = 0; row < SelectionItemCount; ++row) {
        int line = list_->AddItem(SelectionItems[row].DisplayName);
        list_->SetEnabled(line, SelectionRowAvailable(row));
        if (RowChecked(row)) list_->SetChecked(line, true);
    }
    SetFocus(list_->ListBox());
    ShowControl(Wnd, IDC_CUSTOMIZE, false);
    UpdateNext();
    return 1;
}

int32_t TPageSelectDelphi::Leave() {
    ShowControl(Wnd, IDC_LIST, false);
    ShowControl(Wnd, IDC_CUSTOMIZE, false);
    for (int row = 0; row < SelectionItemCount; ++row) {
        SetRowChecked(row, list_->GetChecked(row));
    }
    ComputeSelectionMasks();
    return 1;
}

INT_PTR TPageSelectDelphi::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return 0;
    if (LOWORD(wParam) == IDC_CUSTOMIZE) {
        ShowCustomizeDialog();
        return 1;
    }
    if (LOWORD(wParam) == IDC_LIST) {
        UpdateNext();
        return 1;
    }
    return 0;
}

void TPageSelectDelphi::ShowCustomizeDialog() {
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CUSTOMIZE), nullptr,
                        CustomizeDlgProc, 0) < 0) {
        MessageBoxA(nullptr, "Error in create Customize dialog", "Error", MB_OK);
    }
}
