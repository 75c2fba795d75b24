// Correction receipts along the whole road (vorna-cash correct, the sender's
// journal, the ATOL driver's RegisterCorrection, the emulated register): a
// payment the register refused is put right once, a repeat names the same
// receipt, every refusal registers nothing, a host killed at any register
// call of the correction leaves exactly one correction receipt after the next
// run, and a journal of the earlier layout keeps working.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <iostream>
#include <map>

#include "cash/sender/journal/kept_journal_connections.h"
#include "cash/sender/journal/payment_journal.h"
#include "common/platform/platform.h"
#include "tests/fullpath/fullpath_host.h"
#include "tests/library_numbers.h"

namespace vorna {
namespace testing_support {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;
namespace n = library_numbers;

class CorrectionFullPath : public ::testing::Test {
protected:
    explicit CorrectionFullPath(const char* ffd = "1.2")
        : path{{"--ffd", ffd, "--agent-sign", "2"}, kJournalAndAgentSettings} {}

    void SetUp() override {
        // The first payment of the day opens the shift; the cases run in an open one.
        PaymentRun opening = path.pay({}, {"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
        journalPath = path.host.path(path.host.logs(), "payments.sqlite");
    }

    // The register's line is down for the rest of the payment.
    void lineDown() const {
        path.registerFolder.addFault({{"kind", "connection_lost"}, {"function", "libfptr_open"}});
    }

    // The worked example payment of another transfer number.
    PaymentRun payUnc(const std::string& unc) {
        ProcessResult p = path.run({"send", "--unc", unc, "--sum", "12345", "--comis", "1500",
                                    "--pair", "SHORT=Услуга", "--pair", "NDS_CODE=1105", "--pair",
                                    "TYPE_OPER=P", "--pair", "TYPE_OPL=NAL"});
        PaymentRun run;
        run.output = p.output + p.errors;
        run.result = printedResult(p.output);
        return run;
    }

    ProcessResult correct(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments = {"correct", "--unc", "4711"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return path.run(arguments);
    }

    std::vector<json> corrections() const {
        std::vector<json> found;
        for (const json& r : path.registerFolder.receipts())
            if (r.value("receiptType", 0) == n::rt::sellCorrection) found.push_back(r);
        return found;
    }
    std::size_t receiptsOfThePayment() const {
        std::size_t count = 0;
        for (const json& r : path.registerFolder.receipts())
            count += r.value("total", 0.0) == 123.45 ? 1 : 0;
        return count;
    }

    std::string tape() const {
        return path.host.fileText(path.host.path(path.host.work(), "fptr10-tape.txt"));
    }

    void forgetJournal() const {
        // A journal this test wrote itself keeps its connection in this
        // process, and on Windows an open journal cannot be deleted.
        takeJournalConnection(journalPath);
        for (const char* suffix : {"", "-wal", "-shm", ".lock"}) {
            std::error_code ignored;
            std::filesystem::remove(journalPath + suffix, ignored);
        }
    }

    // 4711 refused by the register for no connection, the line then back.
    void refusedForNoConnection() {
        forgetJournal();
        lineDown();
        PaymentRun refused = path.pay();
        ASSERT_EQ(refused.result, 1) << refused.output;
        ASSERT_TRUE(refused.newReceipts.empty());
        path.registerFolder.clearFaults();
    }

    // Runs SQL on the journal, as another process would; returns the first
    // column of the first row (empty: none).
    std::string onJournal(const std::string& sql) const {
        sqlite3* db = nullptr;
        std::string first;
        if (sqlite3_open(journalPath.c_str(), &db) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 10000);
            sqlite3_exec(
                db, sql.c_str(),
                [](void* out, int columns, char** values, char**) {
                    auto& text = *static_cast<std::string*>(out);
                    if (text.empty() && columns > 0 && values[0]) text = values[0];
                    return 0;
                },
                &first, nullptr);
        }
        sqlite3_close(db);
        return first;
    }

    // The record of 4711 as if both its attempt and its first attempt had
    // been made that many days ago; the first attempt's local day.
    std::string firstAttemptDaysAgo(int days) const {
        const std::string ago =
            "CAST(strftime('%s', 'now', '-" + std::to_string(days) + " days') AS INTEGER)";
        onJournal("UPDATE payments SET started_at=" + ago + ", first_started_at=" + ago +
                  " WHERE unc='4711' AND type_oper='P'");
        return onJournal(
            "SELECT date(first_started_at, 'unixepoch', 'localtime') FROM payments"
            " WHERE unc='4711' AND type_oper='P'");
    }

    FullPathHost path;
    std::string journalPath;
};

TEST_F(CorrectionFullPath, ARefusedPaymentIsCorrectedOnceAndTheRepeatNamesTheSameReceipt) {
    const json payment = path.registerFolder.receipts().back();  // the opening payment's receipt
    refusedForNoConnection();
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=refused result=1"));

    ProcessResult made = correct();
    EXPECT_EQ(made.exitCode, 0) << made.output << made.errors;
    EXPECT_THAT(made.output, HasSubstr(utf8("чек коррекции зарегистрирован: ФД №")));
    const std::vector<json> receipts = corrections();
    ASSERT_EQ(receipts.size(), 1u) << made.output;
    const json& c = receipts.front();
    EXPECT_EQ(c["total"], 123.45);
    EXPECT_EQ(c[std::to_string(n::tag::correctionType)], n::correctionType::self);
    EXPECT_EQ(c[std::to_string(n::tag::correctionBase)][std::to_string(n::tag::correctionDate)],
              localToday() + " 00:00:00")
        << "dated with the day the payment was made";
    ASSERT_EQ(c["positions"].size(), 1u);
    const json& position = c["positions"][0];
    const json& paid = payment["positions"][0];
    EXPECT_EQ(position["name"], paid["name"]);
    EXPECT_EQ(position["taxType"], paid["taxType"]);
    EXPECT_EQ(position["agentSign"], paid["agentSign"]);
    EXPECT_EQ(position["agentData"], paid["agentData"]);
    EXPECT_EQ(position["supplierData"], paid["supplierData"]);
    EXPECT_EQ(position["supplierInn"], paid["supplierInn"]);
    EXPECT_EQ(c["payments"], payment["payments"]);
    EXPECT_THAT(tape(), HasSubstr(utf8("КАССОВЫЙ ЧЕК КОРРЕКЦИИ")));
    EXPECT_THAT(tape(), HasSubstr(utf8("ДАТА КОРРЕКТИРУЕМОГО РАСЧЕТА")));
    const std::string number = std::to_string(c["document"].get<int>());

    // The document queries report it as a correction receipt.
    const std::string listed = path.run({"journal", "--state", "corrected"}).output;
    EXPECT_THAT(listed, HasSubstr("unc=4711"));
    EXPECT_THAT(listed, HasSubstr("correction=" + number));

    ProcessResult again = correct();
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_THAT(again.output, HasSubstr(utf8("чек коррекции уже зарегистрирован: ФД № " + number)));
    EXPECT_EQ(corrections().size(), 1u);

    // The transfer has its receipt: a send is answered from the journal.
    PaymentRun sent = path.pay();
    EXPECT_EQ(sent.result, 0) << sent.output;
    EXPECT_TRUE(sent.newReceipts.empty());
    EXPECT_THAT(utf8(path.host.fileText(path.host.operationLog())),
                HasSubstr(utf8("чек коррекции: чек ФД № " + number)));
    ProcessResult other = path.run({"send", "--unc", "4711", "--sum", "12346", "--pair",
                                    "TYPE_OPER=P", "--pair", "SHORT=x", "--pair", "NDS_CODE=1105"});
    EXPECT_EQ(printedResult(other.output), 100) << other.output;
    EXPECT_EQ(corrections().size(), 1u);
}

// The calls of one correction in the library's order: the basis formed of the
// date, the receipt typed, 1173 and 1174 set, then opened, and the position,
// payment, close and confirmation as a payment's.
TEST_F(CorrectionFullPath, TheCorrectionFollowsTheLibrarysOrderOfCalls) {
    refusedForNoConnection();
    RegisterFolder& folder = path.registerFolder;
    folder.save();
    folder.restore();
    ASSERT_EQ(correct().exitCode, 0);
    const std::vector<std::string> trace = folder.traceLines();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"libfptr_set_param_datetime", ", " + n::id(n::tag::correctionDate) + ", "},
        {"libfptr_util_form_tlv", ""},
        {"libfptr_get_param_bytearray", ", " + n::id(n::param::tagValue)},
        {"libfptr_set_param_int",
         ", " + n::id(n::param::receiptType) + ", " + n::id(n::rt::sellCorrection) + ")"},
        {"libfptr_set_param_int",
         ", " + n::id(n::tag::correctionType) + ", " + n::id(n::correctionType::self) + ")"},
        {"libfptr_set_param_bytearray", ", " + n::id(n::tag::correctionBase) + ", "},
        {"libfptr_open_receipt", ""},
        {"libfptr_registration", ""},
        {"libfptr_payment", ""},
        {"libfptr_close_receipt", ""},
        {"libfptr_check_document_closed", ""},
    };
    std::size_t at = 0;
    for (const auto& [function, argument] : expected) {
        while (at < trace.size() && !(calledFunction(trace[at]) == function &&
                                      trace[at].find(argument) != std::string::npos))
            ++at;
        ASSERT_LT(at, trace.size()) << function << argument << " in its place";
        ++at;
    }
}

TEST_F(CorrectionFullPath, RefusalsRegisterNothing) {
    const std::size_t before = path.registerFolder.receipts().size();
    const std::string tapeBefore = tape();

    ProcessResult registered = correct();
    EXPECT_EQ(registered.exitCode, 100) << registered.output;
    EXPECT_THAT(registered.output, HasSubstr(utf8("платёж зарегистрирован, чек ФД №")));

    ProcessResult unknown = path.run({"correct", "--unc", "9999"});
    EXPECT_EQ(unknown.exitCode, 100) << unknown.output;
    EXPECT_THAT(unknown.output, HasSubstr(utf8("в журнале нет перевода 9999")));

    {
        // The journal's own refusal of a payment's parameters: nothing was settled.
        PaymentJournal journal(journalPath);
        JournalRecord record;
        record.key = JournalKey{"", "4712", "P"};
        record.summa = 500;
        record.ndsCode = "1105";
        record.pairs = {{"SHORT", "x"}, {"NDS_CODE", "1105"}};
        journal.begin(record);
        journal.finish(record.key, JournalState::refused, 100, ReceiptDocument());
    }
    ProcessResult invalid = path.run({"correct", "--unc", "4712"});
    EXPECT_EQ(invalid.exitCode, 100) << invalid.output;
    EXPECT_THAT(invalid.output, HasSubstr(utf8("отклонён с кодом 100")));

    refusedForNoConnection();
    ProcessResult future = correct({"--date", "2099-01-01"});
    EXPECT_EQ(future.exitCode, 100) << future.output;
    EXPECT_THAT(future.output, HasSubstr(utf8("по " + localToday() + " (сегодня)")));
    ProcessResult notADay = correct({"--date", "2026-02-30"});
    EXPECT_EQ(notADay.exitCode, 100) << notADay.output;

    EXPECT_EQ(path.registerFolder.receipts().size(), before);
    EXPECT_EQ(tape(), tapeBefore);
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=refused"));
}

TEST_F(CorrectionFullPath, AnEarlierDateIsTheDateCorrected) {
    refusedForNoConnection();
    // The payment was first tried a month ago; the day corrected lies between.
    const std::string first = firstAttemptDaysAgo(30);
    const std::string day = onJournal("SELECT date('" + first + "', '+10 days')");
    const std::string printed = onJournal("SELECT strftime('%d.%m.%Y', '" + day + "')");
    ASSERT_EQ(day.size(), 10u) << first;
    // The line still down: the driver's result with its text, nothing made.
    lineDown();
    ProcessResult down = correct({"--date", day});
    EXPECT_EQ(down.exitCode, 1) << down.output;
    EXPECT_THAT(down.output, HasSubstr(utf8("не зарегистрирован: 1 ККТ не подключена")));
    EXPECT_TRUE(corrections().empty());
    path.registerFolder.clearFaults();
    ProcessResult made = correct({"--date", day});
    EXPECT_EQ(made.exitCode, 0) << made.output;
    ASSERT_EQ(corrections().size(), 1u);
    EXPECT_EQ(corrections()[0][std::to_string(n::tag::correctionBase)]
                           [std::to_string(n::tag::correctionDate)],
              day + " 00:00:00");
    EXPECT_THAT(tape(), HasSubstr(utf8("ДАТА КОРРЕКТИРУЕМОГО РАСЧЕТА ") + printed));
}

// A payment refused one day and retried on another: the correction is dated
// with the first day, and no day before the payment existed is taken.
TEST_F(CorrectionFullPath, TheCorrectionIsDatedWithThePaymentsFirstDay) {
    refusedForNoConnection();
    const std::string firstDay = firstAttemptDaysAgo(3);
    ASSERT_EQ(firstDay.size(), 10u);
    lineDown();
    PaymentRun retried = path.pay();
    ASSERT_EQ(retried.result, 1) << retried.output;
    path.registerFolder.clearFaults();
    ProcessResult listed = path.run({"journal", "--unc", "4711"});
    EXPECT_THAT(listed.output, HasSubstr("attempts=2")) << listed.output;
    EXPECT_THAT(listed.output, HasSubstr("first_started=" + firstDay)) << listed.output;
    EXPECT_THAT(listed.output, HasSubstr("started=" + localToday())) << listed.output;

    const std::string range =
        utf8("вне допустимых: с " + firstDay + " (день первой попытки платежа) по " + localToday());
    for (const std::string& early :
         {std::string("2000-01-01"), onJournal("SELECT date('" + firstDay + "', '-1 day')")}) {
        ProcessResult refused = correct({"--date", early});
        EXPECT_EQ(refused.exitCode, 100) << early << refused.output;
        EXPECT_THAT(refused.output, HasSubstr(range)) << refused.output;
    }
    EXPECT_TRUE(corrections().empty());
    EXPECT_THAT(tape(), Not(HasSubstr(utf8("ДАТА КОРРЕКТИРУЕМОГО РАСЧЕТА"))));

    ProcessResult made = correct();
    EXPECT_EQ(made.exitCode, 0) << made.output << made.errors;
    ASSERT_EQ(corrections().size(), 1u);
    EXPECT_EQ(corrections()[0][std::to_string(n::tag::correctionBase)]
                           [std::to_string(n::tag::correctionDate)],
              firstDay + " 00:00:00");
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output,
                HasSubstr("corrected_date=" + firstDay));
}

// A correction begun and never finished may be fiscal: a send of the transfer
// registers nothing until it is settled.
TEST_F(CorrectionFullPath, ASendOfACorrectionInDoubtRegistersNothingUntilItIsSettled) {
    refusedForNoConnection();
    {
        PaymentJournal journal(journalPath);
        journal.beginCorrection(JournalKey{"", "4711", "P"}, localToday());
    }
    PaymentRun sent = path.pay();
    EXPECT_EQ(sent.result, 99) << sent.output;
    EXPECT_TRUE(sent.newReceipts.empty());
    // settle reads the storage for the correction: it never reached its receipt.
    ProcessResult settled = path.run({"settle", "--unc", "4711"});
    EXPECT_EQ(settled.exitCode, 0) << settled.output;
    EXPECT_THAT(settled.output, HasSubstr("settle: correction not registered"));
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=refused"));
    ProcessResult made = correct();
    EXPECT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(corrections().size(), 1u);
    EXPECT_EQ(path.pay().result, 0);
    EXPECT_EQ(corrections().size(), 1u);
    EXPECT_EQ(receiptsOfThePayment(), 2u) << "the opening payment's and the correction";
}

// A record registered without its receipt's number still owns one receipt of
// its sum after its starting point: another payment's doubt never takes it.
TEST_F(CorrectionFullPath, AnUnreadReceiptIsNotTakenForAnotherPaymentsReceipt) {
    forgetJournal();
    RegisterFolder& folder = path.registerFolder;
    // The receipt is read back after the close by the last two fiscal storage
    // queries of a payment.
    folder.save();
    folder.restore();
    ASSERT_EQ(payUnc("5000").result, 0);
    int queries = 0;
    for (const std::string& line : folder.traceLines())
        queries += calledFunction(line) == "libfptr_fn_query_data" ? 1 : 0;
    ASSERT_GE(queries, 2);
    folder.restore();
    forgetJournal();

    // B is killed once its starting point is recorded, before its receipt opens.
    folder.addFault({{"kind", "exit"}, {"function", "libfptr_open_receipt"}, {"timing", "before"}});
    EXPECT_EQ(payUnc("5001").result, -1);
    // A is registered, its receipt unread: the query of the last document
    // after the close fails (the reading stops there).
    folder.addFault(
        {{"kind", "error"}, {"function", "libfptr_fn_query_data"}, {"skip", queries - 2}});
    const std::size_t before = receiptsOfThePayment();
    ASSERT_EQ(payUnc("5000").result, 0);
    EXPECT_THAT(path.run({"journal", "--unc", "5000"}).output, Not(HasSubstr("receipt=")))
        << "the receipt was not read";
    // B again: the receipt after its starting point is A's.
    PaymentRun b = payUnc("5001");
    EXPECT_EQ(b.result, 0) << b.output;
    EXPECT_EQ(receiptsOfThePayment(), before + 2) << b.output;
}

class CorrectionOnFfd105 : public CorrectionFullPath {
protected:
    CorrectionOnFfd105() : CorrectionFullPath("1.05") {}
};

TEST_F(CorrectionOnFfd105, NothingIsRegisteredAndTheMessageNamesTheFfd) {
    refusedForNoConnection();
    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult made = correct();
    EXPECT_EQ(made.exitCode, 99) << made.output;
    EXPECT_THAT(made.output, HasSubstr(utf8("ФФД 1.05")));
    EXPECT_EQ(path.registerFolder.receipts().size(), before);
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=refused"));
}

// A journal as the earlier version wrote it: no pairs, no print flag.
TEST_F(CorrectionFullPath, AJournalOfTheEarlierLayoutIsListedAndItsRecordsCorrected) {
    forgetJournal();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(journalPath.c_str(), &db), SQLITE_OK);
        const char* layout1 =
            "PRAGMA journal_mode=WAL;"
            "CREATE TABLE payments (code TEXT NOT NULL, unc TEXT NOT NULL, type_oper TEXT NOT "
            "NULL, summa INTEGER NOT NULL, comis INTEGER NOT NULL, nds_code TEXT NOT NULL,"
            " state TEXT NOT NULL, result INTEGER NOT NULL, started_at INTEGER NOT NULL,"
            " finished_at INTEGER NOT NULL, document_before INTEGER NOT NULL, receipt_number "
            "INTEGER NOT NULL, receipt_time TEXT NOT NULL, fiscal_sign TEXT NOT NULL, attempts "
            "INTEGER NOT NULL, PRIMARY KEY (code, unc, type_oper));"
            "CREATE INDEX payments_started ON payments (started_at);"
            "CREATE INDEX payments_receipt ON payments (receipt_number);"
            "CREATE TABLE journal_meta (key TEXT PRIMARY KEY, value INTEGER NOT NULL);"
            "INSERT INTO payments VALUES ('', '4711', 'P', 12345, 1500, '1105', 'refused', 1,"
            " strftime('%s','now'), strftime('%s','now'), -1, 0, '', '', 1);"
            "INSERT INTO payments VALUES ('', '4700', 'P', 100, 0, '1105', 'registered', 0,"
            " strftime('%s','now'), strftime('%s','now'), 1, 2, '2026-01-01 10:00:00', '123', 1);"
            "PRAGMA user_version=1;";
        ASSERT_EQ(sqlite3_exec(db, layout1, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    ProcessResult listed = path.run({"journal"});
    EXPECT_EQ(listed.exitCode, 0) << listed.output << listed.errors;
    EXPECT_THAT(listed.output, HasSubstr("unc=4711 type=P sum=123.45"));
    EXPECT_THAT(listed.output, HasSubstr("unc=4700 type=P sum=1.00"));
    EXPECT_THAT(listed.output, HasSubstr("pairs=unknown"));

    ProcessResult registered = path.run({"correct", "--unc", "4700"});
    EXPECT_EQ(registered.exitCode, 100) << registered.output;
    ProcessResult noName = correct();
    EXPECT_EQ(noName.exitCode, 100) << noName.output;
    EXPECT_THAT(noName.output, HasSubstr("--service"));
    EXPECT_TRUE(corrections().empty());

    ProcessResult made = correct({"--service", "Услуга"});
    EXPECT_EQ(made.exitCode, 0) << made.output << made.errors;
    ASSERT_EQ(corrections().size(), 1u);
    EXPECT_EQ(corrections()[0]["positions"][0]["name"], utf8("Услуга"));
    EXPECT_EQ(corrections()[0]["total"], 123.45);
    // The new layout goes on: a new payment journals its pairs.
    PaymentRun refund = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(refund.result, 0) << refund.output;
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=corrected"));
}

// The host killed at every register call of one correction, before the
// register's work and after it; correct run again must leave exactly one
// correction receipt each time.
TEST_F(CorrectionFullPath, AHostKilledAtAnyRegisterCallOfACorrectionCorrectsOnce) {
    refusedForNoConnection();
    // The journal as the refusal left it, to start every kill point from.
    const std::string saved = journalPath + ".saved";
    std::filesystem::copy_file(journalPath, saved);
    for (const char* suffix : {"-wal", "-shm"})
        if (std::filesystem::exists(journalPath + suffix))
            std::filesystem::copy_file(journalPath + suffix, saved + suffix);
    auto restoreJournal = [&] {
        forgetJournal();
        std::filesystem::copy_file(saved, journalPath);
        for (const char* suffix : {"-wal", "-shm"})
            if (std::filesystem::exists(saved + suffix))
                std::filesystem::copy_file(saved + suffix, journalPath + suffix);
    };
    RegisterFolder& folder = path.registerFolder;
    folder.save();
    folder.restore();
    ProcessResult plain = correct();
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    const std::vector<std::string> trace = folder.traceLines();
    ASSERT_FALSE(trace.empty());

    const std::vector<KillPoint> points = killPointsOf(trace);
    int doubled = 0, lost = 0;
    std::string violations;
    for (const KillPoint& point : points) {
        folder.restore();
        restoreJournal();
        json fault = {{"kind", "exit"}, {"function", point.function}, {"timing", point.timing}};
        if (point.occurrence > 0) fault["skip"] = point.occurrence;
        folder.addFault(fault);
        ProcessResult killed = correct();
        ProcessResult again = correct();
        const std::size_t made = corrections().size();
        const std::string where =
            point.function + " #" + std::to_string(point.occurrence + 1) + " " + point.timing;
        if (killed.exitCode == 0) {
            violations += where + ": the host was not killed: " + killed.output + "\n";
            continue;
        }
        if (made > 1) {
            ++doubled;
            violations +=
                where + ": " + std::to_string(made) + " correction receipts\n" + again.output;
        } else if (made == 0 || again.exitCode != 0) {
            ++lost;
            violations += where + ": " + std::to_string(made) + " correction receipts, exit " +
                          std::to_string(again.exitCode) + "\n" + again.output;
        }
    }
    std::cout << points.size() << " kill points of one correction ("
              << (representativeSweep() ? "the register calls"
                                        : "every call, the register calls twice")
              << " of " << trace.size() << " calls): " << doubled << " doubled, " << lost << " lost"
              << std::endl;
    EXPECT_EQ(doubled, 0) << violations;
    EXPECT_EQ(lost, 0) << violations;
    EXPECT_TRUE(violations.empty()) << violations;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
