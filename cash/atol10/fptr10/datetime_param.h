// libfptr_set_param_datetime, bound the way every other entry point is: the
// name resolved at every call, the call guarded, its failure logged.
#pragma once

#include "cash/atol10/fptr10/binding.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

void libfptr_set_param_datetime(Handle handle, Module module, int paramId, int year, int month,
                                int day, int hour, int minute, int second);

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
