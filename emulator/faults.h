// Faults injected through the state: which call they hit, when (before the
// register does its work, or after it, so that the work is done and only the
// reply is lost), how often, and what they do.
//
// A fault is a JSON object in the state's "faults" array:
//   "kind":     "error" (the call fails with "error"), "throw" (the call throws
//               a C++ exception), "paper_out", "cover_open", "connection_lost"
//               (the condition sets in and the call fails with its number),
//               "unconfirmed" (libfptr_close_receipt: before = the receipt is
//               not closed although 0 is returned; after = it is closed and
//               fiscalised, but libfptr_check_document_closed says it is not),
//               "exit" (the host process ends abruptly inside the call, as a
//               killed host does: before = the register did nothing, after =
//               its work is done and kept; the state is saved first),
//               "reply_lost" (the register does the work, the call fails with
//               241, connection lost during the operation; always after),
//               "crash" (a real access violation inside the call, once the
//               register's state is saved and its lock released: before =
//               nothing done, after = the work done)
//   "function": the libfptr_* name it hits, or "*" for any register operation
//   "timing":   "before" or "after"
//   "skip":     matching calls that pass before it hits (default 0)
//   "count":    how many calls it hits, -1 for always (default 1)
//   "error":    the number of an "error" fault, in either numbering (errors.h)
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace vorna {
namespace emulator {

// Finds the first fault that hits this call, counts the hit (removing a used
// up fault) and returns it; null when no fault hits.
nlohmann::json takeFault(nlohmann::json& state, const std::string& function, bool operation);
// True when the fault acts before the register's work.
bool actsBefore(const nlohmann::json& fault);
// Sets in the condition of the fault and returns the failure the call
// reports (a condition or a number of either numbering, 0 for none); throws
// for a "throw" fault. A "crash" fault returns 0: the caller crashes once
// the state is saved.
int applyFault(nlohmann::json& state, const nlohmann::json& fault, const std::string& function);
// Ends the process abruptly when an "exit" fault hit the call just finished
// (called once the call's state is saved and traced).
void exitWhenAsked();
// True for a fault that ends the call in an access violation.
bool crashes(const nlohmann::json& fault);
// Builds a fault object (the tool and tests use it).
nlohmann::json makeFault(const std::string& kind, const std::string& function,
                         const std::string& timing, int count = 1, int error = 0, int skip = 0);

// The exception a "throw" fault raises.
class InjectedException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace emulator
}  // namespace vorna
