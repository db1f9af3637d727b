#include "util/UProducts.h"
#include "util/URegistry.h"

void DetectIdes() {
    for (TBorlandProduct& product : BorlandProducts) {
        product.Installed =
            ReadRegString(RootLocalMachine, product.RegKey, RootDirValueName, &product.RootDir);
    }
}
