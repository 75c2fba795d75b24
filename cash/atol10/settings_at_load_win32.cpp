// Reads the driver's settings when the library is attached to a process; a
// failed read makes the load fail.
#include <windows.h>

#include "cash/atol10/settings_reads.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    try {
        vorna::cash::readSettingsAtLoad(instance);
    } catch (...) {
        vorna::cash::setSettingsFailedAtLoad(true);
        return FALSE;
    }
    return TRUE;
}
