// The driver entry point a sender may use to learn that the register was held
// by another program or process (a second counter program, another terminal
// session) when the last operation of this object wanted it: its port was
// busy, so nothing reached the register and the operation may be repeated
// once it is free. Optional: the sender resolves it by name and does without it.
#pragma once

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

struct RegisterBusy {
    int number;             // the library's failure number; 0 when the register was not busy
    char description[256];  // the library's description of that failure (Windows-1251)
};

// The export's name and type; reads nothing from the register. Returns 0, or
// 99 for a null object or out.
inline constexpr char kRegisterBusyEntryPoint[] = "QueryRegisterBusy";
using QueryRegisterBusyFunction = int (*)(ICash* object, RegisterBusy* out);

}  // namespace cash
}  // namespace vorna
