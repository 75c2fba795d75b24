// Reconciliation of a day along the whole road (vorna-cash reconcile and the
// Z report's ReconcileOnZReport, the sender's journal, the ATOL driver's
// QueryFiscalDocument, the emulated register's fiscal storage): a day of
// payments, returns and a correction is all matched; each kind made on
// purpose is found once; quiet days and a storage that stops answering; the
// reads of a day in a storage of 10,000 documents; the Z report that
// reconciles its day.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>

#include "common/platform/platform.h"
#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

const std::vector<std::string> kRegister = {"--ffd", "1.2", "--agent-sign", "2"};

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The send arguments of one payment (sale P or return V) of this number and sum.
std::vector<std::string> sendArguments(const std::string& unc, const std::string& kopecks,
                                       const std::string& type = "P") {
    return {"send",
            "--unc",
            unc,
            "--sum",
            kopecks,
            "--pair",
            "SHORT=Услуга",
            "--pair",
            "NDS_CODE=1105",
            "--pair",
            "TYPE_OPER=" + type,
            "--pair",
            "TYPE_OPL=NAL"};
}

struct Reconciled {
    ProcessResult process;
    json object;  // with --json
    std::vector<json> itemsOf(const std::string& kind) const {
        std::vector<json> found;
        for (const json& item : object.value("items", json::array()))
            if (item["kind"] == kind) found.push_back(item);
        return found;
    }
};

class ReconcileFullPath : public ::testing::Test {
protected:
    explicit ReconcileFullPath(const std::string& more = "")
        : path{kRegister, kJournalAndAgentSettings + more} {}

    void SetUp() override {
        // The first payment of the day opens the shift.
        PaymentRun opening = path.pay({}, {"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
        journalPath = path.host.path(path.host.logs(), "payments.sqlite");
    }

    int pay(const std::string& unc, const std::string& kopecks, const std::string& type = "P") {
        ProcessResult p = path.run(sendArguments(unc, kopecks, type));
        return printedResult(p.output);
    }

    Reconciled reconcile(std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments = {"reconcile", "--json"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        Reconciled r;
        r.process = path.run(arguments);
        r.object = json::parse(r.process.output, nullptr, false);
        return r;
    }

    // Runs SQL on the journal as another process would.
    void onJournal(const std::string& sql) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(journalPath.c_str(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 10000);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    int lastDocument() const {
        return path.registerFolder.receipts().back()["document"].get<int>();
    }

    FullPathHost path;
    std::string journalPath;
};

TEST_F(ReconcileFullPath, ADayOfPaymentsReturnsAndACorrectionIsAllMatched) {
    ASSERT_EQ(pay("4720", "10000"), 0);
    ASSERT_EQ(pay("4721", "5000", "V"), 0);
    path.registerFolder.addFault({{"kind", "connection_lost"}, {"function", "libfptr_open"}});
    ASSERT_EQ(pay("4722", "2500"), 1);
    path.registerFolder.clearFaults();
    ASSERT_EQ(path.run({"correct", "--unc", "4722"}).exitCode, 0);

    const std::string table = path.host.path(path.host.work(), "day.csv");
    const Reconciled r = reconcile({"--csv", table});
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << r.process.errors;
    const json& o = r.object;
    EXPECT_EQ(o["date"], localToday());
    EXPECT_EQ(o["status"], "ok");
    EXPECT_EQ(o["matched"], 4);
    EXPECT_TRUE(o["items"].empty()) << o.dump();
    EXPECT_EQ(o["first_document"], 1);  // the shift's opening
    EXPECT_EQ(o["last_document"], lastDocument());
    for (const char* kind : {"sale", "return", "correction"})
        EXPECT_EQ(o["totals"][kind]["journal"], o["totals"][kind]["storage"]) << kind;
    EXPECT_EQ(o["totals"]["sale"]["journal"], (json{{"count", 2}, {"sum", "223.45"}}));
    EXPECT_EQ(o["totals"]["return"]["storage"], (json{{"count", 1}, {"sum", "50.00"}}));
    EXPECT_EQ(o["totals"]["correction"]["storage"], (json{{"count", 1}, {"sum", "25.00"}}));

    // The table: every record, in Windows-1251 with semicolons and decimal commas.
    const std::string csv = path.host.fileText(table);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "вид;перевод;тип;код;состояние;ФД;ФП;время ФН;операция;коррекция;сумма журнала;"
              "сумма ФН;действие;пояснение\r");
    EXPECT_EQ(occurrences(csv, "\nmatched;"), 4u) << csv;
    EXPECT_THAT(csv, HasSubstr(";4722;P;;corrected;"));
    EXPECT_THAT(csv, HasSubstr(";да;25,00;25,00;"));

    // The text for people says the same.
    const ProcessResult text = path.run({"reconcile"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_THAT(text.output, HasSubstr(utf8("Продажи: журнал 2 на 223.45, ФН 2 на 223.45")));
    EXPECT_THAT(text.output, HasSubstr(utf8("Итог: всё сопоставлено")));
}

TEST_F(ReconcileFullPath, AReceiptTypedOnTheRegisterIsForeign) {
    path.registerFolder.runTool({"receipt", "--sum", "77.00"});
    const Reconciled r = reconcile();
    EXPECT_EQ(r.process.exitCode, 2) << r.process.output << r.process.errors;
    EXPECT_EQ(r.object["status"], "discrepancy");
    ASSERT_EQ(r.object["items"].size(), 1u) << r.object.dump();
    const json& item = r.object["items"][0];
    EXPECT_EQ(item["kind"], "foreign");
    EXPECT_EQ(item["document"], lastDocument());
    EXPECT_EQ(item["sum"], "77.00");
    EXPECT_TRUE(item["unc"].is_null());
    EXPECT_FALSE(item["fiscal_sign"].is_null());
    EXPECT_EQ(r.object["totals"]["sale"]["storage"]["count"], 2);
    EXPECT_EQ(r.object["totals"]["sale"]["journal"]["count"], 1);

    const ProcessResult text = path.run({"reconcile"});
    EXPECT_EQ(text.exitCode, 2);
    EXPECT_THAT(text.output,
                HasSubstr("foreign: " + utf8("ФД № ") + std::to_string(lastDocument())));
}

TEST_F(ReconcileFullPath, AJournalThatNamesAnotherReceiptOrSumIsFound) {
    const int receipt = lastDocument();
    onJournal("UPDATE payments SET receipt_number=999 WHERE unc='4711'");
    Reconciled r = reconcile();
    EXPECT_EQ(r.process.exitCode, 2) << r.process.output << r.process.errors;
    ASSERT_EQ(r.itemsOf("missing").size(), 1u) << r.object.dump();
    EXPECT_EQ(r.itemsOf("missing")[0]["unc"], "4711");
    EXPECT_EQ(r.itemsOf("missing")[0]["document"], 999);
    // Its receipt is then claimed by no record.
    ASSERT_EQ(r.itemsOf("foreign").size(), 1u);
    EXPECT_EQ(r.itemsOf("foreign")[0]["document"], receipt);

    onJournal("UPDATE payments SET receipt_number=" + std::to_string(receipt) +
              ", summa=10000 WHERE unc='4711'");
    r = reconcile();
    EXPECT_EQ(r.process.exitCode, 2);
    ASSERT_EQ(r.object["items"].size(), 1u) << r.object.dump();
    const json& item = r.object["items"][0];
    EXPECT_EQ(item["kind"], "mismatch");
    EXPECT_EQ(item["sum"], "100.00");
    EXPECT_EQ(item["storage_sum"], "123.45");
    EXPECT_EQ(item["document"], receipt);
}

TEST_F(ReconcileFullPath, RefusedAndKilledPaymentsAreOpenWithWhatToDo) {
    path.registerFolder.addFault({{"kind", "connection_lost"}, {"function", "libfptr_open"}});
    ASSERT_EQ(pay("4730", "700"), 1);
    path.registerFolder.clearFaults();
    Reconciled r = reconcile();
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output << r.process.errors;
    EXPECT_EQ(r.object["status"], "open");
    ASSERT_EQ(r.object["items"].size(), 1u) << r.object.dump();
    EXPECT_EQ(r.object["items"][0]["unc"], "4730");
    EXPECT_EQ(r.object["items"][0]["action"], "correct");

    // Killed once its receipt is closed: the record stays "started" and the
    // receipt is the open record's, not a foreign one.
    ASSERT_EQ(path.run({"correct", "--unc", "4730"}).exitCode, 0);
    path.registerFolder.addFault(
        {{"kind", "exit"}, {"function", "libfptr_close_receipt"}, {"timing", "after"}});
    pay("4740", "4200");
    path.registerFolder.clearFaults();
    r = reconcile();
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output << r.process.errors;
    ASSERT_EQ(r.object["items"].size(), 1u) << r.object.dump();
    const json& killed = r.object["items"][0];
    EXPECT_EQ(killed["kind"], "open");
    EXPECT_EQ(killed["unc"], "4740");
    EXPECT_EQ(killed["action"], "settle");
    EXPECT_EQ(killed["document"], lastDocument());

    ASSERT_EQ(path.run({"settle", "--unc", "4740"}).exitCode, 0);
    EXPECT_EQ(reconcile().process.exitCode, 0);
}

TEST_F(ReconcileFullPath, QuietDaysHaveNothingAndAStorageThatStopsAnsweringNoVerdict) {
    Reconciled before = reconcile({"--date", "2000-01-01"});
    EXPECT_EQ(before.process.exitCode, 0) << before.process.output << before.process.errors;
    EXPECT_TRUE(before.object["first_document"].is_null());
    EXPECT_EQ(before.object["matched"], 0);
    EXPECT_EQ(before.object["totals"]["sale"]["storage"]["count"], 0);

    // The last number, a probe of the bisection, then nothing more.
    path.registerFolder.runTool(
        {"fault", "fail", "libfptr_fn_query_data", "115", "--always", "--skip", "2"});
    const Reconciled failed = reconcile();
    EXPECT_EQ(failed.process.exitCode, 3) << failed.process.output << failed.process.errors;
    EXPECT_EQ(failed.object["status"], "unknown");
    EXPECT_TRUE(failed.object["items"].empty());
    EXPECT_FALSE(failed.object.contains("matched"));
    EXPECT_THAT(failed.process.errors, HasSubstr("reconcile: "));
    path.registerFolder.clearFaults();

    EXPECT_EQ(path.run({"reconcile", "--date", "2026-02-30"}).exitCode, 100);
    EXPECT_EQ(path.run({"reconcile", "--date", "today"}).exitCode, 125);
    EXPECT_EQ(path.run({"reconcile", "--code", "..\\x"}).exitCode, 100);
}

TEST(ReconcileQuietRegister, ARegisterWithoutDocumentsHasNothingToHold) {
    FullPathHost path(kRegister, kJournalAndAgentSettings);
    const ProcessResult r = path.run({"reconcile", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.output << r.errors;
    const json o = json::parse(r.output, nullptr, false);
    EXPECT_EQ(o["status"], "ok");
    EXPECT_TRUE(o["last_document"].is_null());
    EXPECT_EQ(o["documents_read"], 1);
}

// A storage of 10,000 documents, all but the day's 300 made three days ago:
// the day is found by bisection and read once.
TEST(ReconcileLargeStorage, ADayOfThreeHundredIsReadWithinItsBound) {
    FullPathHost path(kRegister, kJournalAndAgentSettings);
    path.registerFolder.runTool({"clock", "-3d"});
    path.registerFolder.runTool({"receipt", "--sum", "10.00", "--count", "9698"});
    ASSERT_EQ(path.run({"z-report"}).exitCode, 0);
    path.registerFolder.runTool({"clock", "reset"});
    // 299 payments in one host process, the first opening the shift.
    std::vector<std::string> calls;
    for (int i = 0; i < 299; ++i) {
        if (i > 0) calls.push_back("--");
        const std::vector<std::string> send =
            sendArguments(std::to_string(50000 + i), std::to_string(1000 + i));
        calls.insert(calls.end(), send.begin(), send.end());
        if (i == 0) calls.insert(calls.end(), {"--answer", "yes"});
    }
    const ProcessResult paid = path.run(calls);
    ASSERT_EQ(occurrences(paid.output, "result: 0"), 299u) << paid.output << paid.errors;

    const std::size_t traced = path.registerFolder.traceLines().size();
    const ProcessResult r = path.run({"reconcile", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.output << r.errors;
    const json o = json::parse(r.output, nullptr, false);
    EXPECT_EQ(o["last_document"], 10000);
    EXPECT_EQ(o["first_document"], 9701);
    EXPECT_EQ(o["matched"], 299);
    const std::vector<std::string> trace = path.registerFolder.traceLines();
    int reads = 0;
    for (std::size_t i = traced; i < trace.size(); ++i)
        reads += calledFunction(trace[i]) == "libfptr_fn_query_data" ? 1 : 0;
    EXPECT_LE(reads, 300 + 2 * std::log2(10000.0));
    EXPECT_EQ(o["documents_read"], reads);
    EXPECT_THAT(r.errors, HasSubstr(utf8("сверка: прочитано 100 из ~300 документов дня")));
}

class ReconcileAtZReport : public ReconcileFullPath {
protected:
    ReconcileAtZReport() : ReconcileFullPath("ReconcileOnZReport=Y\n") {}

    // error.log is in the host's current folder.
    std::string errorLog() const {
        return utf8(path.host.fileText(path.host.path(path.host.work(), "error.log")));
    }

    std::string csvPath() const {
        return path.host.path(path.host.logs(), "reconcile-" + localToday() + ".csv");
    }
};

TEST_F(ReconcileAtZReport, AMatchedDayIsLoggedAndTabledWithoutABox) {
    const ProcessResult z = path.run({"z-report"});
    EXPECT_THAT(z.output, HasSubstr("result: 0")) << z.output << z.errors;
    EXPECT_THAT(z.errors, Not(HasSubstr(utf8("[Сверка с фискальным накопителем]"))));
    EXPECT_THAT(utf8(path.host.fileText(path.host.operationLog())),
                HasSubstr(utf8("Сверка за " + localToday() +
                               ": сопоставлено 1, не завершено 0, чужих 0, нет чека 0, "
                               "расхождений 0 (")));
    EXPECT_EQ(occurrences(path.host.fileText(csvPath()), "\nmatched;"), 1u);
    EXPECT_THAT(errorLog(), Not(HasSubstr(utf8("Сверка"))));
}

TEST_F(ReconcileAtZReport, ADiscrepancyGetsOneBoxAndTheZReportItsOwnResult) {
    path.registerFolder.runTool({"receipt", "--sum", "77.00"});
    const ProcessResult z = path.run({"z-report"});
    EXPECT_THAT(z.output, HasSubstr("result: 0")) << z.output << z.errors;
    EXPECT_EQ(occurrences(z.errors, utf8("[Сверка с фискальным накопителем]")), 1u) << z.errors;
    EXPECT_THAT(z.errors, HasSubstr(utf8("чужих чеков: 1")));
    EXPECT_THAT(path.host.fileText(csvPath()), HasSubstr("\nforeign;"));
    EXPECT_THAT(errorLog(), HasSubstr(utf8("чужих 1, нет чека 0")));
}

TEST_F(ReconcileAtZReport, AFailedReconciliationIsLoggedAndTheZReportStands) {
    // The Z report reads no document; the reconciliation after it reads only documents.
    path.registerFolder.runTool({"fault", "fail", "libfptr_fn_query_data", "115", "--always"});
    const ProcessResult z = path.run({"z-report"});
    EXPECT_THAT(z.output, HasSubstr("result: 0")) << z.output << z.errors;
    EXPECT_THAT(z.errors, Not(HasSubstr(utf8("[Сверка с фискальным накопителем]"))));
    EXPECT_THAT(errorLog(), HasSubstr(utf8("Сверка не выполнена: ")))
        << utf8(path.host.fileText(path.host.operationLog()));
    EXPECT_FALSE(path.host.exists(csvPath()));
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
