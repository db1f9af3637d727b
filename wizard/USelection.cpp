#include "wizard/USelection.h"

#include <string.h>

#include "catalogue/UConst.h"
#include "util/UProducts.h"
#include "util/URunState.h"
#include "util/UText.h"

bool RowChecked(int row) { return (CheckedRows >> row & 1) != 0; }

void SetRowChecked(int row, bool checked) {
    if (checked) {
        CheckedRows |= 1u << row;
    } else {
        CheckedRows &= ~(1u << row);
    }
}

void PresetSelection(int32_t prevInstallVersions, int32_t prevInstallItems) {
    for (TBorlandProduct& product : BorlandProducts) {
        product.Selected = prevInstallVersions > 0
                               ? (product.Mask & static_cast<uint32_t>(prevInstallVersions)) != 0 &&
                                     product.Installed
                               : product.Installed;
    }
    for (int row = 0; row < SelectionItemCount; ++row) {
        const TBorlandProduct* product = FindProduct(SelectionItems[row].IdeBit);
        if (prevInstallItems > 0) {
            if (SelectionItems[row].ItemBit & static_cast<uint32_t>(prevInstallItems)) {
                SetRowChecked(row, !product || product->Installed);
            }
        } else {
            SetRowChecked(row, !product || product->Selected);
        }
    }
}

bool SelectionRowAvailable(int row) {
    const TBorlandProduct* product = FindProduct(SelectionItems[row].IdeBit);
    return !product || product->Installed;
}

void ComputeSelectionMasks() {
    InstallVersions = 0;
    InstallItems = 0;
    for (int row = 0; row < SelectionItemCount; ++row) {
        if (!RowChecked(row)) continue;
        InstallItems |= SelectionItems[row].ItemBit;
        InstallVersions |= SelectionItems[row].IdeBit;
    }
}

namespace {

const int IdeRowCount = SelectionItemCount - 3;

// The IDEs a part is for: Delphi's demos need a Delphi, C++Builder's a
// C++Builder; the help files serve every IDE and need none.
uint32_t PartIdes(uint32_t itemBit) {
    if (itemBit == DelphiDemosItem) return ide_checks::Dcc32Ides();
    if (itemBit == CBuilderDemosItem) return ~ide_checks::Dcc32Ides();
    return 0;
}

bool PartFits(int row, uint32_t chosenIdes) {
    uint32_t ides = PartIdes(SelectionItems[row].ItemBit);
    return ides == 0 || (ides & chosenIdes) != 0;
}

// Checks the rows in [first, last) that `list` names; "all" those that
// `allowed` allows. Leaves `name` at a name that no row has.
bool CheckNamed(const AnsiString& list, int first, int last, bool* checked, bool (*allowed)(int, uint32_t),
                uint32_t chosenIdes, AnsiString* name) {
    if (SameAsciiWord(list.CStr(), list.Length(), "all")) {
        for (int row = first; row < last; ++row) checked[row] = allowed(row, chosenIdes);
        return true;
    }
    const char* text = list.CStr();
    for (size_t start = 0; start <= list.Length();) {
        size_t end = start;
        while (end < list.Length() && text[end] != ',') ++end;
        size_t from = start, to = end;
        while (from < to && text[from] == ' ') ++from;
        while (to > from && text[to - 1] == ' ') --to;
        if (to > from) {
            int found = -1;
            for (int row = first; row < last && found < 0; ++row) {
                if (SameAsciiWord(text + from, to - from, SelectionItems[row].Option)) found = row;
            }
            if (found < 0) {
                *name = AnsiString(text + from, to - from);
                return false;
            }
            checked[found] = true;
        }
        start = end + 1;
    }
    return true;
}

bool IdeFound(int row, uint32_t) { return SelectionRowAvailable(row); }

// The options of rows [first, last), separated by commas.
AnsiString Options(int first, int last) {
    AnsiString list;
    for (int row = first; row < last; ++row) list = list + SelectionItems[row].Option + ", ";
    return list;
}

}  // namespace

TChoiceProblem ApplyCommandChoice(AnsiString* name) {
    const TCommandChoice& choice = CommandChoice;
    bool checked[SelectionItemCount];
    for (int row = 0; row < SelectionItemCount; ++row) checked[row] = RowChecked(row);
    if (choice.HasIdes) {
        for (int row = 0; row < IdeRowCount; ++row) checked[row] = false;
        if (!CheckNamed(choice.Ides, 0, IdeRowCount, checked, IdeFound, 0, name)) return cpUnknownIde;
        bool named = SameAsciiWord(choice.Ides.CStr(), choice.Ides.Length(), "all");
        for (int row = 0; row < IdeRowCount; ++row) named = named || checked[row];
        if (!named) return cpNoIdeNamed;
        for (int row = 0; row < IdeRowCount; ++row) {
            if (checked[row] && !SelectionRowAvailable(row)) {
                *name = SelectionItems[row].Option;
                return cpIdeNotFound;
            }
        }
    }
    uint32_t chosenIdes = 0;
    for (int row = 0; row < IdeRowCount; ++row) {
        if (checked[row]) chosenIdes |= SelectionItems[row].IdeBit;
    }
    if (choice.HasParts) {
        for (int row = IdeRowCount; row < SelectionItemCount; ++row) checked[row] = false;
        if (!SameAsciiWord(choice.Parts.CStr(), choice.Parts.Length(), "none") &&
            !CheckNamed(choice.Parts, IdeRowCount, SelectionItemCount, checked, PartFits, chosenIdes, name)) {
            return cpUnknownPart;
        }
        for (int row = IdeRowCount; row < SelectionItemCount; ++row) {
            if (checked[row] && !PartFits(row, chosenIdes)) {
                *name = SelectionItems[row].Option;
                return cpPartWithoutIde;
            }
        }
    }
    bool any = false;
    for (bool row : checked) any = any || row;
    if (!any && (choice.HasIdes || choice.HasParts)) return cpNothingChosen;
    for (int row = 0; row < SelectionItemCount; ++row) {
        SetRowChecked(row, checked[row]);
        if (TBorlandProduct* product = FindProduct(SelectionItems[row].IdeBit)) product->Selected = checked[row];
    }
    return cpNone;
}

AnsiString ChoiceProblemText(TChoiceProblem problem, const AnsiString& name) {
    switch (problem) {
    case cpNoIdeNamed:
        return AnsiString("/IDES= names no IDE: name them (") + Options(0, IdeRowCount) + "or all).";
    case cpUnknownIde:
        return AnsiString("/IDES= names ") + name + ", which is none of the IDEs that Setup knows: " +
               Options(0, IdeRowCount) + "or all.";
    case cpIdeNotFound:
        return AnsiString("/IDES= names ") + name + ", which is not installed on this computer.";
    case cpUnknownPart:
        return AnsiString("/PARTS= names ") + name + ", which is none of the parts of " + ProductName + ": " +
               Options(IdeRowCount, SelectionItemCount) + "all or none.";
    case cpPartWithoutIde:
        return AnsiString("/PARTS= names ") + name + ", but none of the IDEs it is for is chosen.";
    case cpNothingChosen:
        return AnsiString("The command line chooses nothing to install: no IDE and no part.");
    case cpNone: break;
    }
    return AnsiString();
}
