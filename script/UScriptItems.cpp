#include "script/UScriptItems.h"

#include "catalogue/UConst.h"

#include "UScriptItems.inc"
