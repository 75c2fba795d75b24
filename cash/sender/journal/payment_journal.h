// The payment journal: one durable record per payment key (settings code,
// transfer number, operation type), kept in an SQLite database. A record is
// committed before the driver is loaded and again with the outcome, so that a
// host that repeats a payment, restarts or died mid-payment finds out whether
// the receipt exists instead of registering it twice. One commit a payment is
// flushed to the disk: the starting document number, before the receipt opens.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace vorna {

class JournalConnection;
class JournalStatement;

// A journal that cannot be opened, created or written; the text names the
// file and the system's reason.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system's text of an error number, without the line break it ends with.
std::string journalSystemErrorText(unsigned long code);

struct JournalKey {
    std::string code;      // IBS_CODE (empty: none)
    std::string unc;       // the transfer number
    std::string typeOper;  // "P" or "V"
};

// correcting: a correction receipt was begun and its outcome is not yet
// known; corrected: the payment has its correction receipt.
enum class JournalState { started, registered, refused, inDoubt, correcting, corrected };

// "started", "registered", "refused", "in doubt", "correcting", "corrected".
const char* journalStateName(JournalState state);
// false for an unknown name.
bool journalStateFromName(const std::string& name, JournalState& state);

// The receipt of a registered payment, as the fiscal storage reports it.
struct ReceiptDocument {
    std::int64_t number = 0;  // 0: unknown
    std::string dateTime;     // register's time "YYYY-MM-DD HH:MM:SS"
    std::string fiscalSign;
};

using HostPairList = std::vector<std::pair<std::string, std::string>>;

// The correction receipt of a payment the register did not take.
struct CorrectionDocument {
    std::string date;                  // the settlement corrected, "YYYY-MM-DD"
    std::int64_t startedAt = 0;        // seconds since 1970, the correction's start
    std::int64_t documentBefore = -1;  // last fiscal document before it (-1: unknown)
    int result = -1;                   // the last correction attempt's result code
    ReceiptDocument receipt;           // with corrected
};

struct JournalRecord {
    JournalKey key;
    unsigned summa = 0;
    unsigned comis = 0;
    std::string ndsCode;
    JournalState state = JournalState::started;
    int result = -1;                   // the last attempt's result code (-1: none yet)
    std::int64_t startedAt = 0;        // seconds since 1970, the attempt's start
    std::int64_t firstStartedAt = 0;   // seconds since 1970, the first attempt's start
    std::int64_t finishedAt = 0;       // 0 while running
    std::int64_t documentBefore = -1;  // last fiscal document before the receipt (-1: unknown)
    ReceiptDocument receipt;
    int attempts = 0;
    std::string startedLocal;       // "YYYY-MM-DD HH:MM:SS" local time
    std::string firstStartedLocal;  // the same of firstStartedAt
    // The host's pairs as they came and the print flag: what the receipt is
    // made of. A record of the earlier layout has neither (pairsKnown false).
    bool pairsKnown = false;
    HostPairList pairs;
    bool print = true;
    CorrectionDocument correction;
};

// Another record's claim on a receipt of the same operation and sum whose
// number it does not know (its receipt could not be read after the close):
// the first such receipt after its starting point is its own.
struct UnnumberedClaim {
    std::int64_t documentBefore = -1;
};

struct JournalFilter {
    std::string unc;    // empty: any
    std::string since;  // "YYYY-MM-DD" local date; empty: any
    std::string state;  // a state name; empty: any
};

// The write-ahead log's size past which the journal's upkeep copies its
// records into the database file (a checkpoint): 4 MiB.
constexpr std::int64_t kCheckpointLogBytes = 4 * 1024 * 1024;

// What the journal's upkeep after a payment did.
struct JournalUpkeep {
    int pruned = 0;             // records deleted by the day's pruning
    bool dayStarted = false;    // the day's pruning ran (the first payment of the day)
    bool checkpointed = false;  // the records were copied into the database file
    bool busy = false;          // a checkpoint was due but another process held the journal
    std::int64_t logBytes = 0;  // the write-ahead log's size before
};

class PaymentJournal {
public:
    // Takes the connection kept from an earlier call on path, or opens the
    // database, creating it and its folder level when missing; a damaged file
    // is moved aside (kept) and a new one started, with a line in notes.
    // Throws JournalError.
    explicit PaymentJournal(const std::string& path);
    // Keeps the connection for the next call (kept_journal_connections.h) unless
    // anything failed on it.
    ~PaymentJournal();
    PaymentJournal(const PaymentJournal&) = delete;
    PaymentJournal& operator=(const PaymentJournal&) = delete;

    const std::string& path() const { return path_; }
    // What opening did beyond the ordinary (a damaged file moved aside).
    const std::vector<std::string>& notes() const { return notes_; }

    bool find(const JournalKey& key, JournalRecord& record);
    // A new attempt: the record (made or reset) in state "started", the start
    // of its first attempt kept; committed without a flush
    // (recordDocumentBefore's flush makes it durable).
    void begin(const JournalRecord& record);
    // The last fiscal document number seen before the receipt is opened; the
    // payment's one commit that is on the disk when it returns.
    void recordDocumentBefore(const JournalKey& key, std::int64_t number);
    // The outcome of the attempt, committed without a flush: lost to a power
    // cut, the record stays "started" and is settled against the fiscal storage.
    void finish(const JournalKey& key, JournalState state, int result,
                const ReceiptDocument& receipt);
    // True when a record other than key's names this fiscal document as its
    // receipt or its correction receipt.
    bool claimedByOther(const JournalKey& key, std::int64_t documentNumber);
    // The claims of other records of this operation and sum that are
    // registered (corrections: corrected) without the number of their
    // document, and whose document can lie after documentBefore: their
    // starting point is not before it, or they finished after startedAt.
    std::vector<UnnumberedClaim> unnumberedClaims(const JournalKey& key, unsigned summa,
                                                  bool corrections, std::int64_t documentBefore,
                                                  std::int64_t startedAt);

    // A correction of the record begins: state "correcting" for the date.
    void beginCorrection(const JournalKey& key, const std::string& date);
    // The last fiscal document number before the correction receipt is
    // opened, committed durably.
    void recordCorrectionBefore(const JournalKey& key, std::int64_t number);
    // The correction's outcome: corrected (with its receipt), refused again
    // (nothing fiscal) or still correcting (its fate unknown).
    void finishCorrection(const JournalKey& key, JournalState state, int result,
                          const ReceiptDocument& receipt);
    std::vector<JournalRecord> list(const JournalFilter& filter);
    // Deletes settled records older than the retention period, at most once a
    // day (the day of the last pruning is kept in the database); the number
    // deleted. ran: whether the day's pruning was due and done.
    int pruneOnceADay(int retentionDays, bool* ran = nullptr);
    // After a payment, never inside one: the day's pruning and, with it or
    // when the write-ahead log has passed kCheckpointLogBytes, a checkpoint
    // that copies every record into the database file and empties the log.
    // Throws JournalError.
    JournalUpkeep upkeep(int retentionDays);

private:
    // False when the kept connection's database has another layout now.
    bool keptLayoutFits();
    void openOrStartAfresh();
    void open();
    void exec(const char* sql);
    void migrate(int fromVersion);
    // Syncs the write-ahead log: the commits so far survive a power cut.
    void syncLog(const char* what);
    // UPDATE payments SET assignments of key's record (the key bound as ?1 to
    // ?3, the assignments' values by bindValues); what names it in a failure.
    void updateRecord(const JournalKey& key, const char* assignments, const char* what,
                      const std::function<void(JournalStatement&)>& bindValues);
    // The write-ahead log's size after this connection's last commit.
    std::int64_t logBytes();
    // False when another connection kept the checkpoint from finishing.
    bool checkpoint();
    [[noreturn]] void fail(const std::string& what, int code);

    sqlite3* db() const;

    std::string path_;
    std::unique_ptr<JournalConnection> connection_;
    bool failed_ = false;
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
