// A day of the payment journal held against a fiscal storage kept in memory:
// the day found by bisection within its read bound, every kind made on
// purpose and found once, the totals, a storage that stops answering, and the
// texts and the table people read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cash/sender/reconciliation/day_reconciliation.h"
#include "cash/sender/reconciliation/reconciliation_output.h"
#include "cash/shared/ResultCode.h"

namespace vorna {
namespace {

using ::testing::HasSubstr;

// A fiscal storage: documents 1..N in time order; reads are counted and can
// fail from a given number of reads on.
class MemoryStorage {
public:
    // A receipt (operation 1 sale, 2 return) or, with documentType 2, a shift opening.
    // A copy: the storage grows.
    cash::FiscalDocument add(const std::string& dateTime, long long kopecks, int operation = 1,
                             int documentType = cash::kFiscalDocumentReceipt,
                             bool correction = false) {
        cash::FiscalDocument d{};
        d.number = static_cast<unsigned>(documents_.size() + 1);
        d.documentType = documentType;
        d.operationType = documentType == cash::kFiscalDocumentReceipt ? operation : 0;
        d.total = documentType == cash::kFiscalDocumentReceipt ? kopecks : 0;
        d.correction = correction ? 1 : 0;
        std::snprintf(d.dateTime, sizeof d.dateTime, "%s", dateTime.c_str());
        std::snprintf(d.fiscalSign, sizeof d.fiscalSign, "%u", 1000000 + d.number * 7);
        documents_.push_back(d);
        return documents_.back();
    }
    FiscalDocumentReader reader() {
        return [this](unsigned number, cash::FiscalDocument& out) {
            ++reads;
            if (failFrom > 0 && reads >= failFrom) return cash::kOtherError;
            if (number == 0) {
                out = cash::FiscalDocument{};
                out.number = static_cast<unsigned>(documents_.size());
                return cash::kSuccess;
            }
            if (number > documents_.size()) return cash::kOtherError;
            out = documents_[number - 1];
            return cash::kSuccess;
        };
    }
    const cash::FiscalDocument& at(unsigned number) const { return documents_[number - 1]; }
    int reads = 0;
    int failFrom = 0;

private:
    std::vector<cash::FiscalDocument> documents_;
};

std::string stamp(int day, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "2026-11-%02d %02d:%02d:%02d", day, 8 + second / 3600,
                  second / 60 % 60, second % 60);
    return text;
}

JournalRecord registered(const std::string& unc, const cash::FiscalDocument receipt,
                         const std::string& type = "P") {
    JournalRecord r;
    r.key = JournalKey{"", unc, type};
    r.summa = static_cast<unsigned>(receipt.total);
    r.state = JournalState::registered;
    r.result = 0;
    r.documentBefore = receipt.number - 1;
    r.receipt.number = receipt.number;
    r.receipt.dateTime = receipt.dateTime;
    r.receipt.fiscalSign = receipt.fiscalSign;
    r.startedLocal = receipt.dateTime;
    return r;
}

JournalRecord unsettledRecord(const std::string& unc, unsigned summa, JournalState state,
                              int result, std::int64_t documentBefore, const std::string& started) {
    JournalRecord r;
    r.key = JournalKey{"", unc, "P"};
    r.summa = summa;
    r.state = state;
    r.result = result;
    r.documentBefore = documentBefore;
    r.startedLocal = started;
    return r;
}

const ReconcileItem* itemOf(const DayReconciliation& day, ReconcileKind kind) {
    for (const ReconcileItem& item : day.items)
        if (item.kind == kind) return &item;
    return nullptr;
}

TEST(DayReconciliation, ADayOfAStorageOfTenThousandIsReadWithinItsBound) {
    MemoryStorage storage;
    // 9,700 documents over 29 earlier days, then a day of a shift opening and 299 receipts.
    for (int i = 0; i < 9700; ++i) storage.add(stamp(1 + i / 335, i % 335 * 60), 100 + i);
    storage.add(stamp(30, 0), 0, 0, 2);
    std::vector<JournalRecord> records;
    for (int i = 1; i < 300; ++i)
        records.push_back(registered(std::to_string(i), storage.add(stamp(30, i * 60), 5000 + i)));
    FiscalStorage reading(storage.reader());
    const DayReconciliation day = reconcileDay("2026-11-30", records, reading);
    EXPECT_EQ(day.first, 9701u);
    EXPECT_EQ(day.last, 10000u);
    EXPECT_EQ(day.count(ReconcileKind::matched), 299);
    EXPECT_EQ(day.exitCode(), 0);
    EXPECT_LE(storage.reads, 300 + 2 * std::log2(10000.0));
    EXPECT_EQ(day.documentsRead, storage.reads);
    EXPECT_EQ(day.sale.journal.count, 299);
    EXPECT_EQ(day.sale.journal.kopecks, day.sale.storage.kopecks);

    // A day in the middle of the storage costs no more.
    storage.reads = 0;
    FiscalStorage again(storage.reader());
    const DayReconciliation middle = reconcileDay("2026-11-15", {}, again);
    EXPECT_EQ(middle.last - middle.first + 1, 335u);
    EXPECT_EQ(documentDate(storage.at(middle.first - 1)), "2026-11-14");
    EXPECT_EQ(documentDate(storage.at(middle.last + 1)), "2026-11-16");
    EXPECT_EQ(middle.count(ReconcileKind::foreign), 335);
    EXPECT_LE(storage.reads, 335 + 2 * std::log2(10000.0));
}

TEST(DayReconciliation, ADayBeforeTheFirstDocumentOrWithoutAnyHasNothing) {
    MemoryStorage storage;
    for (int i = 0; i < 50; ++i) storage.add(stamp(10, i), 100);
    for (const char* date : {"2026-10-01", "2026-11-09", "2026-11-11"}) {
        storage.reads = 0;
        FiscalStorage reading(storage.reader());
        const DayReconciliation day = reconcileDay(date, {}, reading);
        EXPECT_EQ(day.first, 0u) << date;
        EXPECT_TRUE(day.items.empty()) << date;
        EXPECT_EQ(day.exitCode(), 0) << date;
        EXPECT_LE(storage.reads, 1 + 7) << date;
    }
    MemoryStorage empty;
    FiscalStorage reading(empty.reader());
    EXPECT_EQ(reconcileDay("2026-11-10", {}, reading).exitCode(), 0);
    EXPECT_EQ(empty.reads, 1);
}

TEST(DayReconciliation, EveryKindIsFoundOnceWithTheTotalsOfBothSides) {
    MemoryStorage storage;
    storage.add(stamp(9, 0), 999);  // yesterday's: never read as the day's
    storage.add(stamp(10, 0), 0, 0, 2);
    const cash::FiscalDocument sale = storage.add(stamp(10, 10), 12345);
    const cash::FiscalDocument back = storage.add(stamp(10, 20), 5000, 2);
    const cash::FiscalDocument changed = storage.add(stamp(10, 30), 700);
    const cash::FiscalDocument typed = storage.add(stamp(10, 40), 7700);
    const cash::FiscalDocument killed = storage.add(stamp(10, 50), 4200);
    const cash::FiscalDocument corrected =
        storage.add(stamp(10, 60), 3000, cash::kOperationSale, cash::kFiscalDocumentReceipt, true);
    const cash::FiscalDocument unnumbered = storage.add(stamp(10, 70), 800);

    std::vector<JournalRecord> records = {registered("1", sale), registered("2", back, "V")};
    JournalRecord wrongSum = registered("3", changed);
    wrongSum.summa = 600;
    records.push_back(wrongSum);
    JournalRecord gone = registered("4", sale);
    gone.receipt.number = 40;
    records.push_back(gone);
    records.push_back(
        unsettledRecord("5", 4200, JournalState::started, -1, killed.number - 1, stamp(10, 49)));
    records.push_back(
        unsettledRecord("6", 900, JournalState::refused, cash::kNotConnected, -1, stamp(10, 55)));
    records.push_back(
        unsettledRecord("7", 900, JournalState::refused, cash::kInvalidPayment, -1, stamp(10, 56)));
    JournalRecord put = unsettledRecord("8", 3000, JournalState::corrected, 1, -1, stamp(10, 5));
    put.correction.receipt.number = corrected.number;
    put.correction.receipt.dateTime = corrected.dateTime;
    put.correction.receipt.fiscalSign = corrected.fiscalSign;
    records.push_back(put);
    JournalRecord noNumber = registered("9", unnumbered);
    noNumber.receipt = ReceiptDocument();
    records.push_back(noNumber);
    // Yesterday's refusal is yesterday's business.
    records.push_back(
        unsettledRecord("10", 900, JournalState::refused, cash::kNotConnected, -1, stamp(9, 1)));

    FiscalStorage reading(storage.reader());
    const DayReconciliation day = reconcileDay("2026-11-10", records, reading);
    EXPECT_EQ(day.first, 2u);
    EXPECT_EQ(day.last, 9u);
    EXPECT_EQ(day.count(ReconcileKind::matched), 4);  // 1, 2, 8 and 9
    EXPECT_EQ(day.count(ReconcileKind::mismatch), 1);
    EXPECT_EQ(day.count(ReconcileKind::missing), 1);
    EXPECT_EQ(day.count(ReconcileKind::foreign), 1);
    EXPECT_EQ(day.count(ReconcileKind::open), 2);
    EXPECT_EQ(day.rejected, 1);
    EXPECT_EQ(day.status(), ReconcileStatus::discrepancy);
    EXPECT_EQ(day.exitCode(), 2);

    const ReconcileItem* mismatch = itemOf(day, ReconcileKind::mismatch);
    EXPECT_EQ(mismatch->record.key.unc, "3");
    EXPECT_THAT(mismatch->detail, HasSubstr("сумма 7.00 вместо 6.00"));
    const ReconcileItem* missing = itemOf(day, ReconcileKind::missing);
    EXPECT_EQ(missing->record.key.unc, "4");
    EXPECT_EQ(missing->document.number, 40u);
    const ReconcileItem* foreign = itemOf(day, ReconcileKind::foreign);
    EXPECT_EQ(foreign->document.number, typed.number);
    EXPECT_FALSE(foreign->hasRecord);
    for (const ReconcileItem& item : day.items) {
        if (item.kind != ReconcileKind::open) continue;
        if (item.record.key.unc == "5") {
            // The receipt of a payment killed after it closed belongs to the open record.
            EXPECT_EQ(item.action, "settle");
            EXPECT_EQ(item.document.number, killed.number);
        } else {
            EXPECT_EQ(item.record.key.unc, "6");
            EXPECT_EQ(item.action, "correct");
            EXPECT_FALSE(item.hasDocument);
        }
    }
    EXPECT_EQ(day.sale.journal.count, 4);  // 1, 3 (its journal sum), 4 and 9
    EXPECT_EQ(day.sale.journal.kopecks, 12345 + 600 + 12345 + 800);
    EXPECT_EQ(day.sale.storage.count, 5);  // 1, 3, typed, killed, unnumbered
    EXPECT_EQ(day.sale.storage.kopecks, 12345 + 700 + 7700 + 4200 + 800);
    EXPECT_EQ(day.saleReturn.journal.kopecks, 5000);
    EXPECT_EQ(day.saleReturn.storage.kopecks, 5000);
    EXPECT_EQ(day.correction.journal.count, 1);
    EXPECT_EQ(day.correction.storage.count, 1);

    // Without the discrepancies only the open records are left: exit code 1.
    std::vector<JournalRecord> openOnly = {records[0], records[1], records[4],
                                           records[5], records[7], records[8]};
    MemoryStorage same = storage;
    FiscalStorage sameReading(same.reader());
    const DayReconciliation open = reconcileDay("2026-11-10", openOnly, sameReading);
    EXPECT_EQ(open.count(ReconcileKind::foreign), 2);  // the changed and the typed receipt
    openOnly.push_back(registered("3", changed));
    openOnly.push_back(registered("11", typed));
    FiscalStorage thirdReading(same.reader());
    EXPECT_EQ(reconcileDay("2026-11-10", openOnly, thirdReading).exitCode(), 1);
}

TEST(DayReconciliation, ARecordNamingADocumentOfTheDayWithAnotherSignOrKindDiffers) {
    MemoryStorage storage;
    const cash::FiscalDocument opening = storage.add(stamp(10, 0), 0, 0, 2);
    const cash::FiscalDocument sale = storage.add(stamp(10, 10), 12345);
    JournalRecord otherSign = registered("1", sale);
    otherSign.receipt.fiscalSign = "42";
    JournalRecord notAReceipt = registered("2", sale);
    notAReceipt.receipt.number = opening.number;
    JournalRecord asReturn = registered("3", sale, "V");
    asReturn.receipt.number = 99;  // past the last: missing, without a read
    FiscalStorage reading(storage.reader());
    const DayReconciliation day =
        reconcileDay("2026-11-10", {otherSign, notAReceipt, asReturn}, reading);
    ASSERT_EQ(day.items.size(), 3u);
    EXPECT_EQ(day.items[0].kind, ReconcileKind::mismatch);
    EXPECT_THAT(day.items[0].detail, HasSubstr("ФП " + std::string(sale.fiscalSign)));
    EXPECT_EQ(day.items[1].kind, ReconcileKind::mismatch);
    EXPECT_THAT(day.items[1].detail, HasSubstr("это не чек"));
    EXPECT_EQ(day.items[2].kind, ReconcileKind::missing);
}

TEST(DayReconciliation, ACorrectionInDoubtOwnsItsCorrectionReceiptAndIsCorrected) {
    MemoryStorage storage;
    const cash::FiscalDocument sale = storage.add(stamp(10, 10), 5000);
    const cash::FiscalDocument correction =
        storage.add(stamp(10, 20), 2500, cash::kOperationSale, cash::kFiscalDocumentReceipt, true);
    JournalRecord doubt =
        unsettledRecord("1", 2500, JournalState::correcting, 1, -1, stamp(10, 15));
    doubt.correction.documentBefore = sale.number;
    FiscalStorage reading(storage.reader());
    const DayReconciliation day = reconcileDay("2026-11-10", {doubt}, reading);
    // The sale no record names is foreign; the correction receipt is the open record's.
    ASSERT_EQ(day.items.size(), 2u);
    EXPECT_EQ(day.items[0].kind, ReconcileKind::open);
    EXPECT_EQ(day.items[0].action, "correct");
    EXPECT_EQ(day.items[0].document.number, correction.number);
    EXPECT_EQ(day.items[1].kind, ReconcileKind::foreign);
    EXPECT_EQ(day.items[1].document.number, sale.number);
}

TEST(DayReconciliation, AStorageThatStopsAnsweringGivesNoVerdict) {
    MemoryStorage storage;
    for (int i = 0; i < 400; ++i) storage.add(stamp(10, i), 100);
    for (int failFrom : {1, 3, 200}) {
        storage.reads = 0;
        storage.failFrom = failFrom;
        FiscalStorage reading(storage.reader());
        EXPECT_THROW(reconcileDay("2026-11-10", {}, reading), FiscalStorageUnreadable) << failFrom;
    }
    // A named document within the storage that cannot be read is no "missing" one.
    MemoryStorage small;
    for (int i = 0; i < 10; ++i) small.add(stamp(9, i), 100);
    const cash::FiscalDocument later = small.add(stamp(10, 0), 100);
    JournalRecord r = registered("1", small.at(1));
    r.receipt.dateTime = later.dateTime;
    FiscalStorage reading(small.reader());
    ASSERT_EQ(reading.day("2026-11-10").first, later.number);  // the day itself is read ...
    small.failFrom = small.reads + 1;                          // ... and then nothing more
    EXPECT_THROW(reconcileDay("2026-11-10", {r}, reading), FiscalStorageUnreadable);
}

TEST(ReconciliationOutput, TextTableAndSummaryTellTheSameDay) {
    MemoryStorage storage;
    const cash::FiscalDocument sale = storage.add(stamp(10, 10), 12345);
    storage.add(stamp(10, 20), 7700);
    JournalRecord r = registered("4711;\"x\"", sale);
    FiscalStorage reading(storage.reader());
    const DayReconciliation day = reconcileDay("2026-11-10", {r}, reading);

    EXPECT_EQ(kopecksText(5), "0.05");
    EXPECT_EQ(kopecksText(12345, ','), "123,45");
    EXPECT_EQ(kopecksText(-150), "-1.50");

    const std::vector<std::string> text = reconciliationText(day);
    EXPECT_EQ(text.front(), "Сверка за 2026-11-10: документы ФН № 1..2, прочитано 3");
    EXPECT_EQ(text[1], "Продажи: журнал 1 на 123.45, ФН 2 на 200.45");
    EXPECT_THAT(text[5], HasSubstr("foreign: ФД № 2, ФП 1000014, продажа 77.00"));
    EXPECT_EQ(text.back(), "Итог: есть расхождения");
    EXPECT_EQ(reconciliationSummaryLine(day, "r.csv"),
              "Сверка за 2026-11-10: сопоставлено 1, не завершено 0, чужих 1, нет чека 0, "
              "расхождений 0 (r.csv)");

    const std::string csv = reconciliationCsv(day);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "вид;перевод;тип;код;состояние;ФД;ФП;время ФН;операция;коррекция;сумма журнала;"
              "сумма ФН;действие;пояснение");
    EXPECT_THAT(csv, HasSubstr("\r\nmatched;\"4711;\"\"x\"\"\";P;;registered;1;1000007;"
                               "2026-11-10 08:00:10;продажа;нет;123,45;123,45;;\r\n"));
    EXPECT_THAT(csv,
                HasSubstr("\r\nforeign;;;;;2;1000014;2026-11-10 08:00:20;продажа;нет;;77,00;;"));
    EXPECT_EQ(reconciliationCsvName("2026-11-10"), "reconcile-2026-11-10.csv");
}

}  // namespace
}  // namespace vorna
