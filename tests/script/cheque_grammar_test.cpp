// The cheque script language: which scripts give which cheques, the texts
// handed to the actions, the errors of the actions and the parser trace.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>

#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cash/sender/script/cheque_actions.h"
#include "cash/sender/script/parser_trace.h"
#include "cash/shared/checks.h"
#include "common/app_exception.h"
#include "tests/support/cheque_scripts.h"

using vorna::Check;
using vorna::Checks;
using vorna::testing_support::chequeScript;
using vorna::testing_support::controlLine;
using vorna::testing_support::paymentScript;

namespace {

template <class Action>
void callTextAction(Action action, const std::string& text) {
    action(text.begin(), text.end());
}

}  // namespace

TEST(StandardScript, GivesOneSaleCheque) {
    Checks checks(paymentScript("4711", "123.45"));
    ASSERT_EQ(checks.size(), 1u);
    const Check& c = checks[0];
    ASSERT_EQ(c.textLines().size(), 1u);
    EXPECT_EQ(c.textLines()[0], "Номер перевода: 4711");
    EXPECT_EQ(c.srvNumber(), 1u);
    EXPECT_EQ(c.price(), 12345);
    EXPECT_EQ(c.operation(), 1u);
    EXPECT_EQ(c.carryIn(), 12345u);
    EXPECT_FALSE(c.slip());
    EXPECT_EQ(c.text(), "");
    EXPECT_EQ(checks.separate(), 0);
    EXPECT_EQ(checks.logEnable(), 1);
}

TEST(StandardScript, ReturnAndLogOff) {
    Checks checks(paymentScript("1", "0.01", 2, false));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].operation(), 2u);
    EXPECT_EQ(checks[0].price(), 1);
    EXPECT_EQ(checks[0].carryIn(), 1u);
    EXPECT_EQ(checks.logEnable(), 0);
}

TEST(StandardScript, DeviceCheckScript) {
    Checks checks(std::string("\x01SEPARATE=NO\x01LOGENABLE=NO\x01PRINTDOCLIST=\x07&2\r\n") +
                  "~srv 1 0.01\r\n~pay 1 0.01");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].price(), 1);
    EXPECT_EQ(checks[0].carryIn(), 1u);
    EXPECT_TRUE(checks[0].textLines().empty());
}

TEST(Options, BothFlagsWithoutCheque) {
    Checks checks("\x01Separate=Yes\x01LogEnable=YES");
    EXPECT_EQ(checks.separate(), 1);
    EXPECT_EQ(checks.logEnable(), 1);
    EXPECT_TRUE(checks.empty());
}

TEST(Options, CaseAndBlanksAroundEqualsSign) {
    Checks checks("  \r\n\x01 separate = yES \x01lOgEnAbLe\t=\tno");
    EXPECT_EQ(checks.separate(), 1);
    EXPECT_EQ(checks.logEnable(), 0);
}

TEST(Options, UnknownValueCutsTheScript) {
    Checks checks("\x01SEPARATE=MAYBE\x01LOGENABLE=YES");
    EXPECT_EQ(checks.logEnable(), 0);
    Checks other("\x01SEPARATION=YES\x01LOGENABLE=YES");
    EXPECT_EQ(other.separate(), 0);
    EXPECT_EQ(other.logEnable(), 0);
}

TEST(Options, ScriptMustStartWithAnOption) {
    Checks checks("junk\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2 ~srv 1 1");
    EXPECT_EQ(checks.logEnable(), 0);
    EXPECT_TRUE(checks.empty());
}

TEST(Options, EmptyScriptGivesNothing) {
    Checks checks("");
    EXPECT_TRUE(checks.empty());
    EXPECT_EQ(checks.separate(), 0);
    EXPECT_EQ(checks.logEnable(), 0);
}

TEST(Options, SeveralChequeListsAppendInOrder) {
    Checks checks(
        "\x01PRINTDOCLIST=\x07&2 ~srv 1 1\x07&4~srv 2 2\x01LOGENABLE=YES\x01printdoclist=\x07&2"
        "~srv 3 3");
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_EQ(checks[0].srvNumber(), 1u);
    EXPECT_EQ(checks[1].srvNumber(), 2u);
    EXPECT_TRUE(checks[1].slip());
    EXPECT_EQ(checks[2].price(), 300);
    EXPECT_EQ(checks.logEnable(), 1);
}

TEST(ChequeType, ThreeThrowsFourIsASlip) {
    try {
        Checks checks(chequeScript("~srv 1 1", 3));
        FAIL() << "type 3 accepted";
    } catch (const vorna::app_exception& e) {
        EXPECT_STREQ(e.what(), "Invalid check type (&3) n must be 2");
        EXPECT_EQ(e.location().file, "checks");
        EXPECT_EQ(e.location().line, 53);
        EXPECT_EQ(e.location().function, "vorna::Checks::addCheck");
    }
    Checks slip(chequeScript("~srv 1 1", 4));
    ASSERT_EQ(slip.size(), 1u);
    EXPECT_TRUE(slip[0].slip());
}

TEST(ChequeType, NumberTooLargeEndsTheList) {
    Checks checks("\x01PRINTDOCLIST=\x07&4294967298 ~srv 1 1");
    EXPECT_TRUE(checks.empty());
}

TEST(ChequeType, ChequeWithoutTagsStaysAdded) {
    Checks checks("\x01PRINTDOCLIST=\x07&2\x07&2 ~srv 1 1");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].price(), 0);
}

TEST(Tags, ColonAfterSrvStopsTheCheque) {
    Checks checks(chequeScript("~srv: 1 0.01\r\n~pay 2 0.01"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].srvNumber(), 0u);
    EXPECT_EQ(checks[0].price(), 0);
    EXPECT_EQ(checks[0].operation(), 1u);
    EXPECT_EQ(checks[0].carryIn(), 0u);
}

TEST(Tags, SrvWithoutPriceKeepsItsNumber) {
    Checks checks(chequeScript("~pay 2 10 ~srv 7 ~pay 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].operation(), 2u);
    EXPECT_EQ(checks[0].carryIn(), 1000u);
    EXPECT_EQ(checks[0].srvNumber(), 7u);
    EXPECT_EQ(checks[0].price(), 0);
}

TEST(Tags, TagsInCapitalsAreNoTags) {
    Checks checks(chequeScript("~HDR: x ~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].textLines().empty());
    EXPECT_EQ(checks[0].price(), 0);
}

TEST(Tags, TagsRunTogetherWithoutBlanks) {
    Checks checks(chequeScript("~srv1 2.5~pay2 3~hdr:a"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].srvNumber(), 1u);
    EXPECT_EQ(checks[0].price(), 250);
    EXPECT_EQ(checks[0].operation(), 2u);
    EXPECT_EQ(checks[0].carryIn(), 300u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "a");
}

TEST(Header, HdrAloneAddsOneEmptyLine) {
    Checks checks(chequeScript("~hdr"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "");
}

TEST(Header, TwoTagsTwoLinesTwoPiecesOneLine) {
    Checks checks(chequeScript("~hdr first ~hdr: a \"b\""));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 2u);
    EXPECT_EQ(checks[0].textLines()[0], "first");
    EXPECT_EQ(checks[0].textLines()[1], "a b");
}

TEST(Header, EscapedQuotesStayInOneSimpleString) {
    Checks checks(chequeScript("~hdr: x \\\"y\\\" z"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "x \"y\" z");
}

TEST(Header, QuotedPieceBetweenSimpleOnes) {
    Checks checks(chequeScript("~hdr: x \"y\" z"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "x y z");
}

TEST(Header, QuotedPieceKeepsTagCharactersAndEscapes) {
    Checks checks(chequeScript("~hdr \"a ~srv \\\" b\" ~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "a ~srv \" b");
    EXPECT_EQ(checks[0].price(), 100);
}

TEST(Header, UnterminatedQuoteEndsTheCheque) {
    Checks checks(chequeScript("~hdr: abc \"def ~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "abc");
    EXPECT_EQ(checks[0].price(), 0);
}

TEST(Header, LineEndInsidePieceStays) {
    Checks checks(chequeScript("~hdr: first\r\nsecond \r\n~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "first\r\nsecond");
    EXPECT_EQ(checks[0].price(), 100);
}

TEST(Header, FifthPieceEndsTheCheque) {
    Checks checks(chequeScript("~hdr a \"b\" c \"d\" \"e\" ~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].textLines().size(), 1u);
    EXPECT_EQ(checks[0].textLines()[0], "a b c d");
    EXPECT_EQ(checks[0].price(), 0);
}

TEST(Dep, QuotesAreKept) {
    Checks checks(chequeScript("~dep \"word\""));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].text(), "\"word\"");
    EXPECT_EQ(checks[0].text().size(), 6u);
}

TEST(Dep, LastPieceWinsAndTextIsRaw) {
    Checks checks(chequeScript("~dep: one  two \\\"x \"three\" ~srv 1 1"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].text(), "\"three\"");
    Checks simple(chequeScript("~dep: one  two \\\"x\r\n~srv 1 1"));
    EXPECT_EQ(simple[0].text(), "one  two \\\"x");
}

TEST(Doc, AfterATagEndsTheCheque) {
    Checks checks(chequeScript("~srv 1 1 ~doc: ignored ~pay 2 5"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].price(), 100);
    EXPECT_EQ(checks[0].operation(), 1u);
    EXPECT_EQ(checks[0].carryIn(), 0u);
}

TEST(Doc, FirstIsReadAndDropped) {
    Checks checks(chequeScript("~doc: \"a\" text ~srv 1 1.5"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].price(), 150);
    EXPECT_TRUE(checks[0].textLines().empty());
    EXPECT_EQ(checks[0].text(), "");
}

TEST(Pos, RecordsBecomePositions) {
    Checks checks(chequeScript("~pos: Milk^10.50^1|Bread^5^2\r\n~srv 1 15.5"));
    ASSERT_EQ(checks.size(), 1u);
    const Check& c = checks[0];
    EXPECT_EQ(c.posInfo(), "Milk^10.50^1|Bread^5^2");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"Milk", "Bread"}));
    EXPECT_EQ(c.positionPrices(), (std::vector<std::int32_t>{1050, 500}));
    EXPECT_EQ(c.positionTaxes(), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(c.hasPositions());
    EXPECT_EQ(c.price(), 1550);
}

TEST(Pos, BadNumberThrows) {
    EXPECT_THROW(Checks(chequeScript("~pos A^1O.5^1")), boost::bad_lexical_cast);
    EXPECT_THROW(Checks(chequeScript("~pos A^1^x")), boost::bad_lexical_cast);
}

TEST(Pos, TwoFieldsAreNoPositions) {
    Checks checks(chequeScript("~pos A^2"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].positionNames().size(), 1u);
    EXPECT_EQ(checks[0].positionPrices().size(), 1u);
    EXPECT_TRUE(checks[0].positionTaxes().empty());
    EXPECT_FALSE(checks[0].hasPositions());
}

TEST(Pos, FinalBarGivesNoRecord) {
    Checks checks(chequeScript("~pos A^10.50^3|"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].positionNames(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(checks[0].positionPrices(), (std::vector<std::int32_t>{1050}));
    EXPECT_EQ(checks[0].positionTaxes(), (std::vector<std::int32_t>{3}));
}

TEST(Pos, LineBreakInNameIsRemoved) {
    Checks checks(chequeScript("~pos Long\r\nname^1^1|Next\r\n^2^2"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].positionNames(), (std::vector<std::string>{"Longname", "Next"}));
    EXPECT_TRUE(checks[0].hasPositions());
}

TEST(Pos, LastPosTextReplacesEarlierOnes) {
    Checks checks(chequeScript("~pos A^1^1|B^2^2 ~pos: C^3^3"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].posInfo(), "C^3^3");
    EXPECT_EQ(checks[0].positionNames(), (std::vector<std::string>{"C"}));
    EXPECT_EQ(checks[0].positionPrices(), (std::vector<std::int32_t>{300}));
}

TEST(Pos, QuotedTextKeepsItsQuotes) {
    Checks checks(chequeScript("~pos \"C\""));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].posInfo(), "\"C\"");
    EXPECT_EQ(checks[0].positionNames(), (std::vector<std::string>{"\"C\""}));
    // A quote left on a number makes it no number.
    EXPECT_THROW(Checks(chequeScript("~pos \"C^3^3\"")), boost::bad_lexical_cast);
}

TEST(Numbers, KopecksOfSrvAndPay) {
    Checks checks(chequeScript("~srv 1 0.01 ~pay 2 10"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].srvNumber(), 1u);
    EXPECT_EQ(checks[0].price(), 1);
    EXPECT_EQ(checks[0].operation(), 2u);
    EXPECT_EQ(checks[0].carryIn(), 1000u);
}

TEST(Numbers, AmountsBeyondSixtyFourBitsAreRejected) {
    EXPECT_THROW(Checks(chequeScript("~srv 1 1e300")), std::out_of_range);
    EXPECT_THROW(Checks(chequeScript("~pay 1 -1e400")), std::out_of_range);
    EXPECT_THROW(Checks(chequeScript("~pos A^nan^1")), std::out_of_range);
    Checks checks(chequeScript("~srv 1 1e9"));  // fits 64 bits: its low 32 bits are kept
    EXPECT_EQ(checks[0].price(), static_cast<std::int32_t>(100000000000LL & 0xFFFFFFFF));
}

TEST(Numbers, TagsApplyToTheNearestCheque) {
    Checks checks("\x01PRINTDOCLIST=\x07&2 ~srv 1 1 \x07&4 ~pay 1 2 \x07&4 ~pay 2 3");
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_EQ(checks[0].receiptKind(), 1);
    EXPECT_EQ(checks[0].carryIn(), 0u);
    EXPECT_EQ(checks[1].receiptKind(), 4);
    EXPECT_EQ(checks[1].carryIn(), 200u);
    EXPECT_EQ(checks[2].receiptKind(), 2);
    EXPECT_TRUE(checks[2].slip());
}

TEST(Actions, EmptyListErrors) {
    Checks checks("");
    auto expectContainerEmpty = [](const std::function<void()>& call, int line,
                                   const std::string& function) {
        try {
            call();
            ADD_FAILURE() << "no exception for " << function;
        } catch (const vorna::app_exception& e) {
            EXPECT_STREQ(e.what(), "Container empty");
            EXPECT_EQ(e.location().file, "Checks");
            EXPECT_EQ(e.location().line, line);
            EXPECT_EQ(e.location().function, function);
        }
    };
    expectContainerEmpty([&] { callTextAction(vorna::AddTextLine(&checks), "~hdr"); }, 49,
                         "vorna::AddTextLine::operator ()");
    expectContainerEmpty([&] { callTextAction(vorna::SetTextLine(&checks), "x"); }, 169,
                         "vorna::SetTextLine::operator ()");
    expectContainerEmpty(
        [&] { vorna::SetAttribute_t<Checks, Check, unsigned>(&checks, &Check::setSrvNumber)(1u); },
        253,
        "vorna::SetAttribute_t<class vorna::Checks,class vorna::Check,unsigned int,void>::"
        "operator ()");
    expectContainerEmpty(
        [&] { vorna::SetAttribute_t<Checks, Check, double>(&checks, &Check::setPrice)(1.0); }, 253,
        "vorna::SetAttribute_t<class vorna::Checks,class vorna::Check,double,void>::operator ()");

    try {
        callTextAction(vorna::SetSrvText(&checks), "x");
        ADD_FAILURE() << "SetSrvText on an empty list";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Can't set ~dep text to empty check stack.");
    }
    try {
        callTextAction(vorna::SetPosInfo(&checks), "x");
        ADD_FAILURE() << "SetPosInfo on an empty list";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Can't set ~pos text to empty check stack.");
    }
}

TEST(Actions, ActOnTheLastCheque) {
    Checks checks("");
    checks.addCheck(2);
    checks.addCheck(4);
    callTextAction(vorna::AddTextLine(&checks), "~hdr");
    callTextAction(vorna::SetTextLine(&checks), "  \"piece\"  ");
    callTextAction(vorna::SetSrvText(&checks), "dep");
    vorna::SetAttribute_t<Checks, Check, double>(&checks, &Check::setCarryIn)(2.5);
    callTextAction(vorna::SetSeparateCheck(&checks), "yes");
    callTextAction(vorna::SetLogEnable(&checks), "YES");
    EXPECT_TRUE(checks[0].textLines().empty());
    EXPECT_EQ(checks[1].textLines(), (std::vector<std::string>{"piece"}));
    EXPECT_EQ(checks[1].text(), "dep");
    EXPECT_EQ(checks[1].carryIn(), 250u);
    EXPECT_EQ(checks.separate(), 1);
    EXPECT_EQ(checks.logEnable(), 1);
}

TEST(Trace, RulesWriteToTraceLog) {
    Checks checks(paymentScript("4711", "1.00"));
    vorna::parserTrace().flush();
    std::ifstream in("trace.log");  // text mode: the trace has CR LF line ends on Windows
    ASSERT_TRUE(in.good()) << "trace.log missing in the current directory";
    std::ostringstream content;
    content << in.rdbuf();
    const std::string trace = content.str();
    EXPECT_NE(trace.find("grammar(g):\t\"\\1SEPARATE=NO\\1LOGENAB\"\n"), std::string::npos);
    EXPECT_NE(trace.find("/grammar(g):\t\""), std::string::npos);
    for (std::string name : {"checkDefinition", "separate", "logEnable", "printDocList",
                             "checkList", "checkType", "check", "info", "infoText", "simpleString",
                             "service", "carryIn", "dep", "doc", "pos", "quotedString"})
        EXPECT_NE(trace.find("rule(" + name + "):\t\""), std::string::npos) << name;
}
