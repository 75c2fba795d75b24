// Loading the register library and creating, releasing an instance of it.
#pragma once

#include "cash/atol10/fptr10/binding.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

// The library's file name on this system, loaded by bare name.
const char* libraryName();

// Loads the library and creates an instance, with the load log lines. The
// module is null when loading failed; no exception is raised.
void loadLibrary(Handle& handle, Module& module);

// Closes the connection and destroys the instance (the handle becomes null);
// the module stays loaded.
void releaseLibrary(Handle& handle, Module module);

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
