// redud.exe, the uninstaller that the setup places in the install folder and
// names in the Add/Remove Programs entry. Removing the product is not part of
// this build yet; the program tells so and changes nothing.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr,
                "Removing the Vellorin library is not available in this build.\r\n"
                "Nothing has been changed.",
                "Uninstall", MB_OK | MB_ICONINFORMATION);
    return 0;
}
