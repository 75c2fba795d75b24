// The fiscal documents of one calendar day, read from the register's fiscal
// storage by number. The storage numbers its documents in the order it made
// them, so the day's first document is found by bisection on the documents'
// own dates: a day costs the logarithm of the storage's size plus the day's
// documents, never a walk from document 1.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cash/shared/fiscal_document.h"

namespace vorna {

// Reads one document (number 0: the last document's number only) and gives
// the driver's result code; anything but 0 leaves the document unknown.
using FiscalDocumentReader = std::function<int(unsigned number, cash::FiscalDocument& out)>;

// Documents of the day read so far, and how many the day is estimated to have.
using FiscalDayProgress = std::function<void(int read, int estimate)>;

// The storage did not answer a question whose answer it must have: nothing
// can be concluded. The text (Windows-1251) names the document and the code.
class FiscalStorageUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FiscalDay {
    std::string date;                             // "YYYY-MM-DD"
    unsigned first = 0;                           // the day's first document (0: none)
    unsigned last = 0;                            // the day's last document (0: none)
    std::vector<cash::FiscalDocument> documents;  // the day's documents, in number order
};

// "YYYY-MM-DD" of a document's register time.
std::string documentDate(const cash::FiscalDocument& document);

class FiscalStorage {
public:
    explicit FiscalStorage(FiscalDocumentReader reader) : reader_(std::move(reader)) {}

    // The number of the storage's last document; asked once. Throws FiscalStorageUnreadable.
    unsigned lastNumber();
    // Document 1..lastNumber(), each read at most once. Throws FiscalStorageUnreadable.
    const cash::FiscalDocument& document(unsigned number);
    // Every document dated date; progress is told every few documents read.
    // Throws FiscalStorageUnreadable.
    FiscalDay day(const std::string& date, const FiscalDayProgress& progress = {});

    // Calls of the reader so far (the last number's included).
    int reads() const { return reads_; }

private:
    FiscalDocumentReader reader_;
    bool lastKnown_ = false;
    unsigned last_ = 0;
    std::map<unsigned, cash::FiscalDocument> read_;
    int reads_ = 0;
};

}  // namespace vorna
