// Many consecutive payments in one host process: whether the time per payment,
// the resident memory and the loaded modules stay where they started.
#pragma once

#include <string>

#include "bench/payment/host_installation.h"

namespace vorna {
namespace bench {

// Registers "Payments/<count>/<log mode>": one run of count payments in a
// fresh installation, with the real and processor time per payment of each tenth of the run and
// the resident memory, open handles and module count at its start, middle and
// end, and a repeated send answered from the journal after the first tenth and
// at the end, as counters. Every payment is a transfer of its own, journaled.
void registerScaleRun(int payments, LogMode mode);

// The run is cut into this many blocks of equal size ...
constexpr int kScaleBlocks = 10;
// ... and the time per payment of block 1..kScaleBlocks is this counter (the
// process's processor time per payment with cpu, the real time without).
std::string blockCounterName(int block, bool cpu = false);

}  // namespace bench
}  // namespace vorna
