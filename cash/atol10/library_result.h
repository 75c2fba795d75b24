// Turns a result of the register library into a driver result code. A current
// library fails with -1 and tells the reason by its failure number; an older
// one returned its number directly (-3807 and the like), and the driver's own
// result codes pass through unchanged.
#pragma once

namespace vorna {
namespace cash {
namespace atol10 {

// With the failure number the binding recorded for this thread's last operation.
int mapLibraryResult(int libraryValue);
int mapLibraryResult(int libraryValue, int failureNumber);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
