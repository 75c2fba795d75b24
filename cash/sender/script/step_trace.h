// The step trace of the cash objects: each step of an execution names itself
// here. It is a hook point only and writes nothing.
#pragma once

#include <string>

namespace vorna {

void stepTrace(std::string label);

}  // namespace vorna
