// A fixture for the driver's in-process tests: a fresh emulated register with
// its call trace on, driver settings reset to their defaults with the log in a
// folder of the test, a fixed clock and message boxes answered from a queue.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cash/atol10/cash.h"
#include "common/platform/platform.h"
#include "tests/atol10/test_files.h"
#include "tests/library_numbers.h"

namespace vorna {
namespace atol10_test {

using namespace ::vorna::library_numbers;

struct ShownBox {
    std::string text;
    std::string caption;
    platform::Buttons buttons;
    platform::Icon icon;
    bool operator==(const ShownBox& other) const {
        return text == other.text && caption == other.caption && buttons == other.buttons &&
               icon == other.icon;
    }
};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The register's state file, read and written as it is between calls.
    nlohmann::json readState();
    void writeState(const nlohmann::json& state);
    template <class Change>
    void changeState(Change change) {
        nlohmann::json state = readState();
        change(state);
        writeState(state);
    }
    // The register reports failures with the older library generation's
    // direct numbers (-3807, -11, ...) instead of -1 and libfptr_error_code.
    void useLegacyErrors() {
        changeState([](nlohmann::json& s) { s["errors"] = "legacy"; });
    }
    // Journal entries of the register (documents made).
    std::vector<nlohmann::json> journal();

    // The trace lines since the last call (texts in Windows-1251, instance numbers as #h).
    std::vector<std::string> takeTrace();
    // The driver log lines since the last call, without their time and level prefix.
    std::vector<std::string> takeLog();
    // The whole log file as it is on disk.
    std::string logFileText();

    // Creates the driver object (loads the emulated library) and forgets the
    // trace and log of its creation.
    cash::atol10::Cash& cash();
    void destroyCash() { cash_.reset(); }

    // Answers for the next message boxes, in order.
    void answerBoxes(std::initializer_list<int> answers);
    std::vector<ShownBox> shownBoxes() const;

    std::string dir_;
    std::string emulatorDir_;
    std::string logDir_;

private:
    std::unique_ptr<cash::atol10::Cash> cash_;
    std::size_t traceRead_ = 0;
    std::size_t logRead_ = 0;
};

// Resets every driver setting to its default value.
void resetDriverSettings();

}  // namespace atol10_test
}  // namespace vorna
