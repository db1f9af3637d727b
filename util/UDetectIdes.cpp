#include "UProducts.h"
#include "URegistry.h"

void DetectIdes() {
    for (TBorlandProduct& product : BorlandProducts) {
        product.Installed =
            ReadRegString(RootLocalMachine, product.RegKey, RootDirValueName, &product.RootDir);
    }
}
