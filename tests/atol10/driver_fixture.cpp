#include "tests/atol10/driver_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/library_version.h"
#include "cash/atol10/settings_values.h"

namespace vorna {
namespace atol10_test {

namespace {

std::deque<int>& pendingAnswers() {
    static std::deque<int> answers;
    return answers;
}

std::vector<ShownBox>& boxes() {
    static std::vector<ShownBox> shown;
    return shown;
}

int answerBox(const std::string& text, const std::string& caption, platform::Buttons buttons,
              platform::Icon icon) {
    boxes().push_back(ShownBox{text, caption, buttons, icon});
    if (pendingAnswers().empty()) {
        ADD_FAILURE() << "unexpected message box: " << platform::cp1251ToUtf8(text);
        return platform::cancel;
    }
    const int answer = pendingAnswers().front();
    pendingAnswers().pop_front();
    return answer;
}

bool fixedLocalTime(platform::DateTime& out) {
    out = platform::DateTime();
    out.year = 2019;
    out.month = 3;
    out.day = 7;
    out.hour = 14;
    out.minute = 5;
    out.second = 31;
    out.weekday = 4;
    return true;
}

const char* const kLogPrefix = "[2019-03-07 14:05:31] [WRN] ";

}  // namespace

void resetDriverSettings() {
    cash::Config& c = cash::Config::instance();
    c.turnFiscal = 0;
    c.usePrinterFiscal = 0;
    c.maxCashStringLength = 20;
    c.logPath.clear();
    c.useLog.clear();
    c.port = cash::PortSettings("AUTO", 115200, 8, 0, 0);
    c.getSessionStateFromFlags = 0;
    c.dontCheckSessionOver = 0;
    c.taxTypeNumber = 4;
    c.typeOplNumber = 0;
    c.linesBeforeCut = -1;
    c.cashlessTypeClose = 1;
    c.cashierInn.clear();
    c.autoShift = "N";
    c.regInfoLog = "N";
    c.tag1057 = 0;
}

void DriverTest::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A test that starts afresh within itself calls SetUp again.
    if (!dir_.empty()) removeDirectory(dir_);
    dir_ = freshDirectory(std::string(info->test_suite_name()) + "-" + info->name());
    emulatorDir_ = joinPath(dir_, "register");
    logDir_ = joinPath(dir_, "log");
    std::filesystem::create_directories(emulatorDir_);
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", emulatorDir_);
    platform::setEnvironmentVariable("USERPROFILE", joinPath(dir_, "profile"));

    nlohmann::json state = readState();
    state["trace"] = true;
    state["shift"] = {{"open", true}, {"number", 1}, {"openedAt", platform::unixTime() - 3600}};
    writeState(state);

    resetDriverSettings();
    cash::Config::instance().useLog = "Y";
    cash::Config::instance().logPath = logDir_;
    platform::createDirectory(logDir_);

    pendingAnswers().clear();
    boxes().clear();
    platform::SystemCalls calls;
    calls.messageBox = &answerBox;
    calls.localTime = &fixedLocalTime;
    platform::setSystemCalls(calls);
    cash::atol10::ffdVersion = 0;
    // Each test's register is a library loaded afresh, of the version its state names.
    cash::atol10::fptr10::forgetLibraryVersion();
}

void DriverTest::TearDown() {
    cash_.reset();
    EXPECT_TRUE(pendingAnswers().empty()) << "message boxes expected but not shown";
    platform::setSystemCalls(platform::SystemCalls());
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", "");
    // A failed test leaves its files to look at.
    if (!HasFailure()) removeDirectory(dir_);
}

nlohmann::json DriverTest::readState() {
    std::ifstream in(joinPath(emulatorDir_, "fptr10-state.json"), std::ios::binary);
    if (!in) return nlohmann::json::object();
    return nlohmann::json::parse(in);
}

void DriverTest::writeState(const nlohmann::json& state) {
    writeFile(joinPath(emulatorDir_, "fptr10-state.json"), state.dump(2) + "\n");
}

std::vector<nlohmann::json> DriverTest::journal() {
    std::vector<nlohmann::json> entries;
    for (const std::string& line : readLines(joinPath(emulatorDir_, "fptr10-journal.jsonl")))
        if (!line.empty()) entries.push_back(nlohmann::json::parse(line));
    return entries;
}

std::vector<std::string> DriverTest::takeTrace() {
    const std::string path = joinPath(emulatorDir_, "fptr10-trace.log");
    std::vector<std::string> lines;
    static const std::regex instance("#[0-9]+");
    for (const std::string& line : readLines(path))
        lines.push_back(platform::utf8ToCp1251(std::regex_replace(line, instance, "#h")));
    writeFile(path, "");
    return lines;
}

std::string DriverTest::logFileText() {
    std::ifstream in(joinPath(joinPath(logDir_, "Quorvale"), "mirel_2019-03-07.log"),
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> DriverTest::takeLog() {
    const std::string path = joinPath(joinPath(logDir_, "Quorvale"), "mirel_2019-03-07.log");
    std::vector<std::string> lines;
    for (const std::string& line : readLines(path)) {
        EXPECT_EQ(0u, line.find(kLogPrefix)) << line;
        lines.push_back(line.compare(0, std::strlen(kLogPrefix), kLogPrefix) == 0
                            ? line.substr(std::strlen(kLogPrefix))
                            : line);
    }
    writeFile(path, "");
    return lines;
}

cash::atol10::Cash& DriverTest::cash() {
    if (!cash_) {
        cash_.reset(new cash::atol10::Cash());
        takeTrace();
        takeLog();
    }
    return *cash_;
}

void DriverTest::answerBoxes(std::initializer_list<int> answers) {
    pendingAnswers().insert(pendingAnswers().end(), answers.begin(), answers.end());
}

std::vector<ShownBox> DriverTest::shownBoxes() const { return boxes(); }

}  // namespace atol10_test
}  // namespace vorna
