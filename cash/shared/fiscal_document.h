// The driver entry point a sender may use to read the register's fiscal
// storage: the number of the last fiscal document, or one document by number.
// It is optional: the sender resolves it by name and does without it.
#pragma once

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

// Fiscal storage document types (what a document is).
enum : int { kFiscalDocumentReceipt = 3 };

// Receipt operation types (tag 1054).
enum : int { kOperationSale = 1, kOperationSaleReturn = 2 };

// One document as the fiscal storage reports it; plain data, filled by the driver.
struct FiscalDocument {
    unsigned number;      // the fiscal document number
    int documentType;     // kFiscalDocumentReceipt for a receipt
    int operationType;    // tag 1054 of a receipt (0 for other documents)
    long long total;      // tag 1020 in kopecks (0 for other documents)
    char dateTime[20];    // "YYYY-MM-DD HH:MM:SS", the register's time
    char fiscalSign[32];  // the fiscal sign as text
    int correction;       // non-zero for a correction receipt (of the operation in operationType)
};

// The export's name and type. number 0 asks for the last document's number
// only (in out->number); any other number for that document in full. Returns
// a result code (0, or what the driver's other operations return: 1 no
// connection, 99 the storage did not answer or has no such document).
inline constexpr char kFiscalDocumentEntryPoint[] = "QueryFiscalDocument";
using QueryFiscalDocumentFunction = int (*)(ICash* object, unsigned number, FiscalDocument* out);

}  // namespace cash
}  // namespace vorna
