// The entry point the Windows loader calls in a library: runs onLibraryLoad
// when the library is attached to a process, and fails the load when it fails.
#include <windows.h>

#include "common/platform/platform.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return vorna::platform::onLibraryLoad(instance) ? TRUE : FALSE;
}
