// Turns a failure value of the register library into a driver result code.
#pragma once

namespace vorna {
namespace cash {
namespace atol10 {

int mapLibraryResult(int libraryValue);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
