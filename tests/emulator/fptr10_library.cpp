#include "tests/emulator/fptr10_library.h"

namespace vorna {
namespace emulator_test {

std::string binDirectory() {
    std::string bin;
    if (!platform::environmentVariable("VORNA_BIN_DIR", bin))
        throw std::runtime_error("VORNA_BIN_DIR is not set");
    // A POSIX path; a Windows program sees it on drive Z:.
    if (platform::pathSeparator() == '\\' && !bin.empty() && bin[0] == '/') {
        for (char& c : bin)
            if (c == '/') c = '\\';
        bin = "Z:" + bin;
    }
    return bin;
}

std::string binFile(const std::string& name) {
    return binDirectory() + platform::pathSeparator() + name;
}

Fptr10Library::Fptr10Library() {
    module = platform::loadLibrary(binFile(EMULATOR_LIBRARY_FILE));
    if (!module) throw std::runtime_error("cannot load " + binFile(EMULATOR_LIBRARY_FILE));
#define VORNA_FPTR10_FUNCTION(result, name, parameters)                      \
    name = reinterpret_cast<name##_fn>(platform::findSymbol(module, #name)); \
    if (!name) throw std::runtime_error("missing export " #name);
    LIBFPTR_FUNCTIONS(VORNA_FPTR10_FUNCTION)
#undef VORNA_FPTR10_FUNCTION
}

Fptr10Library& library() {
    static Fptr10Library lib;
    return lib;
}

}  // namespace emulator_test
}  // namespace vorna
