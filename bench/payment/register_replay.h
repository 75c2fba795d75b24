// The register library alone doing one payment's work: the libfptr_* calls of
// a trace, replayed in order through the library's C functions (loaded with
// the platform layer), instance numbers mapped to the handles created anew.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/payment/trace_call.h"

namespace vorna {
namespace bench {

class RegisterReplay {
public:
    // Loads the register library and prepares the calls; throws
    // std::runtime_error for a function it does not know or export.
    RegisterReplay(const std::string& library, const std::vector<TraceCall>& calls);
    ~RegisterReplay();
    RegisterReplay(const RegisterReplay&) = delete;
    RegisterReplay& operator=(const RegisterReplay&) = delete;

    // Makes every call once; the number of register operations whose result
    // differs from the trace's (0: the register did the same work).
    int replay();
    std::size_t callCount() const;

private:
    struct Prepared;
    std::vector<Prepared> calls_;
    void* library_ = nullptr;
};

}  // namespace bench
}  // namespace vorna
