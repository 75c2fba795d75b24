// The exit codes of vorna-cash besides the result codes of the exports.
#pragma once

namespace vorna {
namespace tool {

// The tool cannot do its work: a wrong command line, no library or export,
// the payment journal off.
constexpr int kToolFailure = 125;

// journal, settle, correct: the payment journal cannot be opened, read or
// written; nothing was done.
constexpr int kJournalUnavailable = 3;

// journal --check: the journal is sound (0) or damaged (2); one that cannot
// be opened gives kJournalUnavailable as every journal command does.
constexpr int kJournalSound = 0;
constexpr int kJournalDamaged = 2;

}  // namespace tool
}  // namespace vorna
