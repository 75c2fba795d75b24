// The driver's optional entry point for unattended hosts. The sender calls it
// right after loading the driver, before any object is made: with on set,
// the driver opens no window (its questions get the answers of its settings,
// AutoShift and UsePrinterFiscal, or their defaults) and hands the text of
// every box it would have shown to notice, which writes it to the sender's
// error.log and operation log. The driver's own setting Unattended=Y does the
// same for any caller. ICash stays as it is: its slots are the product's.
#pragma once

namespace vorna {
namespace cash {

// caption and text in Windows-1251; called on the caller's thread, never throws.
using UnattendedNoticeFunction = void (*)(const char* caption, const char* text);

inline constexpr char kUnattendedEntryPoint[] = "SetUnattended";
// on: 1 unattended, 0 as the driver's settings say; notice may be null.
using SetUnattendedFunction = void (*)(int on, UnattendedNoticeFunction notice);

}  // namespace cash
}  // namespace vorna
