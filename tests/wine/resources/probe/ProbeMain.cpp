// A resource-only stand-in for "Velmaric AE.ocx": the same resource script in
// a plain DLL, for builds that do not have the control module.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
