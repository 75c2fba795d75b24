// What the driver reads from the register: the diagnostic dumps of its state
// and registration data, texts of parameters and errors, the firmware version.
#pragma once

#include <string>
#include <vector>

#include "cash/atol10/fptr10/binding.h"

namespace vorna {
namespace cash {
namespace atol10 {

void statusReport(fptr10::Handle handle, fptr10::Module module);
void registrationReport(fptr10::Handle handle, fptr10::Module module);
// Text parameter of the last query; the buffer grows to what the library asks for.
std::wstring getParamString(int paramId, fptr10::Handle handle, fptr10::Module module,
                            int firstBufferSize = 32);
// The composite tag value the library formed (libfptr_util_form_tlv); the
// buffer grows to what the library asks for.
std::vector<unsigned char> getTagValue(fptr10::Handle handle, fptr10::Module module,
                                       int firstBufferSize);
// The firmware's major version; throws boost::bad_lexical_cast when it is not a number.
int firmwareMajorVersion(fptr10::Handle handle, fptr10::Module module);
// Runs the fiscal-storage query of the registration data.
void queryRegistrationData(fptr10::Handle handle, fptr10::Module module);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
