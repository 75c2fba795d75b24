// The driver without windows: on when its setting Unattended is "Y" or when
// the sender said so through SetUnattended (cash/shared/unattended.h). Then
// the shift questions get the answer of AutoShift ("N": No), the slip
// document question that of UsePrinterFiscal's default (Cancel), the closing
// confirmation Cancel (the receipt is then settled as a lost reply is), and
// the warning boxes (no paper, the receipt's fate unknown, no such sum in the
// drawer) go to the driver log and to the sender's notice instead.
#pragma once

#include "cash/shared/unattended.h"

namespace vorna {
namespace cash {

// Installs the mode into the driver's message boxes (at library load).
void installDriverUnattendedMode();

// What the sender asked for this load of the library.
void setSenderUnattended(bool on, UnattendedNoticeFunction notice);

}  // namespace cash
}  // namespace vorna
