// The payment journal: one durable record per payment key (settings code,
// transfer number, operation type), kept in an SQLite database. A record is
// committed before the driver is loaded and again with the outcome, so that a
// host that repeats a payment, restarts or died mid-payment finds out whether
// the receipt exists instead of registering it twice. One commit a payment is
// flushed to the disk: the starting document number, before the receipt opens.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace vorna {

// A journal that cannot be opened, created or written; the text names the
// file and the system's reason.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JournalKey {
    std::string code;      // IBS_CODE (empty: none)
    std::string unc;       // the transfer number
    std::string typeOper;  // "P" or "V"
};

enum class JournalState { started, registered, refused, inDoubt };

// "started", "registered", "refused", "in doubt".
const char* journalStateName(JournalState state);
// false for an unknown name.
bool journalStateFromName(const std::string& name, JournalState& state);

// The receipt of a registered payment, as the fiscal storage reports it.
struct ReceiptDocument {
    std::int64_t number = 0;  // 0: unknown
    std::string dateTime;     // register's time "YYYY-MM-DD HH:MM:SS"
    std::string fiscalSign;
};

struct JournalRecord {
    JournalKey key;
    unsigned summa = 0;
    unsigned comis = 0;
    std::string ndsCode;
    JournalState state = JournalState::started;
    int result = -1;                   // the last attempt's result code (-1: none yet)
    std::int64_t startedAt = 0;        // seconds since 1970, the attempt's start
    std::int64_t finishedAt = 0;       // 0 while running
    std::int64_t documentBefore = -1;  // last fiscal document before the receipt (-1: unknown)
    ReceiptDocument receipt;
    int attempts = 0;
    std::string startedLocal;  // "YYYY-MM-DD HH:MM:SS" local time (list() only)
};

struct JournalFilter {
    std::string unc;    // empty: any
    std::string since;  // "YYYY-MM-DD" local date; empty: any
    std::string state;  // a state name; empty: any
};

class PaymentJournal {
public:
    // Opens the database, creating it and its folder level when missing; a
    // damaged file is moved aside (kept) and a new one started, with a line in
    // notes. Throws JournalError.
    explicit PaymentJournal(const std::string& path);
    ~PaymentJournal();
    PaymentJournal(const PaymentJournal&) = delete;
    PaymentJournal& operator=(const PaymentJournal&) = delete;

    const std::string& path() const { return path_; }
    // What opening did beyond the ordinary (a damaged file moved aside).
    const std::vector<std::string>& notes() const { return notes_; }

    bool find(const JournalKey& key, JournalRecord& record);
    // A new attempt: the record (made or reset) in state "started"; committed
    // without a flush (recordDocumentBefore's flush makes it durable).
    void begin(const JournalRecord& record);
    // The last fiscal document number seen before the receipt is opened; the
    // payment's one commit that is on the disk when it returns.
    void recordDocumentBefore(const JournalKey& key, std::int64_t number);
    // The outcome of the attempt, committed without a flush: lost to a power
    // cut, the record stays "started" and is settled against the fiscal storage.
    void finish(const JournalKey& key, JournalState state, int result,
                const ReceiptDocument& receipt);
    // True when a record other than key's names this fiscal document as its receipt.
    bool claimedByOther(const JournalKey& key, std::int64_t documentNumber);
    std::vector<JournalRecord> list(const JournalFilter& filter);
    // Deletes settled records older than the retention period, at most once a
    // day (the day of the last pruning is kept in the database); the number deleted.
    int pruneOnceADay(int retentionDays);

private:
    void openOrStartAfresh();
    void open();
    void exec(const char* sql);
    [[noreturn]] void fail(const std::string& what, int code);

    std::string path_;
    sqlite3* db_ = nullptr;
    std::vector<std::string> notes_;
};

// Holds the payment key against every other holder, in this and other
// processes, for the duration of one payment (a byte lock of "<journal>.lock").
class PaymentKeyLock {
public:
    PaymentKeyLock(const std::string& journalPath, const JournalKey& key);
    ~PaymentKeyLock();
    PaymentKeyLock(const PaymentKeyLock&) = delete;
    PaymentKeyLock& operator=(const PaymentKeyLock&) = delete;
    // False when another holder has the key. Throws JournalError when the lock
    // file cannot be used.
    bool held() const { return held_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool held_ = false;
};

}  // namespace vorna
