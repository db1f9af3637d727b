// The product version that the programs carry in their version resources.
// The setup puts its uninstaller into the install folder whatever the version
// of a file there; elsewhere it would replace one only with a newer one, so
// the build number goes up whenever the uninstaller changes.
#pragma once

#define VL_VERSION_MAJOR 3
#define VL_VERSION_MINOR 19
#define VL_VERSION_RELEASE 0
#define VL_VERSION_BUILD 3
#define VL_VERSION_TEXT "3.19.0.3"

// The version as the product names itself in its texts and records: "3.19".
#define VL_VERSION_STRING_OF(number) #number
#define VL_VERSION_STRING(number) VL_VERSION_STRING_OF(number)
#define VL_VERSION_SHORT VL_VERSION_STRING(VL_VERSION_MAJOR) "." VL_VERSION_STRING(VL_VERSION_MINOR)
