// The host's pairs of a payment as one value of the journal's record: for
// each key and value its length, ":" and its bytes.
#pragma once

#include "cash/sender/journal/payment_journal.h"

namespace vorna {

std::string encodePairs(const HostPairList& pairs);
// False for a value that is not such a list (then no pair is taken).
bool decodePairs(const std::string& in, HostPairList& pairs);

}  // namespace vorna
