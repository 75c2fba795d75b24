// The register's port, held by one process at a time as a serial or USB port
// is: the first instance of a process that connects takes it for its process
// (a byte lock of "fptr10-port.lock", which the system releases with a
// process that dies), the instances of that process share it, and the last
// one to close or be destroyed gives it back. An instance of another process
// that connects meanwhile fails as the library does: the port is busy.
#pragma once

#include <string>

#include "emulator/instance.h"

namespace vorna {
namespace emulator {

extern const char* const kPortLockFileName;  // "fptr10-port.lock"

enum class PortTaking { taken, busy, unavailable };

// The port of the register in directory for the instance; taken at once when
// the instance holds it already.
PortTaking takePort(Instance& instance, const std::string& directory);
// Gives the instance's share of the port back (nothing when it holds none).
void releasePort(Instance& instance);

}  // namespace emulator
}  // namespace vorna
