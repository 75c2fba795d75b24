// The fptr10-emulator tool, run as its own process.
#include <algorithm>

#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class ToolTest : public EmulatorTest {};

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
    EXPECT_NE(0, runTool("clock soon"));
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
