// Whether this test program is built with AddressSanitizer, which owns the
// fault signals: tests that crash on purpose skip themselves there.
#pragma once

namespace vorna {

inline bool sanitizerBuild() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

}  // namespace vorna
