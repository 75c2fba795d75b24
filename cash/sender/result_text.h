// The text the host receives for a result code.
#pragma once

namespace vorna {

// A constant text owned by the library (Windows-1251).
const char* resultText(int code);

}  // namespace vorna
