// A fresh emulator directory per test, a wrapper of one library instance, and
// readers of what the register wrote (state, journal, tape, trace).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/emulator/fptr10_library.h"
#include "tests/library_numbers.h"

namespace vorna {
namespace emulator_test {

using nlohmann::json;

using namespace ::vorna::library_numbers;

// One library instance (created on construction, destroyed at the end).
class Device {
public:
    Device();
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    libfptr_handle handle() const { return handle_; }
    Fptr10Library& lib() const { return library(); }

    void setInt(int id, int value);
    void setBool(int id, bool value);
    void setDouble(int id, double value);
    void setText(int id, const std::string& utf8);
    void setBytes(int id, const std::string& bytes);
    int getInt(int id);
    bool getBool(int id);
    double getDouble(int id);
    std::string getText(int id);
    // A date-time parameter as "YYYY-MM-DD HH:MM:SS".
    std::string getDateTime(int id);
    std::string getBytes(int id);
    // The description of the last error, UTF-8.
    std::string errorText();
    // A register operation's result as the tests compare it: 0, the failure
    // number libfptr_error_code gives when the operation returned -1, or any
    // other result as it is (the older convention's direct numbers).
    int outcome(int result);
    // An operation without parameters, e.g. call(lib().libfptr_cut).
    int call(int(LIBFPTR_CALL* operation)(libfptr_handle)) { return outcome(operation(handle_)); }

    int connect();  // applies no settings; libfptr_open
    int query(int dataType);
    int fnQuery(int kind);
    int login(const std::string& cashier, const std::string& inn = "");
    int openShift(const std::string& cashier = u8"Иванова");
    int openReceipt(int type, bool electronic = false, const std::string& contact = "");
    // One position with the driver's tags (2108 only when ffd12).
    int position(const std::string& name, double price, int taxType, bool ffd12 = false);
    int pay(int type, double sum);
    int close();
    int report(int type);
    int cashIncome(double sum);
    int cashOutcome(double sum);
    int printText(const std::string& utf8);

    // A cash sale receipt of one position: open, register, pay, close; the
    // first failing result or 0.
    int cashSale(const std::string& name, double price, int taxType = 7, bool ffd12 = false);

private:
    libfptr_handle handle_ = nullptr;
};

class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string file(const std::string& name) const;
    json state() const;
    // Changes the state file as the tool does (under the register's lock).
    void editState(const std::function<void(json&)>& change) const;
    std::vector<json> journal() const;
    std::string tape() const;
    std::vector<std::string> traceLines() const;
    // Runs the fptr10-emulator tool on this directory as a second process;
    // returns its exit code and its output (stdout and stderr).
    int runTool(const std::string& arguments, std::string* output = nullptr) const;
    // Runs a program of the bin directory with arguments; exit code.
    int runProgram(const std::string& program, const std::string& arguments,
                   std::string* output = nullptr) const;

    std::string dir_;
    std::string savedDir_;
    bool hadDir_ = false;
};

std::string readFile(const std::string& path);

}  // namespace emulator_test
}  // namespace vorna
