#include "tests/emulator/emulator_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "emulator/state_store.h"

namespace fs = std::filesystem;

namespace vorna {
namespace emulator_test {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// ---- Device -------------------------------------------------------------------

Device::Device() { EXPECT_EQ(0, lib().libfptr_create(&handle_)); }

Device::~Device() { lib().libfptr_destroy(&handle_); }

void Device::setInt(int id, int value) { lib().libfptr_set_param_int(handle_, id, value); }
void Device::setBool(int id, bool value) {
    lib().libfptr_set_param_bool(handle_, id, value ? 1 : 0);
}
void Device::setDouble(int id, double value) { lib().libfptr_set_param_double(handle_, id, value); }
void Device::setText(int id, const std::string& utf8) {
    lib().libfptr_set_param_str(handle_, id, platform::utf8ToWide(utf8).c_str());
}
void Device::setBytes(int id, const std::string& bytes) {
    lib().libfptr_set_param_bytearray(handle_, id,
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
}
int Device::getInt(int id) { return lib().libfptr_get_param_int(handle_, id); }
bool Device::getBool(int id) { return lib().libfptr_get_param_bool(handle_, id) != 0; }
double Device::getDouble(int id) { return lib().libfptr_get_param_double(handle_, id); }

std::string Device::getDateTime(int id) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    lib().libfptr_get_param_datetime(handle_, id, &year, &month, &day, &hour, &minute, &second);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return stamp;
}

std::string Device::getText(int id) {
    std::wstring buffer(8, L'\0');
    int needed = lib().libfptr_get_param_str(handle_, id, &buffer[0], 8);
    if (needed > 8) {
        buffer.assign(needed, L'\0');
        lib().libfptr_get_param_str(handle_, id, &buffer[0], needed);
    }
    return platform::wideToUtf8(buffer.c_str());
}

std::string Device::getBytes(int id) {
    std::string buffer(4, '\0');
    int size = lib().libfptr_get_param_bytearray(handle_, id,
                                                 reinterpret_cast<unsigned char*>(&buffer[0]), 4);
    if (size > 4) {
        buffer.assign(size, '\0');
        lib().libfptr_get_param_bytearray(handle_, id, reinterpret_cast<unsigned char*>(&buffer[0]),
                                          size);
    }
    buffer.resize(size > 0 ? size : 0);
    return buffer;
}

std::string Device::errorText() {
    std::wstring buffer(16, L'\0');
    int needed = lib().libfptr_error_description(handle_, &buffer[0], 16);
    if (needed > 16) {
        buffer.assign(needed, L'\0');
        lib().libfptr_error_description(handle_, &buffer[0], needed);
    }
    return platform::wideToUtf8(buffer.c_str());
}

int Device::outcome(int result) {
    return result == -1 ? lib().libfptr_error_code(handle_) : result;
}

int Device::connect() { return outcome(lib().libfptr_open(handle_)); }

int Device::query(int dataType) {
    setInt(param::dataType, dataType);
    return outcome(lib().libfptr_query_data(handle_));
}

int Device::fnQuery(int kind) {
    setInt(param::fnDataType, kind);
    return outcome(lib().libfptr_fn_query_data(handle_));
}

int Device::login(const std::string& cashier, const std::string& inn) {
    setText(1021, cashier);
    setText(1203, inn);
    return outcome(lib().libfptr_operator_login(handle_));
}

int Device::openShift(const std::string& cashier) {
    login(cashier);
    return outcome(lib().libfptr_open_shift(handle_));
}

int Device::openReceipt(int type, bool electronic, const std::string& contact) {
    setInt(param::receiptType, type);
    if (electronic) setBool(param::receiptElectronically, true);
    if (!contact.empty()) setText(1008, contact);
    return outcome(lib().libfptr_open_receipt(handle_));
}

int Device::position(const std::string& name, double price, int taxType, bool ffd12) {
    setText(param::commodityName, name);
    setDouble(param::price, price);
    setDouble(param::quantity, 1.0);
    setInt(param::taxType, taxType);
    setInt(1212, 4);
    setInt(1214, 4);
    if (ffd12) setInt(2108, 0);
    return outcome(lib().libfptr_registration(handle_));
}

int Device::pay(int type, double sum) {
    setInt(param::paymentType, type);
    setDouble(param::paymentSum, sum);
    return outcome(lib().libfptr_payment(handle_));
}

int Device::close() { return outcome(lib().libfptr_close_receipt(handle_)); }

int Device::report(int type) {
    setInt(param::reportType, type);
    return outcome(lib().libfptr_report(handle_));
}

int Device::cashIncome(double sum) {
    setDouble(param::sum, sum);
    return outcome(lib().libfptr_cash_income(handle_));
}

int Device::cashOutcome(double sum) {
    setDouble(param::sum, sum);
    return outcome(lib().libfptr_cash_outcome(handle_));
}

int Device::printText(const std::string& utf8) {
    setText(param::text, utf8);
    return outcome(lib().libfptr_print_text(handle_));
}

int Device::cashSale(const std::string& name, double price, int taxType, bool ffd12) {
    if (int e = openReceipt(1)) return e;
    if (int e = position(name, price, taxType, ffd12)) return e;
    if (int e = pay(0, price)) return e;
    return close();
}

// ---- EmulatorTest -----------------------------------------------------------------

void EmulatorTest::SetUp() {
    std::random_device random;
    dir_ = (fs::temp_directory_path() /
            ("vorna-fptr10-" + std::to_string(random()) + "-" + std::to_string(random())))
               .string();
    fs::create_directories(dir_);
    hadDir_ = platform::environmentVariable("FPTR10_EMULATOR_DIR", savedDir_);
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", dir_);
}

void EmulatorTest::TearDown() {
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", hadDir_ ? savedDir_ : "");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string EmulatorTest::file(const std::string& name) const {
    return (fs::path(dir_) / name).string();
}

json EmulatorTest::state() const {
    std::string text = readFile(file(emulator::kStateFileName));
    if (text.empty()) return emulator::defaultState();
    return json::parse(text);
}

void EmulatorTest::editState(const std::function<void(json&)>& change) const {
    emulator::StateSession session(dir_);
    ASSERT_TRUE(session.ok()) << session.problem();
    change(session.state());
    ASSERT_TRUE(session.save());
}

std::vector<json> EmulatorTest::journal() const {
    std::vector<json> entries;
    std::istringstream in(readFile(file(emulator::kJournalFileName)));
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) entries.push_back(json::parse(line));
    return entries;
}

std::string EmulatorTest::tape() const { return readFile(file(emulator::kTapeFileName)); }

std::vector<std::string> EmulatorTest::traceLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(file(emulator::kTraceFileName)));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

int EmulatorTest::runProgram(const std::string& program, const std::string& arguments,
                             std::string* output) const {
    const std::string out = file("program-output.txt");
    const std::string command =
        "\"" + binFile(program + EXECUTABLE_SUFFIX) + "\" " + arguments + " > \"" + out + "\" 2>&1";
    // cmd.exe strips the outer quotes of a command that begins with one.
    const std::string shellCommand =
        platform::pathSeparator() == '\\' ? "\"" + command + "\"" : command;
    int rc = std::system(shellCommand.c_str());
    if (output) *output = readFile(out);
    return platform::systemExitCode(rc);
}

int EmulatorTest::runTool(const std::string& arguments, std::string* output) const {
    return runProgram("fptr10-emulator", "--dir \"" + dir_ + "\" " + arguments, output);
}

}  // namespace emulator_test
}  // namespace vorna
