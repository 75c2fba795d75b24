// The register library loaded by name and bound by name, as the driver binds it.
#pragma once

#include <stdexcept>
#include <string>

#include "common/platform/platform.h"
#include "fptr10/fptr10_api.h"

namespace vorna {
namespace emulator_test {

struct Fptr10Library {
    platform::LibraryHandle module = nullptr;
#define VORNA_FPTR10_FUNCTION(result, name, parameters) name##_fn name = nullptr;
    LIBFPTR_FUNCTIONS(VORNA_FPTR10_FUNCTION)
#undef VORNA_FPTR10_FUNCTION

    // Loads the library from the directory of the test binaries.
    Fptr10Library();
};

// The process's one loaded library.
Fptr10Library& library();

// VORNA_BIN_DIR as this system's program sees it.
std::string binDirectory();
// A file of the bin directory.
std::string binFile(const std::string& name);

}  // namespace emulator_test
}  // namespace vorna
