// vorna-cash reconcile: a day of the payment journal held against the
// register's fiscal storage, as text, JSON or a table for Excel.
#pragma once

#include <string>

#include "tools/vorna-cash/command_line.h"

namespace vorna {

class PaymentJournal;

namespace tool {

// The settings of the line's code are loaded. Exit code 0 all matched and
// nothing open, 1 only open records, 2 any foreign, missing or mismatch, 3 the
// journal or the storage could not be read (nothing printed as a verdict),
// 125 the table could not be written.
int runReconcileCommand(PaymentJournal& journal, const CommandLine& line);

}  // namespace tool
}  // namespace vorna
