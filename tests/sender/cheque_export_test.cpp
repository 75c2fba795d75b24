// sendCheque through the real export: vorna-cash as the host, the recording
// driver as the register.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";
constexpr char kControlLogOn[] = "\x01SEPARATE=NO\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2\r\n";

class SendCheque : public ::testing::Test {
protected:
    void SetUp() override {
        host.installDriver("recording_driver", kAtol10);
        host.writeSettings(kAtol10);
    }

    // A payment that passes validation, with more arguments.
    ProcessResult send(const std::vector<std::string>& more, const std::string& sum = "12345") {
        std::vector<std::string> arguments = {"send", "--unc",   "4711", "--sum",
                                              sum,    "--comis", "1500"};
        for (std::string pair : {"TYPE_OPER=P", "SHORT=Услуга", "NDS_CODE=1105", "TYPE_OPL=NAL"}) {
            std::string key = pair.substr(0, pair.find('='));
            bool overridden = std::any_of(more.begin(), more.end(), [&](const std::string& m) {
                return m.substr(0, m.find('=')) == key;
            });
            if (!overridden) {
                arguments.push_back("--pair");
                arguments.push_back(pair);
            }
        }
        for (const std::string& m : more) {
            if (m.rfind("--", 0) == 0) {
                arguments.push_back(m);
            } else {
                arguments.push_back("--pair");
                arguments.push_back(m);
            }
        }
        arguments.push_back("--expect-released");
        arguments.push_back(kAtol10);
        return host.run(arguments);
    }

    std::string operationLog() const { return host.fileText(host.operationLog()); }

    // The SetParameters line the driver received.
    std::string parametersCall() {
        for (const std::string& call : host.takeCalls())
            if (call.rfind("SetParameters(", 0) == 0) return call;
        return "";
    }

    SenderHost host;
};

TEST_F(SendCheque, WorkedExampleRegistersTheReceipt) {
    host.writeSettings(kAtol10,
                       "Cashier=Иванова\nOperatorName=ООО Оператор\nSupplierInn=7700000000\n");
    ProcessResult result = send({});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0 \n"));
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));

    EXPECT_THAT(host.logLines(host.startLog()),
                ElementsAre("Начало выполнения: _sendCheque@28 [unc=4711]",
                            "UNC=4711;SUMMA=12345;COMIS=1500;TYPE_OPER=P;SHORT=Услуга;NDS_CODE="
                            "1105;TYPE_OPL=NAL;"));
    std::vector<std::string> lines = host.logLines(host.operationLog());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(
        lines[0],
        "UNC=4711;SUMMA=12345;COMIS=1500;TYPE_OPER=P;SHORT=Услуга;NDS_CODE=1105;TYPE_OPL=NAL;");
    EXPECT_EQ(lines[1], "<vorna.cash.atol10.dll><Печатать чек>");
    EXPECT_THAT(operationLog(), HasSubstr(std::string("] ") + kControlLogOn +
                                          "~hdr: Номер перевода: 4711\r\n~srv 1 123.45\r\n"
                                          "~pay 1 123.45\n"));
    EXPECT_THAT(operationLog(), HasSubstr("] 0 \r\n"));

    const std::string kAttributes =
        "SetParameters({BANK_COMISS=\"1500\", CASHIER_NAME=\"Иванова\", "
        "IS_CASHLESSCHEQUE=\"0\", IS_ECHEQUE=\"0\", IS_PRECHEQUE=\"0\", "
        "OPERATOR_NAME=\"ООО Оператор\", PU_INN=\"7700000000\", SERVICE_NAME=\"Услуга\"})";
    EXPECT_THAT(
        host.takeCalls(),
        ElementsAre("CreateObject()", "CheckKKT()", kAttributes, "IsSessionOpen()", "SetTaxType(6)",
                    "SetPaymentType(0)", kAttributes, "CheckState()", "NewCheck(1)",
                    "GetMaxCashStringLength()", "Print(\"Номер перевода: 4711\")",
                    "RegisterSale(\"\", 12345, 1000, 0, 0)", "CloseCheck(12345, 1)",
                    "EndOperation()", "Finish()", "DestroyObject(object)"));
}

TEST_F(SendCheque, AmountsBecomeRoublesWithTwoDecimals) {
    for (const auto& [kopecks, roubles] :
         std::vector<std::pair<std::string, std::string>>{{"1", "0.01"},
                                                          {"9", "0.09"},
                                                          {"10", "0.10"},
                                                          {"99", "0.99"},
                                                          {"100", "1.00"},
                                                          {"12345", "123.45"}}) {
        ProcessResult result = send({}, kopecks);
        EXPECT_EQ(result.exitCode, 0) << kopecks << result.errors;
        EXPECT_THAT(operationLog(), HasSubstr("~srv 1 " + roubles + "\r\n~pay 1 " + roubles + "\n"))
            << kopecks;
    }
}

TEST_F(SendCheque, ZeroAmountFailsValidationWithoutLoadingTheDriver) {
    ProcessResult result = send({}, "0");
    EXPECT_EQ(result.exitCode, 100);
    EXPECT_THAT(result.output, HasSubstr(utf8("result: 100 Передан некорректный параметр")));
    std::vector<std::string> lines = host.logLines(host.operationLog());
    EXPECT_THAT(lines, ::testing::Contains("SUMMA должна быть больше нуля!"));
    EXPECT_THAT(operationLog(), HasSubstr("] 100 Передан некорректный параметр\r\n"));
    EXPECT_THAT(host.takeCalls(), IsEmpty());
}

TEST_F(SendCheque, ServiceNameOf128BytesPassesAnd129Fail) {
    EXPECT_EQ(send({"SHORT=" + std::string(128, 'a')}).exitCode, 0);
    ProcessResult failed = send({"SHORT=" + std::string(129, 'a')});
    EXPECT_EQ(failed.exitCode, 100);
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("Наименование услуги не должно превышать 128 символов!"));
}

TEST_F(SendCheque, OperationKindMustBeCapitalPOrV) {
    ProcessResult lower = send({"TYPE_OPER=p"});
    EXPECT_EQ(lower.exitCode, 100);
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("TYPE_OPER должен быть равен P или V."));
    ProcessResult refund = send({"TYPE_OPER=V"});
    EXPECT_EQ(refund.exitCode, 0) << refund.errors;
    EXPECT_THAT(operationLog(), HasSubstr("~srv 1 123.45\r\n~pay 2 123.45\n"));
}

TEST_F(SendCheque, UnknownTaxCodeFails) {
    EXPECT_EQ(send({"NDS_CODE=2018"}).exitCode, 100);
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("NDS_CODE должен содержать значение из списка: 1102, 1103, "
                                    "1104, 1105, 1106, 1107, 2005, 2007, 2105, 2107, 2022, 2122"));
}

TEST_F(SendCheque, SeveralFailuresAreWrittenInOrderWithOneResult) {
    ProcessResult result = send({"NDS_CODE=2018", "SHORT=" + std::string(129, 'b')}, "0");
    EXPECT_EQ(result.exitCode, 100);
    std::vector<std::string> lines = host.logLines(host.operationLog());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "Наименование услуги не должно превышать 128 символов!");
    EXPECT_EQ(lines[3], "SUMMA должна быть больше нуля!");
    EXPECT_THAT(lines[4], ::testing::StartsWith("NDS_CODE должен"));
    EXPECT_EQ(lines[5], "100 Передан некорректный параметр\r");
}

TEST_F(SendCheque, UnprintedReceiptIsElectronicAndCarriesTheConfiguredContacts) {
    host.writeSettings(kAtol10, "ClientPhone=+79001112233\nClientEmail=a@b.ru\n");
    ProcessResult result = send({"--no-print"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(host.logLines(host.operationLog()).at(1), "<vorna.cash.atol10.dll><Не печатать чек>");
    EXPECT_THAT(operationLog(), Not(HasSubstr("~hdr")));
    std::string parameters = parametersCall();
    EXPECT_THAT(parameters, HasSubstr("IS_ECHEQUE=\"1\""));
    EXPECT_THAT(parameters, HasSubstr("CLIENT_PHONE=\"+79001112233\""));
    EXPECT_THAT(parameters, HasSubstr("CLIENT_EMAIL=\"a@b.ru\""));
}

TEST_F(SendCheque, PrintedReceiptWithoutContactSendsNoContact) {
    host.writeSettings(kAtol10, "ClientPhone=+79001112233\nClientEmail=a@b.ru\n");
    EXPECT_EQ(send({}).exitCode, 0);
    std::string parameters = parametersCall();
    EXPECT_THAT(parameters, Not(HasSubstr("CLIENT_PHONE")));
    EXPECT_THAT(parameters, Not(HasSubstr("CLIENT_EMAIL")));
    EXPECT_THAT(parameters, HasSubstr("IS_ECHEQUE=\"0\""));
}

TEST_F(SendCheque, ContactStartingWithSohIsThePhoneAnyOtherTheEmail) {
    host.writeSettings(kAtol10, "ClientPhone=+79001112233\nClientEmail=a@b.ru\n");
    EXPECT_EQ(send({"CONTACT=\x01"
                    "79005556677"})
                  .exitCode,
              0);
    std::string parameters = parametersCall();
    EXPECT_THAT(parameters, HasSubstr("CLIENT_PHONE=\"\x01"
                                      "79005556677\""));
    EXPECT_THAT(parameters, HasSubstr("CLIENT_EMAIL=\"a@b.ru\""));
    EXPECT_EQ(send({"CONTACT=c@d.ru"}).exitCode, 0);
    parameters = parametersCall();
    EXPECT_THAT(parameters, HasSubstr("CLIENT_PHONE=\"+79001112233\""));
    EXPECT_THAT(parameters, HasSubstr("CLIENT_EMAIL=\"c@d.ru\""));
}

TEST_F(SendCheque, CashlessPaymentIsMarked) {
    EXPECT_EQ(send({"TYPE_OPL=BN"}).exitCode, 0);
    EXPECT_THAT(parametersCall(), HasSubstr("IS_CASHLESSCHEQUE=\"1\""));
}

TEST(SendChequeTaxType, FollowsTheDriverFileName) {
    for (const auto& [driver, code, taxType] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"vorna.cash.atol10.dll", "1102", "7"},
             {"vorna.cash.atol8.dll", "1102", "3"},
             {"vorna.cash.shtrih.dll", "2122", "12"},
             {"vorna.cash.atol10_d.dll", "1105", "0"},
             {"vorna.cash.crystal.dll", "1105", "0"}}) {
        SenderHost host;
        host.installDriver("recording_driver", driver);
        host.writeSettings(driver);
        ProcessResult result = host.run({"send", "--unc", "1", "--sum", "100", "--pair",
                                         "TYPE_OPER=P", "--pair", "NDS_CODE=" + code});
        EXPECT_EQ(result.exitCode, 0) << driver << result.errors;
        EXPECT_THAT(host.takeCalls(), ::testing::Contains("SetTaxType(" + taxType + ")")) << driver;
    }
}

TEST(SendChequeLogging, OffWritesOnlyTheStartLog) {
    SenderHost host;
    host.installDriver("recording_driver", kAtol10);
    host.writeFile("vorna.cash.sender.ini",
                   "UseLog=N\nLogDirectory=" + host.logs() + "\nCashDriver=" + kAtol10 + "\n");
    ProcessResult result =
        host.run({"send", "--unc", "4711", "--sum", "100", "--pair", "TYPE_OPER=P"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.startLog()),
                ElementsAre("Начало выполнения: _sendCheque@28 [unc=4711]",
                            "UNC=4711;SUMMA=100;COMIS=0;TYPE_OPER=P;"));
    EXPECT_FALSE(host.exists(host.operationLog()));
    EXPECT_FALSE(host.exists(host.errorLog()));
}

TEST_F(SendCheque, NoPairsAreRecordedAndFailValidation) {
    ProcessResult result = host.run({"send", "--unc", "9", "--sum", "100"});
    EXPECT_EQ(result.exitCode, 100);
    EXPECT_EQ(host.logLines(host.operationLog()).at(0),
              "UNC=9;SUMMA=100;COMIS=0;ДЛИНА МАССИВА ПАРАМЕТРОВ НЕ ОПРЕДЕЛЕНА!");
}

TEST_F(SendCheque, SettingsCodeIsNotedAndItsFileUsed) {
    host.writeFile("vorna.cash.sender.12.ini", "Cashier=Петров\n");
    EXPECT_EQ(send({"IBS_CODE=12"}).exitCode, 0);
    EXPECT_THAT(host.logLines(host.startLog()).at(1), "12");
    std::vector<std::string> calls = host.takeCalls();
    EXPECT_EQ(calls.front(), "CreateObjectWithIni(\"vorna.cash.sender.12.ini\")");
}

TEST_F(SendCheque, MissingDriverEndsAs99InTheErrorLog) {
    host.writeSettings("vorna.cash.nothere.dll");
    ProcessResult result = send({});
    EXPECT_EQ(result.exitCode, 99);
    EXPECT_THAT(result.output, HasSubstr(utf8("Другая ошибка - для уточнения смотрите логи")));
    // The error target stays in the folder current at its first use.
    EXPECT_THAT(host.logLines(host.path(host.work(), "error.log")), Not(IsEmpty()));
    EXPECT_FALSE(host.exists(host.errorLog()));
}

// A transfer number that holds script characters would add tags of its own
// to the receipt: it is refused wherever it would enter the script.
TEST_F(SendCheque, UncWithScriptCharactersFailsValidation) {
    for (const std::string& unc : {std::string("47\x01") + "SEPARATE=YES", std::string("47\x07&2"),
                                   std::string("47\r\n~srv 1 0.01"), std::string("4~7"),
                                   std::string("4\"7"), std::string("4\\7"), std::string("4\t7")}) {
        ProcessResult result =
            host.run({"send", "--unc", unc, "--sum", "100", "--pair", "TYPE_OPER=P"});
        EXPECT_EQ(result.exitCode, 100) << unc;
        EXPECT_THAT(host.logLines(host.operationLog()),
                    ::testing::Contains("UNC не должен содержать управляющие символы и символы ~ "
                                        "\" \\ (они служат разметкой чека)."))
            << unc;
        EXPECT_THAT(host.takeCalls(), IsEmpty()) << unc;
    }
    // Without a printed header the number never enters the script.
    ProcessResult unprinted =
        host.run({"send", "--unc", "4~7", "--sum", "100", "--no-print", "--pair", "TYPE_OPER=P"});
    EXPECT_EQ(unprinted.exitCode, 0) << unprinted.errors;
}

TEST_F(SendCheque, NullPointersOfTheHostAreHandled) {
    ProcessResult noUnc =
        host.run({"send", "--null", "unc", "--sum", "100", "--pair", "TYPE_OPER=P"});
    EXPECT_EQ(noUnc.exitCode, 0) << noUnc.errors;
    EXPECT_THAT(host.logLines(host.startLog()),
                ::testing::Contains("Начало выполнения: _sendCheque@28"));
    EXPECT_THAT(operationLog(), HasSubstr("~hdr: Номер перевода: \r\n"));

    ProcessResult noPairs =
        host.run({"send", "--unc", "1", "--sum", "100", "--null", "pairs", "--count", "3"});
    EXPECT_EQ(noPairs.exitCode, 100);
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("UNC=1;SUMMA=100;COMIS=0;"));

    ProcessResult noKey =
        host.run({"send", "--unc", "2", "--sum", "100", "--pair", "TYPE_OPER=P", "--null", "key"});
    EXPECT_EQ(noKey.exitCode, 100);  // the key of TYPE_OPER is empty now
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("UNC=2;SUMMA=100;COMIS=0;=P;"));

    ProcessResult noValue = host.run(
        {"send", "--unc", "3", "--sum", "100", "--pair", "TYPE_OPER=P", "--null", "value"});
    EXPECT_EQ(noValue.exitCode, 100);
    EXPECT_THAT(host.logLines(host.operationLog()),
                ::testing::Contains("UNC=3;SUMMA=100;COMIS=0;TYPE_OPER=;"));

    ProcessResult noText = host.run(
        {"send", "--unc", "4", "--sum", "100", "--pair", "TYPE_OPER=P", "--null", "result-text"});
    EXPECT_EQ(noText.exitCode, 0);
    EXPECT_THAT(noText.output, HasSubstr("result: 0 (no text)"));
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
