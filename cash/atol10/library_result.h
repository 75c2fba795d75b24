// Turns a result of the register library into a driver result code. A current
// library fails with -1 and tells the reason by its failure number; an older
// one returned its number directly (-3807 and the like), and the driver's own
// result codes pass through unchanged.
#pragma once

#include <string>

namespace vorna {
namespace cash {
namespace atol10 {

// With the failure number the binding recorded for this thread's last operation.
int mapLibraryResult(int libraryValue);
int mapLibraryResult(int libraryValue, int failureNumber);

// For a failure number of a fiscal storage that refuses documents: what
// happened and what to do, for a person; null for any other number.
const char* storageRefusalAdvice(int failureNumber);

// The last such refusal that mapLibraryResult(libraryValue) met in this
// process (0: none since forgetStorageRefusal), and forgetting it (a new
// driver object starts with none).
int lastStorageRefusal();
// The library's own description of that refusal (Windows-1251).
const std::string& lastStorageRefusalText();
void forgetStorageRefusal();

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
