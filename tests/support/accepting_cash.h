// A cash device that succeeds at everything and keeps nothing: the device of
// the cheque fuzzer and the cheque benchmark, where only the script's own work
// is of interest. An open shift, 40 characters a line, no information text.
#pragma once

#include "cash/shared/forwarding_cash.h"

namespace vorna {
namespace testing_support {

class AcceptingCash : public cash::ForwardingCash {
public:
    AcceptingCash() : ForwardingCash(nullptr) {}
};

}  // namespace testing_support
}  // namespace vorna
