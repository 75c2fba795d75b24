#include "cash/sender/script/step_trace.h"

namespace vorna {

void stepTrace(std::string /*label*/) {}

}  // namespace vorna
