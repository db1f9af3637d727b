#include "wizard/USelection.h"

#include "catalogue/UConst.h"
#include "util/UProducts.h"

void PresetSelection(int32_t prevInstallVersions, int32_t prevInstallItems) {
    for (TBorlandProduct& product : BorlandProducts) {
        product.Selected = prevInstallVersions > 0
                               ? (product.Mask & static_cast<uint32_t>(prevInstallVersions)) != 0 &&
                                     product.Installed
                               : product.Installed;
    }
    for (TSelectionItem& row : SelectionItems) {
        const TBorlandProduct* product = FindProduct(row.IdeBit);
        if (prevInstallItems > 0) {
            if (row.ItemBit & static_cast<uint32_t>(prevInstallItems)) {
                row.Checked = !product || product->Installed;
            }
        } else {
            row.Checked = !product || product->Selected;
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
    for (const TSelectionItem& row : SelectionItems) {
        if (!row.Checked) continue;
        InstallItems |= row.ItemBit;
        InstallVersions |= row.IdeBit;
    }
}
