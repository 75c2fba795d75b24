// Handing the port settings to the library and opening the connection.
#pragma once

#include "cash/atol10/fptr10/binding.h"

namespace vorna {
namespace cash {
namespace atol10 {

// Applies the port settings (unless the port is "AUTO") and connects.
void openDevice(fptr10::Handle handle, fptr10::Module module);
// Opens the connection; true when the library reports it open.
bool connectDevice(fptr10::Handle handle, fptr10::Module module);
// The type of the receipt open in the register (0 none), unmapped.
int checkState(fptr10::Handle handle, fptr10::Module module);
// Asks the register which receipt is open (type: 0 none); returns the query's
// own result, negative when the register did not answer (type is then untouched).
int queryOpenReceipt(fptr10::Handle handle, fptr10::Module module, int& type);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
