// The emulated register's operations on its locked state: one function per
// register operation of the library, each checking what a strict register
// checks before it changes anything, then registering, printing and
// journalling the document. Every function returns 0 or an error number.
// The operations live in register_queries.cpp, register_shift_and_cash.cpp,
// register_receipts.cpp and register_printing.cpp; the shared checks, tape and
// journal writing, connection and settings in register_machine.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/instance.h"
#include "emulator/state_store.h"

namespace vorna {
namespace emulator {

// A shift may last this long; after it the register wants a Z report.
constexpr std::int64_t kShiftSeconds = 24 * 3600;

class RegisterMachine {
public:
    RegisterMachine(StateSession& session, Instance& instance);

    int open();
    int close();
    int isOpened() const;
    int applySingleSettings();
    std::string settingsText() const;

    int queryData();
    int fnQueryData();
    int report();
    int openShift();
    int operatorLogin();
    int openReceipt();
    int cancelReceipt();
    int printText();
    int cashIncome();
    int cashOutcome();
    int cut();
    int registration();
    int payment();
    int closeReceipt();
    int checkDocumentClosed();
    int utilFormTlv();
    // The fiscal storage's health queries (validity, FN information, the
    // operator exchange, free memory); register_health.cpp.
    int fnHealthQuery(int kind);
    int beginNonfiscalDocument();
    int endNonfiscalDocument();

    // A receipt a cashier types on the register's keyboard (the instance is
    // the keyboard): one position of the sum without VAT paid in cash, the
    // shift opened first when it is closed. Nothing is registered when it is
    // refused; done tells what was.
    struct TypedReceipt {
        int shiftOpenedBy = 0;  // the shift opening's document, when the receipt opened it
        int document = 0;       // 0: the receipt was not registered
        int receiptNumber = 0;
        std::int64_t fiscalSign = 0;
        std::int64_t at = 0;
    };
    int typeReceipt(int receiptType, std::int64_t kopecks, TypedReceipt& done);

    // The register's clock now.
    std::int64_t now() const;
    // 0, 1 open, 2 open for more than 24 hours.
    int shiftState() const;
    // Sum of the open receipt's positions in kopecks.
    std::int64_t receiptTotal() const;

private:
    int requireConnection() const;
    int requirePrinter() const;
    int requireNoDocument() const;
    int requireOpenShift() const;
    // Refuses a fiscal document when the storage is not in fiscal mode, has
    // expired, or holds a document the operator has not confirmed for 30 days.
    int requireStorageAcceptsDocuments() const;
    // Queues a fiscal document for the operator while it is offline.
    void queueForOperator(const nlohmann::json& entry, int number);
    // Refuses a document of this many lines when the paper will end inside it
    // and the paper is set to run out before the effect.
    int checkPaperFor(std::size_t lines);
    // Prints lines onto the tape while paper lasts; noPaper when it ran out.
    int print(const std::vector<std::string>& lines);
    std::vector<std::string> wrap(const std::string& text) const;
    std::vector<std::string> documentHeader(const std::string& title, std::int64_t number) const;
    int nextDocumentNumber() const;
    void journal(nlohmann::json entry, int number);
    int cashMovement(bool income);

    StateSession& session_;
    nlohmann::json& s_;
    Instance& instance_;
};

// A full-width rule line of the tape.
std::string ruleLine(char c);
// Kopecks as roubles for the journal.
double roubles(std::int64_t kopecks);
// "123.45".
std::string moneyText(std::int64_t kopecks);
// The printed name of a tax type 1..15.
std::string taxTypeName(int taxType);

}  // namespace emulator
}  // namespace vorna
