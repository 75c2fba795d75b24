// Handing the port settings to the library and opening the connection.
#pragma once

#include <string>

#include "cash/atol10/fptr10/binding.h"

namespace vorna {
namespace cash {
namespace atol10 {

// Applies the port settings (unless the port is "AUTO") and connects.
void openDevice(fptr10::Handle handle, fptr10::Module module);
// Opens the connection; true when the library reports it open.
bool connectDevice(fptr10::Handle handle, fptr10::Module module);
// When the last connection attempt of the process found the register's port
// held by another program or process: the library's failure number (0: it
// did not) and its description. A connection made, and a new driver object,
// forget it.
int registerBusyFailure();
const std::string& registerBusyDescription();
void forgetRegisterBusy();
// The type of the receipt open in the register (0 none), unmapped.
int checkState(fptr10::Handle handle, fptr10::Module module);
// Asks the register which receipt is open (type: 0 none); returns the query's
// own result, negative when the register did not answer (type is then untouched).
int queryOpenReceipt(fptr10::Handle handle, fptr10::Module module, int& type);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
