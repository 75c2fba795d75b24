// The library's three entry points, plain C functions under their own names.
#include "cash/atol10/driver_objects.h"

extern "C" {

vorna::cash::ICash* CreateObject() { return vorna::cash::createDriverObject(); }

vorna::cash::ICash* CreateObjectWithIni(const char* settingsFile) {
    return vorna::cash::createDriverObjectWithIni(settingsFile);
}

void DestroyObject(vorna::cash::ICash* object) { vorna::cash::destroyDriverObject(object); }
}
