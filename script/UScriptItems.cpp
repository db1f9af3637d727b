#include "UScriptItems.h"

#include "UConst.h"

#include "UScriptItems.inc"
