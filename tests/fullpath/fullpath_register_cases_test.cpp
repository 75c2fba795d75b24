// Register conditions along the whole road (vorna-cash, the sender library,
// the ATOL driver, the emulated register): the FFD version deciding where the
// agent tags go, an expired shift closed by the driver, a receipt left open by
// a failed payment, the settings file of a host code read by both libraries,
// the library's failure numbers and its contract, a crash inside it, a
// register library that is missing or cannot be loaded, and the register's
// health (vorna-cash health, the check at the counter, a blocked storage). Each case checks
// the result the host gets, the register's journal and the lines of the
// sender's operation log and the driver's day log that tell what happened.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "common/platform/platform.h"
#include "emulator/state_store.h"
#include "emulator/tool/tool_commands.h"
#include "fptr10/fptr10_numbers.h"
#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

using nlohmann::json;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr double kTotal = 123.45;

// The receipt details the sender hands to the driver for the agent tags.
const char kAgentSettings[] =
    "OperatorName=ООО Переводы\n"
    "OperatorInn=7700000001\n"
    "OperatorAddress=Москва, ул. Тверская, 2\n"
    "OperatorPhone=+74950000001\n"
    "AgentPhone=+74950000002\n"
    "OperatorOper=Перевод денежных средств\n"
    "SupplierPhone=+74950000003\n"
    "SupplierName=ООО Поставщик\n"
    "SupplierInn=7700000002\n";

// The driver's own settings file beside it, with its day log in the host's
// log folder and these further lines.
void writeDriverSettings(const FullPathHost& path, const std::string& more = "") {
    path.host.writeFile("vorna.cash.atol10.ini",
                        "UseLog=Y\nLogPath=" + path.host.logs() + "\n" + more);
}

// The lines of the driver's day logs (<LogPath>/Quorvale/mirel_<date>.log),
// each without its time stamp and level.
std::vector<std::string> driverLogLines(const FullPathHost& path) {
    const std::string folder = path.host.path(path.host.logs(), "Quorvale");
    std::vector<std::string> files;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("mirel", 0) == 0) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());  // day by day, should midnight pass
    std::vector<std::string> lines;
    for (const std::string& file : files)
        for (std::string line : path.host.logLines(file)) {
            // "[WRN]    atol10->..." after the time stamp
            if (line.rfind("[WRN] ", 0) == 0) line.erase(0, 6);
            lines.push_back(line);
        }
    return lines;
}

std::vector<std::string> operationLogLines(const FullPathHost& path) {
    return path.host.logLines(path.host.operationLog());
}

// Every journal entry, oldest first.
std::vector<json> journal(const FullPathHost& path) {
    std::vector<json> entries;
    std::istringstream lines(
        path.host.fileText(path.host.path(path.host.work(), emulator::kJournalFileName)));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) entries.push_back(json::parse(line));
    return entries;
}

std::vector<std::string> journalTypes(const FullPathHost& path) {
    std::vector<std::string> types;
    for (const json& entry : journal(path)) types.push_back(entry.value("type", ""));
    return types;
}

json registerState(const FullPathHost& path) {
    return json::parse(
        path.host.fileText(path.host.path(path.host.work(), emulator::kStateFileName)));
}

// A command of the emulator tool on the host's register.
void registerTool(const FullPathHost& path, const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"--dir", path.host.work()};
    full.insert(full.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    ASSERT_EQ(emulator::tool::runCommand(full, out, err), 0) << err.str();
}

std::vector<std::string> traceFunctions(const FullPathHost& path) {
    std::vector<std::string> functions;
    for (const std::string& line : path.registerFolder.traceLines())
        functions.push_back(calledFunction(line));
    return functions;
}

// The last line that is not empty (the result line of the last call).
std::string lastLine(const std::vector<std::string>& lines) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (!line->empty()) return *line;
    return std::string();
}

bool hasLineContaining(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    });
}

// ---------------------------------------------------------------------------
// FFD 1.05 carries the agent sign (1057) and the transfer operator's details
// on the receipt; FFD 1.2 has no receipt-level agent tags, the position
// carries them (1222, 1223, 1224, 1226).

TEST(AgentTags, Ffd105RegisterGetsThemOnTheReceipt) {
    FullPathHost path({"--ffd", "1.05", "--agent-sign", "1"}, kAgentSettings);
    writeDriverSettings(path);
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("result: 0 \n"));
    ASSERT_EQ(run.newReceipts.size(), 1u);
    const json& receipt = run.newReceipts[0];
    EXPECT_DOUBLE_EQ(receipt.value("total", 0.0), kTotal);
    EXPECT_EQ(receipt.value("1057", 0), 1);
    EXPECT_EQ(receipt.value("1026", ""), utf8("ООО Переводы"));
    EXPECT_EQ(receipt.value("1016", ""), "7700000001");
    EXPECT_EQ(receipt.value("1005", ""), utf8("Москва, ул. Тверская, 2"));
    EXPECT_EQ(receipt.value("1075", ""), "+74950000001");
    EXPECT_EQ(receipt.value("1073", ""), "+74950000002");
    EXPECT_EQ(receipt.value("1044", ""), utf8("Перевод денежных средств"));
    EXPECT_EQ(receipt.value("1171", ""), "+74950000003");

    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_THAT(log, Contains("ФФД: 105"));
    EXPECT_THAT(
        log,
        Contains("   atol10->Tag1057 (Признак агента был взят из 'Регистрационных данных') 1"));
    EXPECT_THAT(log, Contains("   atol10-> set_param_int 1057 = 1"));
    EXPECT_THAT(log, Contains("   atol10->AttrValue = ООО Переводы"));
    EXPECT_THAT(operationLogLines(path), Contains("0 \r"));
}

TEST(AgentTags, Ffd12RegisterGetsThemOnThePosition) {
    FullPathHost path({"--ffd", "1.2", "--agent-sign", "1"}, kAgentSettings);
    writeDriverSettings(path);
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("result: 0 \n"));
    ASSERT_EQ(run.newReceipts.size(), 1u);
    const json& receipt = run.newReceipts[0];
    for (const char* tag : {"1057", "1026", "1016", "1005", "1075", "1073", "1044", "1171"})
        EXPECT_FALSE(receipt.contains(tag)) << "receipt-level tag " << tag << ": " << receipt;
    ASSERT_EQ(receipt["positions"].size(), 1u);
    const json& position = receipt["positions"][0];
    EXPECT_EQ(position.value("agentSign", 0), 1);
    EXPECT_EQ(position.value("measure", -1), 0);
    const json agentData = position.value("agentData", json::object());
    EXPECT_EQ(agentData.value("1026", ""), utf8("ООО Переводы"));
    EXPECT_EQ(agentData.value("1016", ""), "7700000001");
    EXPECT_EQ(agentData.value("1005", ""), utf8("Москва, ул. Тверская, 2"));
    EXPECT_EQ(agentData.value("1075", ""), "+74950000001");
    EXPECT_EQ(agentData.value("1073", ""), "+74950000002");
    EXPECT_EQ(agentData.value("1044", ""), utf8("Перевод денежных средств"));
    const json supplierData = position.value("supplierData", json::object());
    EXPECT_EQ(supplierData.value("1171", ""), "+74950000003");
    EXPECT_EQ(supplierData.value("1225", ""), utf8("ООО Поставщик"));
    EXPECT_EQ(position.value("supplierInn", ""), "7700000002");

    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_THAT(log, Contains("ФФД: 120"));
    EXPECT_THAT(log, Contains("Tag 1222 = 1"));
    EXPECT_FALSE(hasLineContaining(log, "set_param_int 1057"));
    EXPECT_FALSE(hasLineContaining(log, "atol10->AttrValue"));
    EXPECT_THAT(operationLogLines(path), Contains("0 \r"));
}

// ---------------------------------------------------------------------------
// A shift open for more than 24 hours.

TEST(ExpiredShift, IsClosedByTheDriverWithAutoShiftAndThePaymentGoesToANewShift) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path, "AutoShift=Y\n");
    // The closed shift is opened without asking: "no" would refuse it.
    PaymentRun first = path.pay({}, {"no"});
    ASSERT_EQ(first.result, 0) << first.output;
    ASSERT_EQ(first.newReceipts.size(), 1u);
    EXPECT_EQ(first.newReceipts[0].value("shift", 0), 1);
    registerTool(path, {"clock", "+25h"});
    ASSERT_EQ(registerState(path)["shift"].value("number", 0), 1);

    PaymentRun run = path.pay({}, {"no"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("result: 0 \n"));
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("Смена превысила 24 часа"))));
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("Открыть смену?"))));
    EXPECT_THAT(journalTypes(path),
                ElementsAre("open_shift", "receipt", "z_report", "open_shift", "receipt"));
    const std::vector<json> entries = journal(path);
    EXPECT_EQ(entries[2].value("shift", 0), 1);
    EXPECT_EQ(entries[2].value("receipts", 0), 1);
    EXPECT_EQ(entries[3].value("shift", 0), 2);
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_EQ(run.newReceipts[0].value("shift", 0), 2);
    EXPECT_DOUBLE_EQ(run.newReceipts[0].value("total", 0.0), kTotal);

    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_THAT(log, Contains("   Необходимо выполнить Z-отчет (закрыть смену)"));
    EXPECT_THAT(log, Contains("   [AutoShift = YES] - попытка выполнить Z-отчет (закрыть смену)"));
    EXPECT_THAT(log, Contains("   => Смена закрыта"));
    EXPECT_THAT(log, Contains("   Да - [AutoShift = Y] - попытка выполнить open_shift"));
    const std::vector<std::string> operations = operationLogLines(path);
    EXPECT_EQ(std::count(operations.begin(), operations.end(), "0 \r"), 2);
    EXPECT_EQ(lastLine(operations), "0 \r");
}

TEST(ExpiredShift, WithoutAutoShiftARefusedZReportLeavesResult2AndNoReceipt) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    ASSERT_EQ(path.pay({}, {"yes"}).result, 0);
    registerTool(path, {"clock", "+25h"});

    PaymentRun run = path.pay({}, {"no"});
    EXPECT_EQ(run.result, 2) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("result: 2 Смена превысила 24 часа")));
    EXPECT_THAT(run.output, HasSubstr(utf8("Выполнить Z-отчет (закрыть смену)?")));
    EXPECT_TRUE(run.newReceipts.empty());
    EXPECT_THAT(journalTypes(path), ElementsAre("open_shift", "receipt"));
    EXPECT_EQ(registerState(path)["shift"].value("number", 0), 1);
    EXPECT_THAT(operationLogLines(path), Contains("2 Смена превысила 24 часа\r"));
}

// The device checks ask nothing of a closed shift: the payment opens it.
TEST(ClosedShift, IsNoFailureOfTheDeviceChecksAndStaysClosed) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path, "AutoShift=Y\n");
    for (const char* command : {"check", "check-link", "info"}) {
        const ProcessResult run = path.run({command});
        EXPECT_THAT(run.output, HasSubstr("result: 0 \n")) << command << run.output << run.errors;
    }
    EXPECT_TRUE(journal(path).empty());
    EXPECT_EQ(registerState(path)["shift"].value("open", true), false);
}

// ---------------------------------------------------------------------------
// A receipt left open in the register by a payment that failed half-way.

TEST(LeftOpenReceipt, IsCancelledBeforeTheNextPaymentWhichRegistersOneReceipt) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    ASSERT_EQ(path.pay({}, {"yes"}).result, 0);
    // The line goes down once the position is registered.
    path.registerFolder.addFault({{"kind", "connection_lost"},
                                  {"function", "libfptr_registration"},
                                  {"timing", "after"},
                                  {"count", 1}});
    PaymentRun failed = path.pay();
    EXPECT_EQ(failed.result, 1) << failed.output;
    EXPECT_THAT(failed.output, HasSubstr(utf8("result: 1 ККТ не подключена")));
    EXPECT_TRUE(failed.newReceipts.empty());
    const json left = registerState(path)["receipt"];
    ASSERT_TRUE(left.is_object()) << "no receipt left open: " << registerState(path);
    EXPECT_EQ(left.value("type", 0), 1);
    ASSERT_EQ(left["positions"].size(), 1u);
    EXPECT_DOUBLE_EQ(left["positions"][0].value("sum", 0.0), kTotal);

    // The line is back.
    path.registerFolder.clearFaults();
    const std::size_t logBefore = driverLogLines(path).size();
    path.host.writeFile(emulator::kTraceFileName, "");  // the next payment's calls only
    PaymentRun next = path.pay();
    EXPECT_EQ(next.result, 0) << next.output;
    ASSERT_EQ(next.newReceipts.size(), 1u);
    ASSERT_EQ(next.newReceipts[0]["positions"].size(), 1u);
    EXPECT_DOUBLE_EQ(next.newReceipts[0].value("total", 0.0), kTotal);
    EXPECT_TRUE(registerState(path)["receipt"].is_null());
    EXPECT_THAT(journalTypes(path), ElementsAre("open_shift", "receipt", "receipt"));

    const std::vector<std::string> calls = traceFunctions(path);
    const auto cancel = std::find(calls.begin(), calls.end(), "libfptr_cancel_receipt");
    const auto open = std::find(calls.begin(), calls.end(), "libfptr_open_receipt");
    ASSERT_NE(cancel, calls.end());
    EXPECT_LT(cancel, open);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "libfptr_cancel_receipt"), 1);
    EXPECT_THAT(path.host.fileText(path.host.path(path.host.work(), emulator::kTapeFileName)),
                HasSubstr(utf8("ЧЕК АННУЛИРОВАН")));

    std::vector<std::string> log = driverLogLines(path);
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(logBefore));
    EXPECT_THAT(log, Contains("   atol10->CheckState_  = 1"));
    EXPECT_THAT(log, Contains("   atol10->CancelCheck [cancel_receipt] ==> "));
    const std::vector<std::string> operations = operationLogLines(path);
    EXPECT_THAT(operations, Contains("1 ККТ не подключена\r"));
    EXPECT_EQ(lastLine(operations), "0 \r");
}

// ---------------------------------------------------------------------------
// IBS_CODE=NN: vorna.cash.sender.NN.ini is read by the sender and handed to
// the driver, so the keys of both libraries in it take effect.

TEST(CodeSettingsFile, SetsTheSendersCashierAndTheDriversKeys) {
    FullPathHost path({"--ffd", "1.05"}, "Cashier=Иванова\n");
    writeDriverSettings(path);
    path.host.writeFile("vorna.cash.sender.77.ini", "Cashier=Петрова\nAutoShift=Y\nTag1057=2\n");

    // Without the code the driver asks before it opens the shift.
    PaymentRun plain = path.pay({}, {"no"});
    EXPECT_EQ(plain.result, 3) << plain.output;
    EXPECT_THAT(plain.output, HasSubstr(utf8("Открыть смену?")));
    EXPECT_TRUE(plain.newReceipts.empty());

    PaymentRun coded = path.pay({"IBS_CODE=77"}, {"no"});
    EXPECT_EQ(coded.result, 0) << coded.output;
    EXPECT_THAT(coded.output, HasSubstr("result: 0 \n"));
    EXPECT_THAT(coded.output, Not(HasSubstr(utf8("Открыть смену?"))));
    EXPECT_THAT(journalTypes(path), ElementsAre("open_shift", "receipt"));
    ASSERT_EQ(coded.newReceipts.size(), 1u);
    const json& receipt = coded.newReceipts[0];
    EXPECT_EQ(receipt.value("1021", ""), utf8("Петрова"));  // the sender's key
    EXPECT_EQ(receipt.value("1057", 0), 2);                 // the driver's key
    EXPECT_DOUBLE_EQ(receipt.value("total", 0.0), kTotal);

    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_THAT(log, Contains("   ***** Чтение из vorna.cash.sender.77.ini *****"));
    EXPECT_THAT(log, Contains("   AutoShift = Y"));
    EXPECT_THAT(log, Contains("   Tag1057 = 2"));
    EXPECT_THAT(log, Contains("   Да - [AutoShift = Y] - попытка выполнить open_shift"));
    EXPECT_THAT(log, Contains("   atol10->Tag1057 (Признак агента был взят из ini) 2"));
    EXPECT_THAT(log, Contains("   cashier_    ==> Петрова"));
    // The day log holds both payments: the coded one's cashier comes last.
    const auto cashier = std::find_if(log.rbegin(), log.rend(), [](const std::string& line) {
        return line.rfind("Получен параметр: CASHIER_NAME = ", 0) == 0;
    });
    ASSERT_NE(cashier, log.rend());
    EXPECT_EQ(*cashier, "Получен параметр: CASHIER_NAME = Петрова");

    const std::vector<std::string> operations = operationLogLines(path);
    EXPECT_TRUE(hasLineContaining(operations, "IBS_CODE=77;"))
        << ::testing::PrintToString(operations);
    EXPECT_THAT(operations, Contains("3 Смена закрыта\r"));
    EXPECT_EQ(lastLine(operations), "0 \r");
}

// ---------------------------------------------------------------------------
// The shift a payment opens: its opening document names the cashier of the
// settings, as the payment's receipt does.

TEST(ShiftOpenedByAPayment, NamesTheCashierOfTheSettings) {
    FullPathHost path({"--ffd", "1.2"}, "Cashier=Иванова\nCashierInn=500100732259\n");
    writeDriverSettings(path);
    PaymentRun run = path.pay({}, {"yes"});
    ASSERT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_EQ(run.newReceipts[0].value("1021", ""), utf8("Иванова"));
    EXPECT_EQ(run.newReceipts[0].value("1203", ""), "500100732259");
    const std::vector<json> entries = journal(path);
    ASSERT_FALSE(entries.empty());
    ASSERT_EQ(entries[0].value("type", ""), "open_shift");
    EXPECT_EQ(entries[0]["operator"].value("name", ""), utf8("Иванова")) << entries[0];
    EXPECT_EQ(entries[0]["operator"].value("inn", ""), "500100732259") << entries[0];
    const std::vector<std::string> log = driverLogLines(path);
    const auto login =
        std::find(log.begin(), log.end(), "   atol10->IsSessionOpen [operator_login] ==> ");
    ASSERT_NE(login, log.end());
    ASSERT_LT(login + 1, log.end());
    EXPECT_EQ(login[1], "   cashier_    ==> Иванова");
}

// ---------------------------------------------------------------------------
// Settings files saved as UTF-8 by Notepad (with the byte-order mark): the
// first key is kept and Cyrillic values reach the receipt in Windows-1251.

TEST(Utf8SettingsFiles, FirstKeyAndCyrillicCashierWorkInBothLibraries) {
    FullPathHost path({"--ffd", "1.2"});
    const std::string bom = "\xEF\xBB\xBF";
    path.host.writeFile("vorna.cash.sender.ini",
                        bom + "CashDriver=vorna.cash.atol10.dll\r\nUseLog=1\r\nLogDirectory=" +
                            path.host.logs() + "\r\nCashier=" + utf8("Петрова Ё.") + "\r\n");
    // AutoShift first: lost, the driver would ask before it opens the shift.
    path.host.writeFile("vorna.cash.atol10.ini",
                        bom + "AutoShift=Y\r\nUseLog=Y\r\nLogPath=" + path.host.logs() + "\r\n");
    PaymentRun run = path.pay({}, {"no"});
    ASSERT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("Открыть смену?"))));
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_EQ(run.newReceipts[0].value("1021", ""), utf8("Петрова Ё."));

    const std::vector<std::string> operations = operationLogLines(path);
    EXPECT_THAT(operations, Contains("<vorna.cash.atol10.dll><Печатать чек>"));
    EXPECT_TRUE(hasLineContaining(operations, "vorna.cash.sender.ini в кодировке UTF-8"))
        << ::testing::PrintToString(operations);
    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_TRUE(hasLineContaining(log, "vorna.cash.atol10.ini в кодировке UTF-8"))
        << ::testing::PrintToString(log);
    EXPECT_THAT(log, Contains("   cashier_    ==> Петрова Ё."));
}

// ---------------------------------------------------------------------------
// The register library as the current generation reports a failure: -1, then
// libfptr_error_code and libfptr_error_description. The driver keeps to the
// library's contract, turns the number into the host's result code, logs the
// library's own description, and survives a crash inside the library.

std::vector<std::string> contractViolationLines(const FullPathHost& path) {
    std::vector<std::string> found = path.registerFolder.violations();
    for (const std::string& line : path.registerFolder.traceLines())
        if (line.rfind("CONTRACT VIOLATION", 0) == 0) found.push_back(line);
    return found;
}

// The worked example payment's arguments for vorna-cash.
std::vector<std::string> paymentCall() {
    return {"send",          "--unc",  "4711",        "--sum",        "12345",
            "--comis",       "1500",   "--pair",      "SHORT=Услуга", "--pair",
            "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--pair",       "TYPE_OPL=NAL"};
}

TEST(LibraryContract, APaymentAReportAndADeviceCheckKeepIt) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    PaymentRun run = path.pay({}, {"yes"});
    ASSERT_EQ(run.result, 0) << run.output;
    EXPECT_EQ(run.newReceipts.size(), 1u);
    const ProcessResult report = path.run({"x-report"});
    EXPECT_THAT(report.output, HasSubstr("result: 0")) << report.output << report.errors;
    const ProcessResult check = path.run({"check"});
    EXPECT_THAT(check.output, HasSubstr("result: 0")) << check.output << check.errors;
    EXPECT_THAT(journalTypes(path), ElementsAre("open_shift", "receipt", "x_report"));
    EXPECT_THAT(contractViolationLines(path), ::testing::IsEmpty());
    std::vector<std::string> calls = traceFunctions(path);
    EXPECT_THAT(calls, Contains("libfptr_destroy"));
    std::ostringstream out, err;
    EXPECT_EQ(emulator::tool::runCommand({"--dir", path.host.work(), "violations"}, out, err), 0)
        << out.str();
}

TEST(LibraryFailures, EachNumberReachesTheHostAsItsResultWithTheLibrarysText) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    ASSERT_EQ(path.pay({}, {"yes"}).result, 0);
    struct Case {
        std::vector<std::string> fault;  // the tool's fault command
        int result;                      // at the host
        int number;                      // libfptr_error_code
        const char* description;         // libfptr_error_description, Windows-1251
    };
    const Case cases[] = {
        {{"paper-out", "--function", "libfptr_registration"}, 5, 44, "Нет бумаги"},
        {{"fail", "libfptr_open_receipt", "68"}, 2, 68, "Смена превысила 24 часа"},
        {{"fail", "libfptr_open_receipt", "69"}, 6, 69, "Открыт чек прихода - операция невозможна"},
        {{"fail", "libfptr_open_receipt", "67"},
         7,
         67,
         "Открыт чек возврата - операция невозможна"},
        {{"connection-lost", "--function", "libfptr_open_receipt"}, 1, 2, "Нет связи с ККТ"},
        {{"fail", "libfptr_open_receipt", "73"}, 3, 73, "Смена закрыта - операция невозможна"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault[0] + " " + c.fault[1] + " " + c.fault[2]);
        std::vector<std::string> fault = {"fault"};
        fault.insert(fault.end(), c.fault.begin(), c.fault.end());
        registerTool(path, fault);
        const std::size_t logBefore = driverLogLines(path).size();
        PaymentRun run = path.pay();
        EXPECT_EQ(run.result, c.result) << run.output;
        EXPECT_TRUE(run.newReceipts.empty());
        std::vector<std::string> log = driverLogLines(path);
        log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(logBefore));
        const bool logged = std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.find(c.description) != std::string::npos &&
                   line.find(std::to_string(c.number)) != std::string::npos;
        });
        EXPECT_TRUE(logged) << "no log line with " << c.number << " and the library's text\n"
                            << ::testing::PrintToString(log);
        registerTool(path, {"fault", "clear"});
    }
    // The register is fine again: the next payment goes through once.
    PaymentRun next = path.pay();
    EXPECT_EQ(next.result, 0) << next.output;
    EXPECT_EQ(next.newReceipts.size(), 1u);
    EXPECT_THAT(contractViolationLines(path), ::testing::IsEmpty());
}

TEST(LibraryCrash, InsideRegistrationGives99AndTheSameHostRegistersTheNextPayment) {
    if (VORNA_SANITIZED)
        GTEST_SKIP() << "the sanitizer takes an access violation as a fault of its own and "
                        "ends the process; the crash is tested in the plain builds";
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    ASSERT_EQ(path.pay({}, {"yes"}).result, 0);
    registerTool(path, {"fault", "crash", "libfptr_registration", "--timing", "before"});
    // Two payments in one host process, the library loaded once.
    std::vector<std::string> calls = paymentCall();
    calls.push_back("--");
    const std::vector<std::string> second = paymentCall();
    calls.insert(calls.end(), second.begin(), second.end());
    const std::size_t before = path.registerFolder.receipts().size();
    const ProcessResult process = path.run(calls);
    const std::string output = process.output + process.errors;
    const std::size_t first = output.find("result: ");
    ASSERT_NE(first, std::string::npos) << output;
    EXPECT_EQ(printedResult(output.substr(first)), 99) << output;
    const std::size_t next = output.find("result: ", first + 1);
    ASSERT_NE(next, std::string::npos) << "the host did not survive the crash: " << output;
    EXPECT_EQ(printedResult(output.substr(next)), 0) << output;
    const std::vector<json> receipts = path.registerFolder.receipts();
    ASSERT_EQ(receipts.size(), before + 1) << "the crashed payment registered nothing";
    EXPECT_DOUBLE_EQ(receipts.back().value("total", 0.0), kTotal);
    EXPECT_TRUE(hasLineContaining(path.registerFolder.traceLines(),
                                  "libfptr_registration(#1) crashed (access violation before"))
        << ::testing::PrintToString(path.registerFolder.traceLines());
    EXPECT_THAT(contractViolationLines(path), ::testing::IsEmpty());
}

// ---------------------------------------------------------------------------
// The register library fptr10 beside the driver.

// PATH without the build's binaries folder for the life of the guard, so a
// Windows host process finds the register library only beside the driver;
// the runtime libraries the host needs are put beside it instead.
class BinariesOffPath {
public:
    explicit BinariesOffPath(const FullPathHost& path) {
        had_ = platform::environmentVariable("PATH", saved_);
        const std::string bin = path.host.binDirectory();
        std::string kept, entry;
        std::istringstream entries(saved_);
        while (std::getline(entries, entry, ';'))
            if (!sameFolder(entry, bin)) kept += (kept.empty() ? "" : ";") + entry;
        if (platform::pathSeparator() == '\\') platform::setEnvironmentVariable("PATH", kept);
        for (const char* runtime : {"libgcc_s_dw2-1.dll", "libstdc++-6.dll", "libwinpthread-1.dll"})
            if (path.host.exists(path.host.path(bin, runtime)))
                std::filesystem::copy_file(path.host.path(bin, runtime),
                                           path.host.path(path.host.work(), runtime));
    }
    ~BinariesOffPath() {
        if (platform::pathSeparator() == '\\')
            platform::setEnvironmentVariable("PATH", had_ ? saved_ : "");
    }
    BinariesOffPath(const BinariesOffPath&) = delete;
    BinariesOffPath& operator=(const BinariesOffPath&) = delete;

private:
    static bool sameFolder(std::string a, std::string b) {
        for (std::string* s : {&a, &b}) {
            while (!s->empty() && (s->back() == '\\' || s->back() == '/')) s->pop_back();
            for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return a == b;
    }
    bool had_ = false;
    std::string saved_;
};

void expectNotConnectedAndNothingRegistered(FullPathHost& path, const PaymentRun& run) {
    EXPECT_EQ(run.result, 1) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("result: 1 ККТ не подключена")));
    EXPECT_TRUE(run.newReceipts.empty());
    EXPECT_TRUE(journal(path).empty());
    EXPECT_TRUE(path.registerFolder.traceLines().empty());
    EXPECT_EQ(registerState(path)["shift"].value("open", true), false);
    const std::vector<std::string> log = driverLogLines(path);
    EXPECT_THAT(log, Contains(std::string("   LoadLibrary => ") + VORNA_REGISTER_LIBRARY));
    EXPECT_TRUE(hasLineContaining(log, "   LoadLibrary Error  = "))
        << ::testing::PrintToString(log);
    EXPECT_THAT(log, Contains("   atol10->hModule=NULL"));
    EXPECT_THAT(operationLogLines(path), Contains("1 ККТ не подключена\r"));
}

TEST(RegisterLibrary, MissingGivesResult1AndNothingRegistered) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    BinariesOffPath offPath(path);
    std::filesystem::remove(path.host.path(path.host.work(), VORNA_REGISTER_LIBRARY));
    PaymentRun run = path.pay({}, {"yes"});
    expectNotConnectedAndNothingRegistered(path, run);
}

TEST(RegisterLibrary, NotLoadableGivesResult1AndNothingRegistered) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path);
    BinariesOffPath offPath(path);
    path.host.writeFile(VORNA_REGISTER_LIBRARY, "not a library\n");
    PaymentRun run = path.pay({}, {"yes"});
    expectNotConnectedAndNothingRegistered(path, run);
}

// ---------------------------------------------------------------------------
// The register's health: vorna-cash health for monitoring, the once-a-day
// check at the counter, and a storage that refuses documents.

// The sender's error.log, wherever the call put it (the host's folder or the log folder).
std::string errorLogText(const FullPathHost& path) {
    return utf8(path.host.fileText(path.host.path(path.host.work(), "error.log")) +
                path.host.fileText(path.host.errorLog()));
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The operator queue of the register: count documents, the oldest daysOld days old.
void queueUnconfirmed(const FullPathHost& path, int count, int daysOld) {
    const long long now = static_cast<long long>(platform::unixTime());
    json queue = json::array();
    for (int i = 0; i < count; ++i)
        queue.push_back({{"document", 100 + i}, {"at", now - daysOld * 86400LL + i * 60}});
    registerTool(path, {"ofd", "offline"});
    registerTool(path, {"set", "ofd.queue", queue.dump()});
}

// An open shift, so that the only document a payment makes is its receipt.
void openShift(const FullPathHost& path) {
    registerTool(path, {"set", "shift.open", "true"});
    registerTool(path, {"set", "shift.number", "1"});
    registerTool(path, {"set", "shift.openedAt", std::to_string(platform::unixTime())});
}

class Health : public ::testing::Test {
protected:
    ProcessResult health(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments = {"health"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return path.run(arguments);
    }
    FullPathHost path{{"--ffd", "1.2"}};
};

TEST_F(Health, AllWellIsOkWithExit0) {
    const ProcessResult run = health();
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(firstLine(run.output).rfind("KKT OK - ", 0), 0u) << run.output;
}

TEST_F(Health, FiscalStorageDaysLeftGiveWarningThenCritical) {
    registerTool(path, {"fn", "days", "10"});
    ProcessResult run = health();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(firstLine(run.output).rfind("KKT WARNING - ", 0), 0u) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("Срок действия ФН истекает через 10 дн.")));
    registerTool(path, {"fn", "days", "2"});
    run = health();
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_EQ(firstLine(run.output).rfind("KKT CRITICAL - ", 0), 0u) << run.output;
    // The thresholds come from the sender settings.
    path.host.writeSettings("vorna.cash.atol10.dll", "HealthWarnDays=1\nHealthCritDays=1\n");
    EXPECT_EQ(health().exitCode, 0);
}

TEST_F(Health, UnconfirmedDocumentsOlderThan25DaysAreCritical) {
    queueUnconfirmed(path, 14, 26);
    const ProcessResult run = health();
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_THAT(firstLine(run.output), HasSubstr(utf8("Не переданы в ОФД 14 документов")));
    EXPECT_THAT(firstLine(run.output), HasSubstr(utf8("через 4 дн. ККТ заблокирует чеки")));
}

TEST_F(Health, EachWarningFlagOfTheStorageIsCritical) {
    for (const char* flag : {"need-replacement", "resource-exhausted", "memory-overflow",
                             "ofd-timeout", "critical-error"}) {
        registerTool(path, {"fn", "clear"});
        registerTool(path, {"fn", "flag", flag, "on"});
        const ProcessResult run = health();
        EXPECT_EQ(run.exitCode, 2) << flag << ": " << run.output;
        EXPECT_EQ(firstLine(run.output).rfind("KKT CRITICAL - ", 0), 0u) << run.output;
    }
    registerTool(path, {"fn", "clear"});
    registerTool(path, {"fn", "state", "7"});
    EXPECT_EQ(health().exitCode, 2);
}

TEST_F(Health, NoConnectionIsCritical) {
    registerTool(path, {"fault", "connection-refused"});
    const ProcessResult run = health();
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_THAT(firstLine(run.output), HasSubstr(utf8("Нет связи с ККТ")));
}

TEST_F(Health, ADriverWithoutTheExportIsUnknown) {
    path.host.installDriver("recording_driver", "recording.dll");
    path.host.writeSettings("recording.dll");
    ProcessResult run = health();
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(firstLine(run.output).rfind("KKT UNKNOWN - ", 0), 0u) << run.output;
    run = health({"--json"});
    EXPECT_EQ(run.exitCode, 3);
    const json object = json::parse(firstLine(run.output));
    EXPECT_EQ(object["status"], "unknown");
    EXPECT_TRUE(object["fn_days_left"].is_null());
    EXPECT_TRUE(object["paper"].is_null());
}

TEST_F(Health, JsonHasExactlyTheKeysWithTheRegistersValues) {
    registerTool(path, {"fn", "valid-until", "2031-05-17"});
    registerTool(path, {"fn", "registrations", "11"});
    registerTool(path, {"fn", "flag", "memory-overflow", "on"});
    queueUnconfirmed(path, 3, 5);
    const ProcessResult run = health({"--json"});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    const json object = json::parse(firstLine(run.output));
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
    EXPECT_THAT(
        keys, ::testing::UnorderedElementsAre(
                  "status", "fn_valid_until", "fn_days_left", "fn_registrations_left", "fn_state",
                  "fn_need_replacement", "fn_resource_exhausted", "fn_memory_overflow",
                  "fn_ofd_timeout", "fn_critical_error", "ofd_unsent", "ofd_first_unsent_number",
                  "ofd_first_unsent_at", "ofd_oldest_unsent_days", "shift", "shift_hours", "paper",
                  "library_version", "reasons"));
    EXPECT_EQ(object["status"], "critical");
    EXPECT_EQ(object["fn_valid_until"], "2031-05-17");
    EXPECT_GT(object["fn_days_left"].get<int>(), 1000);
    EXPECT_EQ(object["fn_registrations_left"], 11);
    EXPECT_EQ(object["fn_state"], 3);
    EXPECT_EQ(object["fn_memory_overflow"], true);
    EXPECT_EQ(object["fn_need_replacement"], false);
    EXPECT_EQ(object["ofd_unsent"], 3);
    EXPECT_EQ(object["ofd_first_unsent_number"], 100);
    EXPECT_EQ(object["ofd_first_unsent_at"].get<std::string>().size(), 19u);
    EXPECT_EQ(object["ofd_oldest_unsent_days"], 5);
    EXPECT_EQ(object["shift"], "closed");
    EXPECT_EQ(object["paper"], true);
    ASSERT_EQ(object["reasons"].size(), 2u);
}

TEST(HealthAtTheCounter, FirstPaymentOfTheDayWarnsOnceAndIsRegistered) {
    FullPathHost path({"--ffd", "1.2"});
    registerTool(path, {"fn", "days", "10"});
    // Two payments in one host process: the check comes once.
    const ProcessResult run = path.run(
        {"send",   "--unc",       "4711",     "--sum",  "12345",   "--pair", "SHORT=x",
         "--pair", "TYPE_OPER=P", "--answer", "yes",    "--",      "send",   "--unc",
         "4712",   "--sum",       "12345",    "--pair", "SHORT=x", "--pair", "TYPE_OPER=P"});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(occurrences(run.output, "result: 0"), 2u) << run.output;
    EXPECT_EQ(path.registerFolder.receipts().size(), 2u);
    EXPECT_EQ(occurrences(run.errors, utf8("[Состояние ККТ]")), 1u) << run.errors;
    EXPECT_THAT(run.errors, HasSubstr(utf8("Срок действия ФН истекает через 10 дн.")));
    EXPECT_EQ(occurrences(errorLogText(path), "KKT WARNING"), 1u) << errorLogText(path);
    EXPECT_EQ(occurrences(utf8(path.host.fileText(path.host.operationLog())),
                          utf8("Состояние ККТ: KKT WARNING")),
              1u);
}

TEST(HealthAtTheCounter, WithTheBoxOffWarnsOnlyInTheLogs) {
    FullPathHost path({"--ffd", "1.2"}, "HealthWarnBox=N\n");
    registerTool(path, {"fn", "days", "10"});
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("[Состояние ККТ]"))));
    EXPECT_THAT(errorLogText(path), HasSubstr("KKT WARNING"));
}

TEST(HealthAtTheCounter, HealthCheckOffAsksTheRegisterNothing) {
    FullPathHost path({"--ffd", "1.2"}, "HealthCheck=N\n");
    registerTool(path, {"fn", "days", "10"});
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("[Состояние ККТ]"))));
    const std::vector<std::string> trace = path.registerFolder.traceLines();
    for (int kind :
         {libfptr::fndt::validity, libfptr::fndt::fnInfo, libfptr::fndt::ofdExchangeStatus})
        EXPECT_FALSE(hasLineContaining(trace, ", " + std::to_string(libfptr::param::fnDataType) +
                                                  ", " + std::to_string(kind) + ")"))
            << kind;
    EXPECT_THAT(errorLogText(path), Not(HasSubstr("KKT")));
}

TEST(BlockedStorage, RefusedForTheOperatorIsExplainedAndRegisteredOnceWhenTheLinkIsBack) {
    FullPathHost path({"--ffd", "1.2"}, "PaymentJournal=payments.sqlite\n");
    writeDriverSettings(path);
    openShift(path);
    queueUnconfirmed(path, 2, 31);
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 99) << run.output;
    EXPECT_TRUE(run.newReceipts.empty());
    // The driver's log is in Windows-1251, as the literals here.
    const std::string advice = "восстановите связь с ОФД";
    EXPECT_TRUE(hasLineContaining(driverLogLines(path), "ошибка 137: "));
    EXPECT_TRUE(hasLineContaining(driverLogLines(path), advice));
    EXPECT_THAT(errorLogText(path), HasSubstr(utf8(advice)));
    // The number, the library's own text and what to do.
    EXPECT_THAT(errorLogText(path), HasSubstr(utf8("ошибка ФН 137 [Исчерпан ресурс ФН]: ")));
    registerTool(path, {"ofd", "online"});
    run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_EQ(run.newReceipts.size(), 1u);
    run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_EQ(path.registerFolder.receipts().size(), 1u);
}

TEST(BlockedStorage, AnExpiredStorageRefusesTheReceipt) {
    FullPathHost path({"--ffd", "1.2"});
    openShift(path);
    registerTool(path, {"fn", "days", "0"});
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 99) << run.output;
    EXPECT_TRUE(run.newReceipts.empty());
    EXPECT_THAT(errorLogText(path), HasSubstr(utf8("замените ФН")));
}

// ---------------------------------------------------------------------------
// Unattended hosts (Unattended=Y): no box of either library is asked for, the
// boxes' texts go to error.log, and the host gets the code an attended run
// gets when nobody answers (every box its safe choice).

// The caption of every box the libraries can show, as the box answerer prints it.
const char* const kBoxCaptions[] = {"[Смена закрыта]", "[Смена превысила 24 часа]",
                                    "[Состояние ККТ]", "[Ошибка]",
                                    "[Ошибка!]",       "[Печать подкладного документа]"};

struct UnattendedCase {
    const char* name;
    void (*setUp)(const FullPathHost& path);
    int result;           // the code of both runs
    const char* caption;  // the box the attended run shows
};

const UnattendedCase kUnattendedCases[] = {
    {"closed shift", [](const FullPathHost&) {}, 3, "Смена закрыта"},
    {"shift older than 24 hours",
     [](const FullPathHost& path) {
         openShift(path);
         registerTool(path, {"clock", "+25h"});
     },
     2, "Смена превысила 24 часа"},
    {"health warning",
     [](const FullPathHost& path) {
         openShift(path);
         registerTool(path, {"fn", "days", "10"});
     },
     0, "Состояние ККТ"},
    {"line lost as the receipt closes",
     [](const FullPathHost& path) {
         openShift(path);
         registerTool(path, {"fault", "connection-lost", "--function", "libfptr_close_receipt",
                             "--timing", "after"});
     },
     99, "Ошибка!"},
};

TEST(Unattended, NoBoxIsAskedForAndTheCodesAreThoseOfTheAttendedRun) {
    for (const UnattendedCase& c : kUnattendedCases) {
        SCOPED_TRACE(c.name);
        FullPathHost attended({"--ffd", "1.2"});
        c.setUp(attended);
        const PaymentRun asked = attended.pay();
        EXPECT_EQ(asked.result, c.result) << asked.output;
        EXPECT_THAT(asked.output, HasSubstr(utf8(std::string("[") + c.caption + "]")));

        FullPathHost unattended({"--ffd", "1.2"}, "Unattended=Y\n");
        c.setUp(unattended);
        const PaymentRun run = unattended.pay();
        EXPECT_EQ(run.result, c.result) << run.output;
        EXPECT_EQ(run.newReceipts.size(), asked.newReceipts.size());
        for (const char* caption : kBoxCaptions)
            EXPECT_THAT(run.output, Not(HasSubstr(utf8(caption)))) << run.output;
        EXPECT_THAT(
            errorLogText(unattended),
            HasSubstr(utf8(std::string("Окно не показано (Unattended): [") + c.caption + "]")));
    }
}

// The driver's own setting does the same for the questions it asks.
TEST(Unattended, TheDriversOwnSettingAnswersItsQuestions) {
    FullPathHost path({"--ffd", "1.2"});
    writeDriverSettings(path, "Unattended=Y\n");
    const PaymentRun run = path.pay();
    EXPECT_EQ(run.result, 3) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr(utf8("[Смена закрыта]"))));
    EXPECT_THAT(
        driverLogLines(path),
        Contains("   Окно не показано (Unattended): [Смена закрыта] Открыть смену? - ответ: Нет"));
}

// ---------------------------------------------------------------------------
// The register library's version: the vendor renumbered the newer rates twice,
// so each rate the host asks is handed to the library under that library's
// number, or refused before anything reaches the register when the library
// has no such rate.

struct NdsCase {
    const char* code;
    const char* rate;  // as the register prints and journals it (UTF-8)
    int since;         // the first library 10.10.x that has it (5: every one)
    const char* firstVersion;
};
const NdsCase kNdsCases[] = {
    {"1102", u8"НДС 20%", 5, ""},          {"1103", u8"НДС 10%", 5, ""},
    {"1104", u8"НДС 0%", 5, ""},           {"1105", u8"БЕЗ НДС", 5, ""},
    {"1106", u8"НДС 20/120", 5, ""},       {"1107", u8"НДС 10/110", 5, ""},
    {"2005", u8"НДС 5%", 6, "10.10.6"},    {"2007", u8"НДС 7%", 6, "10.10.6"},
    {"2105", u8"НДС 5/105", 6, "10.10.6"}, {"2107", u8"НДС 7/107", 6, "10.10.6"},
    {"2022", u8"НДС 22%", 8, "10.10.8"},   {"2122", u8"НДС 22/122", 8, "10.10.8"},
};

// One vorna-cash process sending a payment with each of these codes in turn.
ProcessResult payEachCode(const FullPathHost& path, const std::vector<const NdsCase*>& cases) {
    std::vector<std::string> arguments;
    int unc = 5000;
    for (const NdsCase* c : cases) {
        if (!arguments.empty()) arguments.push_back("--");
        arguments.insert(arguments.end(), {"send", "--unc", std::to_string(++unc), "--sum", "12345",
                                           "--pair", "SHORT=x", "--pair", "TYPE_OPER=P", "--pair",
                                           std::string("NDS_CODE=") + c->code});
    }
    return path.run(arguments);
}

// The result codes of the calls, in order.
std::vector<int> printedResults(const std::string& output) {
    std::vector<int> results;
    for (std::size_t at = output.find("result: "); at != std::string::npos;
         at = output.find("result: ", at + 1))
        results.push_back(printedResult(output.substr(at)));
    return results;
}

std::string tapeText(const FullPathHost& path) {
    return path.host.fileText(path.host.path(path.host.work(), "fptr10-tape.txt"));
}

std::string refusal(const NdsCase& c, const std::string& library) {
    return utf8("Ставка ") + c.rate + utf8(" не поддерживается библиотекой ККТ ") + library +
           utf8(": обновите драйвер ККТ до версии ") + c.firstVersion + utf8(" или новее");
}

TEST(LibraryVersions, EveryNdsCodeIsItsRateOrRefusedWithTheReasonOnEachVersion) {
    const std::pair<const char*, int> versions[] = {
        {"10.10.5.0", 5}, {"10.10.6.0", 6}, {"10.10.7.0", 7}, {"10.10.8.0", 8}};
    std::vector<const NdsCase*> all;
    for (const NdsCase& c : kNdsCases) all.push_back(&c);
    for (const auto& version : versions) {
        SCOPED_TRACE(version.first);
        FullPathHost path({"--ffd", "1.2"});
        openShift(path);
        registerTool(path, {"version", version.first});
        const ProcessResult run = payEachCode(path, all);
        const std::vector<int> results = printedResults(run.output);
        ASSERT_EQ(results.size(), all.size()) << run.output << run.errors;
        const std::vector<json> receipts = path.registerFolder.receipts();
        const std::string tape = tapeText(path);
        const std::string errors = errorLogText(path);
        std::size_t registered = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const NdsCase& c = *all[i];
            if (version.second >= c.since) {
                EXPECT_EQ(results[i], 0) << c.code;
                ASSERT_LT(registered, receipts.size()) << c.code;
                const json& receipt = receipts[registered++];
                ASSERT_EQ(receipt["positions"].size(), 1u) << c.code;
                EXPECT_EQ(receipt["positions"][0].value("tax", ""), c.rate) << c.code;
                EXPECT_THAT(tape, HasSubstr(c.rate)) << c.code;
            } else {
                EXPECT_EQ(results[i], 99) << c.code;
                EXPECT_THAT(tape, Not(HasSubstr(c.rate))) << c.code;
                EXPECT_THAT(errors,
                            HasSubstr(refusal(c, std::string(utf8("версии ")) + version.first)))
                    << c.code;
            }
        }
        EXPECT_EQ(registered, receipts.size());
        // Refused before the receipt: none was opened, so none was cancelled.
        EXPECT_THAT(tape, Not(HasSubstr(u8"АННУЛИРОВАН")));
        // The version is asked once for the library's load, whatever the calls made.
        std::size_t asked = 0;
        for (const std::string& line : path.registerFolder.traceLines())
            asked += calledFunction(line) == "libfptr_get_version_string" ? 1 : 0;
        EXPECT_EQ(asked, 1u);
        // Bank IT learns of an older library from error.log; the cashier gets no box for it.
        EXPECT_THAT(run.errors, Not(HasSubstr(utf8("[Состояние ККТ]"))));
        if (version.second < 8) {
            EXPECT_THAT(errors, HasSubstr(utf8("KKT WARNING - Библиотека ККТ версии ") +
                                          version.first + utf8(" не регистрирует ставки ")));
        } else {
            EXPECT_THAT(errors, Not(HasSubstr("KKT WARNING")));
        }
    }
}

TEST(LibraryVersions, UnknownVersionRegistersOneToEightAndRefusesTheRest) {
    FullPathHost path({"--ffd", "1.2"});
    openShift(path);
    registerTool(path, {"version", "build-7"});
    const ProcessResult run = payEachCode(path, {&kNdsCases[3], &kNdsCases[10]});
    EXPECT_EQ(printedResults(run.output), std::vector<int>({0, 99})) << run.output;
    const std::vector<json> receipts = path.registerFolder.receipts();
    ASSERT_EQ(receipts.size(), 1u);
    EXPECT_EQ(receipts[0]["positions"][0].value("tax", ""), kNdsCases[3].rate);
    EXPECT_THAT(errorLogText(path),
                HasSubstr(refusal(kNdsCases[10], utf8("неизвестной версии (\"build-7\")"))));
    const ProcessResult health = path.run({"health", "--json"});
    EXPECT_EQ(health.exitCode, 1) << health.output;
    const json object = json::parse(firstLine(health.output));
    EXPECT_TRUE(object["library_version"].is_null());
    EXPECT_THAT(object["reasons"].dump(), HasSubstr(u8"Версия библиотеки ККТ не определена"));
}

TEST(LibraryVersions, NewerVersionRegistersEveryRateWithTheNewestNumbers) {
    FullPathHost path({"--ffd", "1.2"});
    openShift(path);
    registerTool(path, {"version", "10.11.0.4"});
    const ProcessResult run = payEachCode(path, {&kNdsCases[6], &kNdsCases[11]});
    EXPECT_EQ(printedResults(run.output), std::vector<int>({0, 0})) << run.output;
    const std::vector<json> receipts = path.registerFolder.receipts();
    ASSERT_EQ(receipts.size(), 2u);
    EXPECT_EQ(receipts[0]["positions"][0].value("taxType", 0), libfptr::tax::vat5);
    EXPECT_EQ(receipts[1]["positions"][0].value("tax", ""), kNdsCases[11].rate);
    const ProcessResult health = path.run({"health", "--json"});
    EXPECT_EQ(health.exitCode, 0) << health.output;
    EXPECT_EQ(json::parse(firstLine(health.output))["library_version"], "10.11.0.4");
}

TEST(LibraryVersions, HealthNamesAnOlderVersionAndTheRatesItLacks) {
    FullPathHost path({"--ffd", "1.2"});
    registerTool(path, {"version", "10.10.6.0"});
    ProcessResult run = path.run({"health"});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(firstLine(run.output),
              utf8("KKT WARNING - Библиотека ККТ версии 10.10.6.0 не регистрирует ставки НДС 22%, "
                   "НДС 22/122: обновите драйвер ККТ до версии 10.10.8 или новее."));
    EXPECT_THAT(run.output, HasSubstr(utf8("Версия библиотеки ККТ: 10.10.6.0")));
    run = path.run({"health", "--json"});
    const json object = json::parse(firstLine(run.output));
    EXPECT_EQ(object["status"], "warning");
    EXPECT_EQ(object["library_version"], "10.10.6.0");
    ASSERT_EQ(object["reasons"].size(), 1u);
    EXPECT_THAT(object["reasons"][0].get<std::string>(), HasSubstr(u8"НДС 22%, НДС 22/122"));
    // A fault of the register's own stays what it was, the library's reason beside it.
    registerTool(path, {"fn", "days", "2"});
    run = path.run({"health"});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_THAT(firstLine(run.output), HasSubstr(utf8("Библиотека ККТ версии 10.10.6.0")));
}

TEST(LibraryVersions, ARefusedRateIsRefusedInThePaymentJournal) {
    FullPathHost path({"--ffd", "1.2"}, "PaymentJournal=payments.sqlite\n");
    openShift(path);
    registerTool(path, {"version", "10.10.7.0"});
    PaymentRun run = path.pay({"NDS_CODE=2022"});
    EXPECT_EQ(run.result, 99) << run.output;
    EXPECT_TRUE(run.newReceipts.empty());
    const ProcessResult listed = path.run({"journal", "--unc", "4711"});
    EXPECT_THAT(listed.output, HasSubstr("state=refused")) << listed.output;
    // Sent again after the library's update, it is registered once.
    registerTool(path, {"version", "10.10.8.0"});
    run = path.pay({"NDS_CODE=2022"});
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_EQ(run.newReceipts[0]["positions"][0].value("tax", ""), kNdsCases[10].rate);
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
