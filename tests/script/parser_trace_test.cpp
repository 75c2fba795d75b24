// The parser trace file: the library opens "trace.log" (truncated) in the
// current directory when it is loaded, before anything is parsed. CTest runs
// this program in a folder where a stale trace.log was left before.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "cash/sender/script/parser_trace.h"
#include "cash/shared/checks.h"

namespace {

std::string readTrace() {
    std::ifstream in("trace.log");  // text mode: the trace has CR LF line ends on Windows
    if (!in) return "<missing>";
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Read in main, before any test has parsed a script.
std::string traceAtStart;

}  // namespace

TEST(ParserTrace, OpenedAndEmptiedAtLoad) {
    EXPECT_TRUE(vorna::parserTrace().is_open());
    EXPECT_EQ(traceAtStart, "");
}

TEST(ParserTrace, ParseWritesGrammarAndRules) {
    vorna::Checks checks("\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2 ~srv 1 1");
    vorna::parserTrace().flush();
    const std::string trace = readTrace();
    // Spirit's debug format: the grammar at the top, its rules indented below.
    const std::string head =
        "grammar(g):\t\"\\1LOGENABLE=YES\\1PRINT\"\n"
        "  rule(checkDefinition):\t\"\\1LOGENABLE=YES\\1PRINT\"\n"
        "    rule(separate):\t\"LOGENABLE=YES\\1PRINTD\"\n"
        "    #rule(separate):\t\"LOGENABLE=YES\\1PRINTD\"\n";
    EXPECT_EQ(trace.compare(0, head.size(), head), 0) << trace.substr(0, 300);
    EXPECT_NE(trace.find("/rule(checkType):\t\" ~srv 1 1\"\n"), std::string::npos);
    EXPECT_NE(trace.find("/grammar(g):\t\"\"\n"), std::string::npos);
}

int main(int argc, char** argv) {
    traceAtStart = readTrace();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
