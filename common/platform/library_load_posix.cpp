// Runs onLibraryLoad when the library is loaded, from a static object's
// constructor. A POSIX loader cannot be told that a load failed, so the
// result is left to the library to remember.
#include "common/platform/platform.h"

namespace {

struct LibraryLoad {
    LibraryLoad() {
        vorna::platform::onLibraryLoad(
            vorna::platform::moduleOfAddress(reinterpret_cast<const void*>(&marker)));
    }
    static void marker() {}
};

const LibraryLoad libraryLoad;

}  // namespace
