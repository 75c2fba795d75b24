// The text the host receives for a result code.
#pragma once

namespace vorna {

// A constant text owned by the library (Windows-1251).
const char* resultText(int code);

// The text of 100 for a payment without a transfer number while the payment
// journal is on: the journal knows a payment by its number.
const char* transferNumberRequiredText();

}  // namespace vorna
