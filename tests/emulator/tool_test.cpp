// The fptr10-emulator tool, run as its own process.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "emulator/emulator_clock.h"
#include "emulator/state_store.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class ToolTest : public EmulatorTest {
protected:
    // Reads document n of the fiscal storage; 0 or the failure number.
    int readDocument(Device& d, int n) {
        d.setInt(param::documentNumber, n);
        return d.fnQuery(fndt::documentByNumber);
    }
};

constexpr int kInvalidParameter = 405;

TEST_F(ToolTest, InitRegistersANewRegister) {
    std::string out;
    ASSERT_EQ(0, runTool("init --ffd 1.2 --agent-sign 2 --inn 7707083893 --name Vorna "
                         "--address Moscow --firmware 4.2.17",
                         &out))
        << out;
    json s = state();
    EXPECT_EQ(120, s["registration"]["1209"]);
    EXPECT_EQ(2, s["registration"]["1057"]);
    EXPECT_EQ("7707083893", s["registration"]["1018"]);
    EXPECT_EQ("Vorna", s["registration"]["1048"]);
    EXPECT_EQ("Moscow", s["registration"]["1009"]);
    EXPECT_EQ("4.2.17", s["status"]["firmwareVersion"]);
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.fnQuery(fndt::registration));
    EXPECT_EQ(120, d.getInt(1209));
    EXPECT_NE(0, runTool("init --ffd 2.0", &out));
    EXPECT_NE(std::string::npos, out.find("unknown FFD version 2.0"));
}

TEST_F(ToolTest, InitStartsWithEmptyJournalAndTape) {
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
    }
    ASSERT_FALSE(journal().empty());
    ASSERT_EQ(0, runTool("init"));
    EXPECT_TRUE(journal().empty());
    EXPECT_TRUE(tape().empty());
    EXPECT_EQ(false, state()["shift"]["open"]);
}

TEST_F(ToolTest, SetKeepsTextsAndParsesValues) {
    ASSERT_EQ(0, runTool("set registration.1018 7701000001"));
    ASSERT_EQ(0, runTool("set registration.1057 4"));
    ASSERT_EQ(0, runTool("set temperature 71"));
    ASSERT_EQ(0, runTool("set trace true"));
    json s = state();
    EXPECT_EQ("7701000001", s["registration"]["1018"]);
    EXPECT_EQ(4, s["registration"]["1057"]);
    EXPECT_EQ(71, s["temperature"]);
    EXPECT_EQ(true, s["trace"]);
    std::string out;
    EXPECT_NE(0, runTool("set papr false", &out));
    EXPECT_NE(std::string::npos, out.find("the state has no papr")) << out;
    EXPECT_NE(0, runTool("set paper maybe", &out));
    EXPECT_NE(std::string::npos, out.find("paper takes a value like true")) << out;
    EXPECT_EQ(true, state()["paper"]);
}

TEST_F(ToolTest, VersionSetsAndPrintsTheLibraryVersion) {
    std::string out;
    ASSERT_EQ(0, runTool("version", &out));
    EXPECT_NE(std::string::npos, out.find("library version: 10.10.8.0")) << out;
    ASSERT_EQ(0, runTool("version 10.10.6.0", &out));
    EXPECT_NE(std::string::npos, out.find("library version: 10.10.6.0")) << out;
    EXPECT_EQ("10.10.6.0", state()["libraryVersion"]);
    Device d;
    EXPECT_STREQ("10.10.6.0", d.lib().libfptr_get_version_string());
    EXPECT_NE(0, runTool("version 10.10.6.0 10.10.7.0", &out));
    EXPECT_EQ("10.10.6.0", state()["libraryVersion"]);
}

TEST_F(ToolTest, ClockMovesForwardAndResets) {
    ASSERT_EQ(0, runTool("clock +25h"));
    EXPECT_EQ(25 * 3600, state()["clockOffset"]);
    ASSERT_EQ(0, runTool("clock +30m"));
    EXPECT_EQ(25 * 3600 + 1800, state()["clockOffset"]);
    ASSERT_EQ(0, runTool("clock reset"));
    EXPECT_EQ(0, state()["clockOffset"]);
    ASSERT_EQ(0, runTool("clock -3d"));
    EXPECT_EQ(-3 * 86400, state()["clockOffset"]);
    ASSERT_EQ(0, runTool("clock -90m"));
    EXPECT_EQ(-3 * 86400 - 5400, state()["clockOffset"]);
    ASSERT_EQ(0, runTool("clock reset"));
    EXPECT_EQ(0, state()["clockOffset"]);
    EXPECT_NE(0, runTool("clock soon"));
    EXPECT_NE(0, runTool("clock -"));
}

// Documents made with the clock moved back keep that day, in the journal and
// in the fiscal storage; the register's today comes back with reset.
TEST_F(ToolTest, DocumentsMadeWithTheClockBackKeepTheirDay) {
    ASSERT_EQ(0, runTool("clock -3d"));
    std::string out;
    ASSERT_EQ(0, runTool("receipt --sum 10 --count 2", &out)) << out;
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.report(report::closeShift));
    }
    ASSERT_EQ(0, runTool("clock reset"));
    ASSERT_EQ(0, runTool("receipt --sum 20", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("open shift: document 5, shift 2")) << out;

    const std::string then = emulator::formatTime(emulator::registerNow(-3 * 86400));
    const std::string today = emulator::formatTime(emulator::registerNow(0));
    const std::vector<json> j = journal();
    ASSERT_EQ(6u, j.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(then.substr(0, 10), j[i]["time"].get<std::string>().substr(0, 10)) << i;
        EXPECT_NEAR(emulator::registerNow(-3 * 86400), j[i]["at"].get<double>(), 60) << i;
    }
    EXPECT_EQ(today.substr(0, 10), j[5]["time"].get<std::string>().substr(0, 10));

    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, readDocument(d, 2));
    EXPECT_EQ(fndoc::receipt, d.getInt(param::fnDocumentType));
    EXPECT_EQ(j[1]["time"].get<std::string>(), d.getDateTime(param::dateTime));
    EXPECT_DOUBLE_EQ(10, d.getDouble(tag::total));
    ASSERT_EQ(0, readDocument(d, 4));
    EXPECT_EQ(fndoc::closeShift, d.getInt(param::fnDocumentType));
    EXPECT_EQ(j[3]["time"].get<std::string>(), d.getDateTime(param::dateTime));
    ASSERT_EQ(0, readDocument(d, 6));
    EXPECT_EQ(j[5]["time"].get<std::string>(), d.getDateTime(param::dateTime));
    EXPECT_DOUBLE_EQ(20, d.getDouble(tag::total));
}

// A receipt typed on the register's keyboard is a fiscal document like those
// of the library: the shift opened first, numbers, sign, totals, tape, journal.
TEST_F(ToolTest, ReceiptRegistersASaleOnTheRegistersKeyboard) {
    std::string out;
    ASSERT_EQ(0, runTool("receipt --sum 77", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("open shift: document 1, shift 1\n")) << out;
    const std::vector<json> j = journal();
    ASSERT_EQ(2u, j.size());
    EXPECT_EQ("open_shift", j[0]["type"]);
    const json& r = j[1];
    EXPECT_EQ("receipt", r["type"]);
    EXPECT_EQ(2, r["document"]);
    EXPECT_EQ(1, r["shift"]);
    EXPECT_EQ(rt::sell, r["receiptType"]);
    EXPECT_EQ(1, r["receiptNumber"]);
    EXPECT_DOUBLE_EQ(77, r["total"].get<double>());
    ASSERT_EQ(1u, r["positions"].size());
    EXPECT_EQ(u8"Товар", r["positions"][0]["name"]);
    EXPECT_DOUBLE_EQ(77, r["positions"][0]["price"].get<double>());
    EXPECT_DOUBLE_EQ(1, r["positions"][0]["quantity"].get<double>());
    EXPECT_DOUBLE_EQ(77, r["positions"][0]["sum"].get<double>());
    EXPECT_EQ(tax::no, r["positions"][0]["taxType"]);
    EXPECT_EQ(u8"БЕЗ НДС", r["positions"][0]["tax"]);
    ASSERT_EQ(1u, r["payments"].size());
    EXPECT_EQ(payment::cash, r["payments"][0]["type"]);
    EXPECT_DOUBLE_EQ(77, r["payments"][0]["sum"].get<double>());
    EXPECT_NE(std::string::npos, out.find("receipt: document 2, sale 77.00, fiscal sign " +
                                          std::to_string(r["fiscalSign"].get<std::int64_t>()) +
                                          ", " + r["time"].get<std::string>() + "\n"))
        << out;

    const json s = state();
    EXPECT_EQ(2, s["counters"]["document"]);
    EXPECT_EQ(1, s["counters"]["receipt"]);
    EXPECT_EQ(7700, s["totals"]["revenue"]);
    EXPECT_EQ(7700, s["cashBalance"]);
    EXPECT_EQ(nullptr, s["receipt"]);
    const std::string t = tape();
    EXPECT_NE(std::string::npos, t.find(u8"КАССОВЫЙ ЧЕК 1  ПРИХОД\n")) << t;
    EXPECT_NE(std::string::npos, t.find(u8"  1 x 77.00 = 77.00  БЕЗ НДС\n")) << t;
    EXPECT_NE(std::string::npos, t.find(u8"НАЛИЧНЫМИ 77.00\n")) << t;

    // The library sees it as its own.
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, readDocument(d, 2));
    EXPECT_EQ(std::to_string(r["fiscalSign"].get<std::int64_t>()), d.getText(param::fiscalSign));
    EXPECT_EQ(1, d.getInt(tag::operationType));
    EXPECT_EQ(r["time"].get<std::string>(), d.getDateTime(param::dateTime));
    ASSERT_EQ(0, d.query(dt::cashSum));
    EXPECT_DOUBLE_EQ(77, d.getDouble(param::sum));
    ASSERT_EQ(0, d.cashSale("host", 3));
    EXPECT_EQ(2, journal().back()["receiptNumber"]) << "the host's receipt follows it";
}

TEST_F(ToolTest, ReceiptReturnsASaleAndTakesTheCash) {
    ASSERT_EQ(0, runTool("receipt --sum 100"));
    std::string out;
    ASSERT_EQ(0, runTool("receipt --sum 40.5 --type return", &out)) << out;
    EXPECT_EQ(std::string::npos, out.find("open shift")) << "the shift is open already";
    EXPECT_NE(std::string::npos, out.find("receipt: document 3, return 40.50, fiscal sign "))
        << out;
    const json r = journal().back();
    EXPECT_EQ(rt::sellReturn, r["receiptType"]);
    EXPECT_EQ(2, r["receiptNumber"]);
    EXPECT_DOUBLE_EQ(40.5, r["total"].get<double>());
    EXPECT_EQ(5950, state()["totals"]["revenue"]);
    EXPECT_EQ(5950, state()["cashBalance"]);
    EXPECT_NE(std::string::npos, tape().find(u8"КАССОВЫЙ ЧЕК 2  ВОЗВРАТ ПРИХОДА\n"));
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, readDocument(d, 3));
    EXPECT_EQ(2, d.getInt(tag::operationType));

    // More than the drawer holds is not handed back.
    EXPECT_EQ(1, runTool("receipt --sum 60 --type return", &out));
    EXPECT_NE(std::string::npos, out.find("error 400")) << out;
    EXPECT_EQ(3u, journal().size());
}

TEST_F(ToolTest, ReceiptCountMakesManyInOneGo) {
    std::string out;
    ASSERT_EQ(0, runTool("receipt --sum 0.5 --count 5", &out)) << out;
    const std::vector<json> j = journal();
    ASSERT_EQ(6u, j.size());
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(i + 1, j[i]["document"]);
        EXPECT_EQ(i, j[i]["receiptNumber"]);
        EXPECT_NE(std::string::npos,
                  out.find("receipt: document " + std::to_string(i + 1) + ", sale 0.50"))
            << out;
    }
    ASSERT_EQ(0, runTool("receipt --sum 2 --count 25", &out)) << out;
    EXPECT_EQ("receipts: 25, documents 7..31\n", out);
    EXPECT_EQ(31u, journal().size());
    const json s = state();
    EXPECT_EQ(30, s["counters"]["receipt"]);
    EXPECT_EQ(250 + 5000, s["totals"]["revenue"]);
    EXPECT_EQ(250 + 5000, s["cashBalance"]);
}

TEST_F(ToolTest, ReceiptRefusesABadSumAndRegistersNothing) {
    const json before = state();
    for (const char* bad :
         {"0", "0.00", "-5", "1e3", "77.001", "abc", "77,50", "\"\"", ".5", "5.", "+5", "0x10"}) {
        std::string out;
        EXPECT_EQ(1, runTool(std::string("receipt --sum ") + bad, &out)) << bad;
        EXPECT_NE(std::string::npos, out.find("--sum takes a positive sum")) << bad << ": " << out;
    }
    std::string out;
    EXPECT_EQ(1, runTool("receipt", &out));
    EXPECT_EQ(1, runTool("receipt --sum 5 --type gift", &out));
    EXPECT_NE(std::string::npos, out.find("--type is sale or return")) << out;
    EXPECT_EQ(1, runTool("receipt --sum 5 --count 0", &out));
    EXPECT_EQ(1, runTool("receipt --sum 5 --count x", &out));
    EXPECT_EQ(1, runTool("receipt --sum 5 --cont 2", &out));
    EXPECT_TRUE(journal().empty());
    EXPECT_TRUE(tape().empty());
    EXPECT_EQ(before["counters"], state()["counters"]);
    EXPECT_EQ(false, state()["shift"]["open"]);
}

// The keyboard is refused what the library is refused, and nothing is registered.
TEST_F(ToolTest, ReceiptNeedsARegisterThatTakesFiscalDocuments) {
    struct Case {
        const char* setUp;
        const char* undo;
        const char* reason;
    };
    const Case cases[] = {{"fn state 7", "fn clear", "error 117"},
                          {"fn days 0", "fn days 300", "error 136"},
                          {"fault paper-out", "fault clear", "error 44"},
                          {"fault cover-open", "fault clear", "error 45"}};
    for (const Case& c : cases) {
        ASSERT_EQ(0, runTool(c.setUp)) << c.setUp;
        std::string out;
        EXPECT_EQ(1, runTool("receipt --sum 5", &out)) << c.setUp;
        EXPECT_NE(std::string::npos, out.find(c.reason)) << c.setUp << ": " << out;
        EXPECT_TRUE(journal().empty()) << c.setUp;
        EXPECT_EQ(false, state()["shift"]["open"]) << c.setUp << ": no shift opened for it";
        ASSERT_EQ(0, runTool(c.undo)) << c.undo;
    }

    // A shift older than 24 hours: the library's 68.
    ASSERT_EQ(0, runTool("receipt --sum 5"));
    ASSERT_EQ(0, runTool("clock +25h"));
    std::string out;
    EXPECT_EQ(1, runTool("receipt --sum 5", &out));
    EXPECT_NE(std::string::npos, out.find("error 68")) << out;
    ASSERT_EQ(0, runTool("clock reset"));

    // A host's receipt in progress.
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openReceipt(rt::sell));
    EXPECT_EQ(1, runTool("receipt --sum 5", &out));
    EXPECT_NE(std::string::npos, out.find("error 69")) << out;
    EXPECT_EQ(2u, journal().size());
    EXPECT_TRUE(state()["receipt"].is_object()) << "the host's receipt is left as it was";
    ASSERT_EQ(0, d.position("a", 1, tax::no));
    ASSERT_EQ(0, d.pay(payment::cash, 1));
    ASSERT_EQ(0, d.close());
}

// The storage answers the documents 1 .. the last one, and fails any other
// number as an invalid parameter.
TEST_F(ToolTest, ReadingByNumberIsStrict) {
    ASSERT_EQ(0, runTool("receipt --sum 3 --count 3"));
    Device d;
    ASSERT_EQ(0, d.connect());
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(0, readDocument(d, n)) << n;
        EXPECT_EQ(n, d.getInt(param::documentNumber));
    }
    for (int n : {0, -1, -4, 5, 6, 1000000}) {
        EXPECT_EQ(kInvalidParameter, readDocument(d, n)) << n;
        d.setInt(param::documentNumber, n);
        EXPECT_EQ(kInvalidParameter, d.fnQuery(fndt::ticketByNumber)) << n;
    }
    d.setInt(param::fnDataType, fndt::documentByNumber);
    EXPECT_EQ(kInvalidParameter, d.call(d.lib().libfptr_fn_query_data)) << "no number";
}

// A storage of ten thousand documents, filled by the keyboard in one go, is
// read by number, also when lines that are no document are among them.
TEST_F(ToolTest, ALargeStorageIsReadByNumber) {
    const int receipts = 9999, last = receipts + 1;
    std::string out;
    ASSERT_EQ(0, runTool("receipt --sum 1.25 --count " + std::to_string(receipts), &out)) << out;
    EXPECT_EQ("open shift: document 1, shift 1\nreceipts: 9999, documents 2..10000\n", out);

    Device d;
    ASSERT_EQ(0, d.connect());
    auto check = [&](int n) {
        ASSERT_EQ(0, readDocument(d, n)) << n;
        EXPECT_EQ(n, d.getInt(param::documentNumber));
        if (n == 1) {
            EXPECT_EQ(fndoc::openShift, d.getInt(param::fnDocumentType));
        } else {
            EXPECT_EQ(fndoc::receipt, d.getInt(param::fnDocumentType)) << n;
            EXPECT_EQ(n - 1, d.getInt(param::receiptNumber)) << n;
            EXPECT_DOUBLE_EQ(1.25, d.getDouble(tag::total)) << n;
        }
    };
    // What a read costs is measured by the reconciliation benchmark.
    for (int n : {1, 2, 5000, last - 1, last}) check(n);
    EXPECT_EQ(kInvalidParameter, readDocument(d, last + 1));

    // Lines that are no document (a note, an empty line, a damaged line)
    // among the documents do not mislead the search.
    {
        std::ifstream in(file(emulator::kJournalFileName), std::ios::binary);
        std::ostringstream mixed;
        std::string line;
        for (int i = 0; std::getline(in, line); ++i) {
            if (i % 97 == 0) mixed << "{\"note\":\"kept by hand\"}\n";
            if (i % 89 == 0) mixed << "\n";
            if (i % 83 == 0) mixed << "{\"document\":\n";
            mixed << line << "\n";
        }
        std::ofstream outFile(file(emulator::kJournalFileName), std::ios::binary | std::ios::trunc);
        outFile << mixed.str();
    }
    for (int n = 1; n <= last; n += 97) check(n);
    for (int n : {2, 3, 4999, 5000, 5001, last - 1, last}) check(n);
    EXPECT_EQ(kInvalidParameter, readDocument(d, last + 1));
}

TEST_F(ToolTest, CrashAndReplyLostFaults) {
    ASSERT_EQ(0, runTool("fault crash libfptr_registration --timing after"));
    ASSERT_EQ(0, runTool("fault crash libfptr_payment"));
    ASSERT_EQ(0, runTool("fault reply-lost libfptr_close_receipt --skip 1"));
    EXPECT_NE(0, runTool("fault crash"));
    EXPECT_NE(0, runTool("fault reply-lost"));
    const json s = state();
    ASSERT_EQ(3u, s["faults"].size());
    EXPECT_EQ((json{{"kind", "crash"},
                    {"function", "libfptr_registration"},
                    {"timing", "after"},
                    {"count", 1}}),
              s["faults"][0]);
    EXPECT_EQ("before", s["faults"][1]["timing"]);
    EXPECT_EQ((json{{"kind", "reply_lost"},
                    {"function", "libfptr_close_receipt"},
                    {"timing", "after"},
                    {"count", 1},
                    {"skip", 1}}),
              s["faults"][2]);
}

TEST_F(ToolTest, FaultsAreWrittenIntoTheState) {
    ASSERT_EQ(0, runTool("fault fail libfptr_close_receipt -3807 --times 2 --timing after"));
    ASSERT_EQ(0, runTool("fault throw libfptr_payment --always"));
    ASSERT_EQ(0, runTool("fault connection-lost --after-calls 5"));
    ASSERT_EQ(0, runTool("fault unconfirmed --timing after"));
    ASSERT_EQ(0, runTool("fault paper-out --after-lines 10 --timing before"));
    ASSERT_EQ(0, runTool("fault cover-open"));
    ASSERT_EQ(0, runTool("fault connection-refused"));
    json s = state();
    ASSERT_EQ(4u, s["faults"].size());
    EXPECT_EQ((json{{"kind", "error"},
                    {"function", "libfptr_close_receipt"},
                    {"timing", "after"},
                    {"count", 2},
                    {"error", -3807}}),
              s["faults"][0]);
    EXPECT_EQ(-1, s["faults"][1]["count"]);
    EXPECT_EQ(5, s["faults"][2]["skip"]);
    EXPECT_EQ("unconfirmed", s["faults"][3]["kind"]);
    EXPECT_EQ(10, s["paperLinesLeft"]);
    EXPECT_EQ("before", s["paperOutTiming"]);
    EXPECT_EQ(true, s["coverOpen"]);
    EXPECT_EQ(true, s["connectionRefused"]);
    ASSERT_EQ(0, runTool("fault clear"));
    s = state();
    EXPECT_TRUE(s["faults"].empty());
    EXPECT_EQ(false, s["coverOpen"]);
    EXPECT_EQ(false, s["connectionRefused"]);
    EXPECT_NE(0, runTool("fault melt"));
}

TEST_F(ToolTest, PrintsTapeAndJournal) {
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
        ASSERT_EQ(0, d.cashSale("abc", 9));
    }
    std::string out;
    ASSERT_EQ(0, runTool("tape", &out));
    // A Windows console program ends its lines with CR LF.
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    EXPECT_EQ(tape(), out);
    ASSERT_EQ(0, runTool("journal", &out));
    EXPECT_NE(std::string::npos, out.find("\"type\":\"receipt\""));
    EXPECT_NE(0, runTool("frobnicate", &out));
    EXPECT_NE(std::string::npos, out.find("usage: fptr10-emulator"));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
