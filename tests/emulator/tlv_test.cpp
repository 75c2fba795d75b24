// libfptr_util_form_tlv: the tags set since the last form, as FFD TLV bytes.
#include "emulator/tlv.h"
#include "emulator/text_codec.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class TlvTest : public EmulatorTest {};

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

TEST_F(TlvTest, TextTagsAreCodePage866LittleEndian) {
    Device d;
    d.setText(1171, "+79001234567");
    d.setText(1225, u8"Оператор");
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    const std::string expected =
        bytes({0x93, 0x04, 0x0c, 0x00}) + "+79001234567" +
        bytes({0xc9, 0x04, 0x08, 0x00, 0x8e, 0xaf, 0xa5, 0xe0, 0xa0, 0xe2, 0xae, 0xe0});
    EXPECT_EQ(expected, d.getBytes(param::tagValue));
}

TEST_F(TlvTest, OnlyTheTagsSetSinceTheLastFormAreTaken) {
    Device d;
    d.setText(1005, u8"г. Москва");
    d.setInt(param::dataType, dt::status);  // a library parameter, not a tag
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    EXPECT_EQ(bytes({0xed, 0x03, 0x09, 0x00, 0xa3, '.', ' ', 0x8c, 0xae, 0xe1, 0xaa, 0xa2, 0xa0}),
              d.getBytes(param::tagValue));
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    EXPECT_EQ("", d.getBytes(param::tagValue)) << "an empty record is still formed";
    d.setInt(1057, 4);
    d.setText(1016, "7701234567");
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    EXPECT_EQ(bytes({0x21, 0x04, 0x01, 0x00, 0x04, 0xf8, 0x03, 0x0a, 0x00}) + "7701234567",
              d.getBytes(param::tagValue));
}

TEST_F(TlvTest, RecordsDecodeBackIntoTheirTags) {
    const std::string record =
        emulator::encodeTlv(1026, emulator::ParamValue::ofText(u8"ООО Ёж №5")) +
        emulator::encodeTlv(1222, emulator::ParamValue::ofInt(2));
    json decoded = emulator::decodeTlv(record);
    EXPECT_EQ(u8"ООО Ёж №5", decoded["1026"]);
    EXPECT_EQ(2, decoded["1222"]);
    EXPECT_THROW(emulator::decodeTlv(record.substr(0, record.size() - 1)), std::runtime_error);
    EXPECT_EQ("?", emulator::utf8ToCp866(u8"€"));
}

TEST_F(TlvTest, AgentAndSupplierRecordsAreJournalledDecoded) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    d.setText(1026, u8"ООО Перевод");
    d.setText(1016, "7712345678");
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    const std::string agent = d.getBytes(param::tagValue);
    d.setText(1171, "+74950000000");
    d.setText(1225, u8"ПАО Поставщик");
    ASSERT_EQ(0, d.lib().libfptr_util_form_tlv(d.handle()));
    const std::string supplier = d.getBytes(param::tagValue);
    d.setInt(1222, 2);
    d.setBytes(1223, agent);
    d.setText(1226, "7799999999");
    d.setBytes(1224, supplier);
    ASSERT_EQ(0, d.position(u8"Приём перевода", 50, 7));
    ASSERT_EQ(0, d.pay(0, 50));
    ASSERT_EQ(0, d.close());
    const json p = journal().back()["positions"][0];
    EXPECT_EQ(2, p["agentSign"]);
    EXPECT_EQ(u8"ООО Перевод", p["agentData"]["1026"]);
    EXPECT_EQ("7712345678", p["agentData"]["1016"]);
    EXPECT_EQ("+74950000000", p["supplierData"]["1171"]);
    EXPECT_EQ(u8"ПАО Поставщик", p["supplierData"]["1225"]);
    EXPECT_EQ("7799999999", p["supplierInn"]);
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
