// The cheque model: defaults, kopecks, header text pieces, itemised
// positions, completing the cheques, and the saved form.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cash/sender/script/binary_archive.h"
#include "cash/sender/script/kopecks.h"
#include "cash/sender/script/split_fields.h"
#include "cash/sender/script/text_piece.h"
#include "cash/shared/checks.h"
#include "common/app_exception.h"
#include "tests/support/cheque_scripts.h"

using vorna::Check;
using vorna::Checks;
using vorna::normalizeTextPiece;
using vorna::toKopecks;

namespace {

// Writes every archive call as one text entry, so that a test can compare
// the order of a saved form, and reads them back in the same way.
class RecordingArchive : public vorna::CashArchive {
public:
    std::vector<std::string> entries;
    std::size_t next = 0;

    CashArchive& writeString(const std::string& v) override { return add("s:" + v); }
    CashArchive& writeInt(int v) override { return add("i:" + std::to_string(v)); }
    CashArchive& writeBool(bool v) override { return add(v ? "b:1" : "b:0"); }
    CashArchive& writeUnused() override { return add("unused"); }
    CashArchive& writeId(const vorna::ClassId& v) override {
        return add("id:" + std::to_string(v[0]) + "-" + std::to_string(v[15]));
    }
    CashArchive& readBool(bool& v) override {
        v = take("b:") == "1";
        return *this;
    }
    CashArchive& readInt(int& v) override {
        v = std::stoi(take("i:"));
        return *this;
    }
    CashArchive& readId(vorna::ClassId& v) override {
        take("id:");
        v = vorna::ClassId{};
        return *this;
    }
    CashArchive& readString(std::string& v) override {
        v = take("s:");
        return *this;
    }

private:
    CashArchive& add(const std::string& entry) {
        entries.push_back(entry);
        return *this;
    }
    std::string take(const std::string& prefix) {
        if (next >= entries.size()) throw std::runtime_error("archive ended");
        const std::string& entry = entries[next++];
        if (entry.compare(0, prefix.size(), prefix) != 0)
            throw std::runtime_error("expected " + prefix + " but found " + entry);
        return entry.substr(prefix.size());
    }
};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(Kopecks, RoundingOfTheDocumentedValues) {
    EXPECT_EQ(toKopecks(0.01), 1);
    EXPECT_EQ(toKopecks(150.5), 15050);
    EXPECT_EQ(toKopecks(0.125), 13);
    EXPECT_EQ(toKopecks(-1.234), -122);
    EXPECT_EQ(toKopecks(0), 0);
    EXPECT_EQ(toKopecks(123.45), 12345);
}

TEST(Kopecks, LowThirtyTwoBitsOfLargeAmounts) {
    // The largest sum the sender can write: 4294967295 kopecks.
    EXPECT_EQ(static_cast<std::uint32_t>(toKopecks(42949672.95)), 4294967295u);
    EXPECT_EQ(toKopecks(42949672.96), 0);
}

TEST(Kopecks, AmountsWithoutA64BitValueAreRejected) {
    EXPECT_THROW(toKopecks(std::numeric_limits<double>::quiet_NaN()), std::out_of_range);
    EXPECT_THROW(toKopecks(std::numeric_limits<double>::infinity()), std::out_of_range);
    EXPECT_THROW(toKopecks(-1e300), std::out_of_range);
    EXPECT_THROW(toKopecks(1e17), std::out_of_range);
}

TEST(CheckDefaults, ReceiptAndSlip) {
    Check receipt(2);
    EXPECT_TRUE(receipt.textLines().empty());
    EXPECT_EQ(receipt.srvNumber(), 0u);
    EXPECT_EQ(receipt.price(), 0);
    EXPECT_EQ(receipt.operation(), 1u);
    EXPECT_EQ(receipt.carryIn(), 0u);
    EXPECT_EQ(receipt.text(), "");
    EXPECT_EQ(receipt.posInfo(), "");
    EXPECT_FALSE(receipt.slip());
    EXPECT_EQ(receipt.taxType(), 0);
    EXPECT_EQ(receipt.paymentType(), 0);
    EXPECT_TRUE(receipt.parameters().empty());
    EXPECT_FALSE(receipt.hasPositions());
    EXPECT_EQ(receipt.receiptKind(), 1);
    EXPECT_TRUE(Check(4).slip());
    EXPECT_FALSE(Check(3).slip());
}

TEST(CheckDefaults, KindsFollowOperationAndSlip) {
    Check slip(4);
    EXPECT_EQ(slip.receiptKind(), 4);
    slip.setOperation(2);
    EXPECT_EQ(slip.receiptKind(), 2);  // a return, its slip flag notwithstanding
    Check ret(2);
    ret.setOperation(7);
    EXPECT_EQ(ret.receiptKind(), 2);
}

TEST(CheckSetters, ConvertToKopecks) {
    Check c(2);
    c.setSrvNumber(1);
    c.setPrice(0.01);
    c.setOperation(2);
    c.setCarryIn(10);
    EXPECT_EQ(c.srvNumber(), 1u);
    EXPECT_EQ(c.price(), 1);
    EXPECT_EQ(c.operation(), 2u);
    EXPECT_EQ(c.carryIn(), 1000u);
}

TEST(AddCheck, AcceptsTwoAndFour) {
    Checks checks("");
    Check& first = checks.addCheck(2);
    EXPECT_FALSE(first.slip());
    Check& second = checks.addCheck(4);
    EXPECT_TRUE(second.slip());
    EXPECT_EQ(&second, &checks.back());
    EXPECT_EQ(checks.size(), 2u);
}

TEST(AddCheck, OtherTypesThrowWithTheirLocation) {
    Checks checks("");
    for (unsigned type : {0u, 1u, 3u, 5u, 4294967295u}) {
        try {
            checks.addCheck(type);
            ADD_FAILURE() << "type " << type << " accepted";
        } catch (const vorna::app_exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Invalid check type (&" + std::to_string(type) + ") n must be 2");
            EXPECT_EQ(e.location().file, "checks");
            EXPECT_EQ(e.location().line, 53);
            EXPECT_EQ(e.location().function, "vorna::Checks::addCheck");
        }
    }
    EXPECT_TRUE(checks.empty());
}

TEST(Completion, EveryChequeGetsTaxPaymentAndParameters) {
    Checks checks("");
    checks.addCheck(2);
    checks.addCheck(4);
    checks.addCheck(2);
    const std::map<std::string, std::string> parameters{{"BANK_COMISS", "1500"},
                                                        {"IS_ECHEQUE", "0"}};
    checks.setTaxType(7);
    checks.setPaymentType(3);
    checks.setParameters(parameters);
    for (const Check& c : checks) {
        EXPECT_EQ(c.taxType(), 7);
        EXPECT_EQ(c.paymentType(), 3);
        EXPECT_EQ(c.parameters(), parameters);
    }
}

TEST(Completion, EmptyListDoesNothing) {
    Checks checks("");
    checks.setTaxType(7);
    checks.setPaymentType(1);
    checks.setParameters({{"A", "B"}});
    EXPECT_TRUE(checks.empty());
}

TEST(TextPiece, TrimSetIsSixCharacters) {
    EXPECT_EQ(normalizeTextPiece(" \t\r\n\f\"abc\"\f\n\r\t "), "abc");
    EXPECT_EQ(normalizeTextPiece("\vabc\v"), "\vabc\v");  // VT is not trimmed
    EXPECT_EQ(normalizeTextPiece(" \" \r\n"), "");
    EXPECT_EQ(normalizeTextPiece(""), "");
}

TEST(TextPiece, ClosingEscapedQuoteStays) {
    EXPECT_EQ(normalizeTextPiece("say \\\"hi\\\""), "say \"hi\"");
    EXPECT_EQ(normalizeTextPiece("x \\\"y\\\" z"), "x \"y\" z");
}

TEST(TextPiece, Escapes) {
    EXPECT_EQ(normalizeTextPiece("a\\b"), "a\\b");
    EXPECT_EQ(normalizeTextPiece("a\\\\\\b"), "a\\b");  // a run of backslashes -> one
    EXPECT_EQ(normalizeTextPiece("ab\\"), "ab");        // a backslash at the end disappears
    EXPECT_EQ(normalizeTextPiece("a\\\\\"b"), "a\"b");  // backslashes before a quote disappear
}

TEST(TextPiece, BlanksAreDroppedOnlyAfterARemoval) {
    EXPECT_EQ(normalizeTextPiece("x  y   z"), "x  y   z");  // nothing removed: all blanks copied
    EXPECT_EQ(normalizeTextPiece("x\\\"  y"), "x\" y");
    // After one removal the write position lags behind the read position, and
    // while the character at the write position is a blank, every further
    // blank is dropped (each drop makes the lag one longer).
    EXPECT_EQ(normalizeTextPiece("\\\"a b  c   d"), "\"a b cd");
    EXPECT_EQ(normalizeTextPiece("\\\"a b c d"), "\"a b c d");
}

TEST(SetTextLine, AppendsPiecesOneBlankApart) {
    Check c(2);
    try {
        c.setTextLine("x");
        ADD_FAILURE() << "no exception without a text line";
    } catch (const vorna::app_exception& e) {
        EXPECT_STREQ(e.what(), "textlines empty");
        EXPECT_EQ(e.location().file, "Check");
        EXPECT_EQ(e.location().line, 195);
        EXPECT_EQ(e.location().function, "vorna::Check::setTextLine");
    }
    c.addTextLine();
    c.setTextLine("");
    EXPECT_EQ(c.textLines().back(), "");
    c.setTextLine("one");
    c.setTextLine("two");
    EXPECT_EQ(c.textLines().back(), "one two");
    c.setTextLine("");
    EXPECT_EQ(c.textLines().back(), "one two ");
    c.addTextLine();
    c.setTextLine("three");
    EXPECT_EQ(c.textLines(), (std::vector<std::string>{"one two ", "three"}));
}

TEST(SplitFields, GetlineSemantics) {
    using vorna::splitFields;
    EXPECT_EQ(splitFields("a^^b", '^'), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitFields("a^", '^'), (std::vector<std::string>{"a"}));
    EXPECT_EQ(splitFields("^", '^'), (std::vector<std::string>{""}));
    EXPECT_EQ(splitFields("^a", '^'), (std::vector<std::string>{"", "a"}));
    EXPECT_TRUE(splitFields("", '^').empty());
}

TEST(PosInfo, RecordOfThreeFields) {
    Check c(2);
    c.setPosInfo("A^10.50^3");
    EXPECT_EQ(c.posInfo(), "A^10.50^3");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(c.positionPrices(), (std::vector<std::int32_t>{1050}));
    EXPECT_EQ(c.positionTaxes(), (std::vector<std::int32_t>{3}));
    EXPECT_TRUE(c.hasPositions());
}

TEST(PosInfo, TwoRecordsAndFurtherFieldsIgnored) {
    Check c(2);
    c.setPosInfo("Milk^10.50^1^extra^more|Bread^5^2");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"Milk", "Bread"}));
    EXPECT_EQ(c.positionPrices(), (std::vector<std::int32_t>{1050, 500}));
    EXPECT_EQ(c.positionTaxes(), (std::vector<std::int32_t>{1, 2}));
}

TEST(PosInfo, NumbersMustBeWhole) {
    Check c(2);
    EXPECT_THROW(c.setPosInfo("A^ 10.50^3"), boost::bad_lexical_cast);
    EXPECT_THROW(c.setPosInfo("A^10.50 ^3"), boost::bad_lexical_cast);
    EXPECT_THROW(c.setPosInfo("A^ten^3"), boost::bad_lexical_cast);
    EXPECT_THROW(c.setPosInfo("A^1^3.5"), boost::bad_lexical_cast);
    EXPECT_THROW(c.setPosInfo("A^^3"), boost::bad_lexical_cast);
}

TEST(PosInfo, TwoFieldsLeaveNoTax) {
    Check c(2);
    c.setPosInfo("A^2");
    EXPECT_EQ(c.positionNames().size(), 1u);
    EXPECT_EQ(c.positionPrices(), (std::vector<std::int32_t>{200}));
    EXPECT_TRUE(c.positionTaxes().empty());
    EXPECT_FALSE(c.hasPositions());
}

TEST(PosInfo, FinalBarAndLineBreaks) {
    Check c(2);
    c.setPosInfo("A^10.50^3|");
    EXPECT_EQ(c.positionNames().size(), 1u);
    EXPECT_TRUE(c.hasPositions());
    c.setPosInfo("Na\r\nme\r\n^1^1");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"Name"}));
    EXPECT_EQ(c.posInfo(), "Na\r\nme\r\n^1^1");
}

TEST(PosInfo, ReplacesEarlierPositions) {
    Check c(2);
    c.setPosInfo("A^1^1|B^2^2");
    c.setPosInfo("");
    EXPECT_TRUE(c.positionNames().empty());
    EXPECT_TRUE(c.positionPrices().empty());
    EXPECT_TRUE(c.positionTaxes().empty());
    EXPECT_FALSE(c.hasPositions());
    c.setPosInfo("C^3^3");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"C"}));
}

TEST(PosInfo, RecordWithoutNameStillCounts) {
    Check c(2);
    c.setPosInfo("|A^1^1");  // an empty record gives no field at all
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{"A"}));
    c.setPosInfo("^1^1");
    EXPECT_EQ(c.positionNames(), (std::vector<std::string>{""}));
    EXPECT_TRUE(c.hasPositions());
}

TEST(Copy, CopiesEveryField) {
    Checks checks(vorna::testing_support::chequeScript(
        "~hdr one ~dep item ~srv 5 1.5 ~pay 2 3 ~pos A^1^1|B^2^2", 4));
    checks.setTaxType(9);
    checks.setPaymentType(2);
    checks.setParameters({{"K", "V"}});
    const Check copy = checks[0];
    EXPECT_EQ(copy.textLines(), checks[0].textLines());
    EXPECT_EQ(copy.srvNumber(), 5u);
    EXPECT_EQ(copy.price(), 150);
    EXPECT_EQ(copy.operation(), 2u);
    EXPECT_EQ(copy.carryIn(), 300u);
    EXPECT_EQ(copy.text(), "item");
    EXPECT_EQ(copy.posInfo(), "A^1^1|B^2^2");
    EXPECT_TRUE(copy.slip());
    EXPECT_EQ(copy.taxType(), 9);
    EXPECT_EQ(copy.paymentType(), 2);
    EXPECT_EQ(copy.positionNames().size(), 2u);
    EXPECT_EQ(copy.parameters().at("K"), "V");
}

TEST(SavedForm, ChequeFieldsInOrder) {
    Checks checks(vorna::testing_support::chequeScript(
        "~hdr one ~hdr two ~dep item ~srv 5 1.5 ~pay 2 3 ~pos A^1^1|B^2^7", 4));
    checks.setTaxType(9);
    RecordingArchive archive;
    checks[0].save(archive);
    const std::vector<std::string> reservedTexts(11, "s:");
    const std::vector<std::string> expected =
        concat(concat({"id:57-214", "i:2", "s:one", "s:two", "i:5", "i:150", "i:2", "i:300",
                       "s:item", "b:1", "b:0", "i:0", "i:9", "b:1", "b:0", "b:0"},
                      reservedTexts),
               {"i:2", "s:A", "s:B", "i:2", "i:100", "i:200", "i:2", "i:1", "i:7"});
    EXPECT_EQ(archive.entries, expected);
}

TEST(SavedForm, ListOrderAndLoadAppends) {
    Checks checks(vorna::testing_support::chequeScript("~srv 1 1 \x07&2 ~srv 2 2"));
    checks.setSeparate(1);
    RecordingArchive archive;
    checks.save(archive);
    ASSERT_GE(archive.entries.size(), 3u);
    EXPECT_EQ(archive.entries[0], "id:142-189");  // {8E77EDB5-...-5425E88750BD}
    EXPECT_EQ(archive.entries[1], "i:2");
    EXPECT_EQ(archive.entries[archive.entries.size() - 2], "i:1");
    EXPECT_EQ(archive.entries.back(), "i:0");

    Checks loaded(vorna::testing_support::chequeScript("~srv 9 9"));
    loaded.load(archive);
    ASSERT_EQ(loaded.size(), 3u);  // the list is not cleared first
    EXPECT_EQ(loaded[0].srvNumber(), 9u);
    EXPECT_EQ(loaded[1].srvNumber(), 1u);
    EXPECT_EQ(loaded[2].price(), 200);
    EXPECT_EQ(loaded.separate(), 1);
    EXPECT_EQ(loaded.logEnable(), 0);
}

TEST(SavedForm, ReservedFieldsRoundTrip) {
    // A saved cheque whose reserved fields are not at their defaults: loading
    // and saving again must give the very same entries.
    RecordingArchive source;
    source.entries = concat(concat({"id:0-0", "i:1", "s:line", "i:4", "i:-5", "i:3", "i:4294",
                                    "s:dep", "b:0", "b:1", "i:77", "i:12", "b:0", "b:1", "b:1"},
                                   {"s:r1", "s:r2", "s:r3", "s:r4", "s:r5", "s:r6", "s:r7", "s:r8",
                                    "s:r9", "s:r10", "s:r11"}),
                            {"i:1", "s:N", "i:1", "i:10", "i:1", "i:6"});
    Check c(2);
    c.load(source);
    EXPECT_EQ(source.next, source.entries.size());
    EXPECT_EQ(c.price(), -5);
    EXPECT_EQ(c.carryIn(), 4294u);
    EXPECT_EQ(c.taxType(), 12);
    EXPECT_TRUE(c.hasPositions());
    RecordingArchive again;
    c.save(again);
    std::vector<std::string> expected = source.entries;
    expected[0] = "id:57-214";  // {39CB748B-...-46214C98E6D6}
    EXPECT_EQ(again.entries, expected);
}

TEST(SavedForm, BinaryArchiveRoundTrip) {
    Checks checks(vorna::testing_support::paymentScript("4711", "123.45") +
                  "\x07&4 ~hdr a ~hdr \"b\" ~dep \"x\" ~pay 1 1 ~pos A^1^1|B^2^2");
    checks.setTaxType(6);
    checks.setPaymentType(1);  // not part of the saved form
    checks.setParameters({{"K", "V"}});
    vorna::BinaryArchive archive;
    checks.save(archive);

    vorna::BinaryArchive reader(archive.bytes());
    Checks loaded("");
    loaded.load(reader);
    EXPECT_TRUE(reader.atEnd());
    ASSERT_EQ(loaded.size(), checks.size());
    EXPECT_EQ(loaded.logEnable(), 1);
    EXPECT_EQ(loaded.separate(), 0);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        EXPECT_EQ(loaded[i].textLines(), checks[i].textLines());
        EXPECT_EQ(loaded[i].srvNumber(), checks[i].srvNumber());
        EXPECT_EQ(loaded[i].price(), checks[i].price());
        EXPECT_EQ(loaded[i].operation(), checks[i].operation());
        EXPECT_EQ(loaded[i].carryIn(), checks[i].carryIn());
        EXPECT_EQ(loaded[i].text(), checks[i].text());
        EXPECT_EQ(loaded[i].slip(), checks[i].slip());
        EXPECT_EQ(loaded[i].taxType(), 6);
        EXPECT_EQ(loaded[i].positionNames(), checks[i].positionNames());
        EXPECT_EQ(loaded[i].positionPrices(), checks[i].positionPrices());
        EXPECT_EQ(loaded[i].positionTaxes(), checks[i].positionTaxes());
        EXPECT_EQ(loaded[i].posInfo(), "");           // not saved
        EXPECT_EQ(loaded[i].paymentType(), 0);        // not saved
        EXPECT_TRUE(loaded[i].parameters().empty());  // not saved
    }
    vorna::BinaryArchive again;
    loaded.save(again);
    EXPECT_EQ(again.bytes(), archive.bytes());
}

TEST(SavedForm, TruncatedArchiveThrows) {
    Checks checks(vorna::testing_support::paymentScript("1", "1.00"));
    vorna::BinaryArchive archive;
    checks.save(archive);
    std::string bytes = archive.bytes();
    bytes.resize(bytes.size() - 3);
    vorna::BinaryArchive reader(bytes);
    Checks loaded("");
    EXPECT_THROW(loaded.load(reader), std::runtime_error);
}
