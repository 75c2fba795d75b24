// The built driver library through its three entry points, loaded as a host
// loads it: settings beside it read at load, the emulated register reached by
// the register library's bare name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cash/shared/ICash.h"
#include "common/platform/platform.h"
#include "tests/atol10/test_files.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;
using CreateObjectFn = cash::ICash* (*)();
using CreateObjectWithIniFn = cash::ICash* (*)(const char*);
using DestroyObjectFn = void (*)(cash::ICash*);

// Set for the run in which the register library cannot be loaded.
bool registerLibraryHidden() {
    std::string value;
    return platform::environmentVariable("VORNA_ATOL10_HIDE_REGISTER", value) && value == "1";
}

bool has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class DriverLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The run without the register may go on at the same time: a folder of its own.
        const std::string run = registerLibraryHidden() ? "exports-hidden-" : "exports-";
        dir_ = freshDirectory(run + info->test_suite_name() + "-" + info->name());
        std::string binDir;
        ASSERT_TRUE(platform::environmentVariable("VORNA_BIN_DIR", binDir));
        // A copy of its own, so that every test loads the library afresh.
        libraryPath_ = joinPath(dir_, VORNA_ATOL10_LIBRARY_FILE);
        std::filesystem::copy_file(joinPath(binDir, VORNA_ATOL10_LIBRARY_FILE), libraryPath_);
        registerDir_ = joinPath(dir_, "register");
        logDir_ = joinPath(dir_, "log");
        std::filesystem::create_directories(registerDir_);
        std::filesystem::create_directories(joinPath(joinPath(dir_, "profile"), "Windows"));
        platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", registerDir_);
        platform::setEnvironmentVariable("USERPROFILE", joinPath(dir_, "profile"));
        writeFile(joinPath(registerDir_, "fptr10-state.json"), R"({"trace": true})");
    }

    // A failed test leaves its files to look at.
    void TearDown() override {
        if (!HasFailure()) removeDirectory(dir_);
    }

    void writeDriverSettings(const std::string& extra) {
        writeFile(joinPath(dir_, "vorna.cash.atol10.ini"),
                  "LogPath=" + logDir_ + "\r\nUseLog=Y\r\n" + extra);
    }

    // Loads the copy; null when the system refused it.
    bool load() {
        library_ = platform::loadLibrary(libraryPath_);
        if (library_ == nullptr) return false;
        create_ = reinterpret_cast<CreateObjectFn>(platform::findSymbol(library_, "CreateObject"));
        createWithIni_ = reinterpret_cast<CreateObjectWithIniFn>(
            platform::findSymbol(library_, "CreateObjectWithIni"));
        destroy_ =
            reinterpret_cast<DestroyObjectFn>(platform::findSymbol(library_, "DestroyObject"));
        return create_ != nullptr && createWithIni_ != nullptr && destroy_ != nullptr;
    }

    // The driver log's lines without their stamp and level.
    Lines driverLog() {
        Lines lines;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(joinPath(logDir_, "Quorvale"), error)) {
            for (const std::string& line : readLines(entry.path().string()))
                lines.push_back(line.size() >= 28 ? line.substr(28) : line);
        }
        return lines;
    }

    Lines trace() {
        Lines lines;
        for (const std::string& line : readLines(joinPath(registerDir_, "fptr10-trace.log")))
            lines.push_back(platform::utf8ToCp1251(line));
        return lines;
    }

    std::vector<nlohmann::json> receipts() {
        std::vector<nlohmann::json> found;
        for (const std::string& line : readLines(joinPath(registerDir_, "fptr10-journal.jsonl"))) {
            if (line.empty()) continue;
            nlohmann::json entry = nlohmann::json::parse(line);
            if (entry.value("type", "") == "receipt") found.push_back(entry);
        }
        return found;
    }

    std::string dir_;
    std::string libraryPath_;
    std::string registerDir_;
    std::string logDir_;
    platform::LibraryHandle library_ = nullptr;
    CreateObjectFn create_ = nullptr;
    CreateObjectWithIniFn createWithIni_ = nullptr;
    DestroyObjectFn destroy_ = nullptr;
};

TEST_F(DriverLibrary, PaymentRegistersOneReceipt) {
    if (registerLibraryHidden()) GTEST_SKIP() << "needs the register library";
    writeDriverSettings("AutoShift=Y\r\nTaxTypeNumber=6\r\n");
    ASSERT_TRUE(load());
    cash::ICash* object = create_();
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(0, object->CheckKKT());
    EXPECT_EQ(1, object->IsSessionOpen());
    object->SetTaxType(6);
    object->SetPaymentType(0);
    EXPECT_EQ(0, object->SetParameters({{"CASHIER_NAME", "Иванова"},
                                        {"SERVICE_NAME", "Оплата услуг"},
                                        {"PU_INN", "7709876543"},
                                        {"PU_NAME", "ООО Поставщик"}}));
    EXPECT_EQ(0, object->CheckState());
    EXPECT_EQ(0, object->NewCheck(1));
    EXPECT_EQ(0, object->Print("Перевод № 17"));
    EXPECT_EQ(0, object->RegisterSale("", 150000, 1000, 0, 0));
    EXPECT_EQ(0, object->CloseCheck(150000, 1));
    object->EndOperation();
    object->Finish();
    destroy_(object);

    const std::vector<nlohmann::json> found = receipts();
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(1500, found[0]["total"].get<double>());
    ASSERT_EQ(1u, found[0]["positions"].size());
    EXPECT_EQ(6, found[0]["positions"][0]["taxType"].get<int>());
    EXPECT_EQ(platform::cp1251ToUtf8("Оплата услуг"),
              found[0]["positions"][0]["name"].get<std::string>());
    const Lines calls = trace();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(0u, calls.front().find("libfptr_create(&#"));
    EXPECT_EQ(0u, calls.back().find("libfptr_destroy(&#"));
    const Lines log = driverLog();
    EXPECT_TRUE(has(log, "   AutoShift = Y"));
    EXPECT_TRUE(has(log, "   LoadLibrary OK"));
    EXPECT_TRUE(has(log, "   TaxTypeNumber: 6(Налог был передан параметром) "));
    EXPECT_FALSE(platform::freeLibrary(library_) == false);
}

// An object's log stays open for its life (its user's one call): a rotation
// by another program takes the object's later lines, and the next object
// starts the day file again under its name.
TEST_F(DriverLibrary, AnObjectsLaterLinesFollowARotatedLogTheNextStartsItAgain) {
    if (registerLibraryHidden()) GTEST_SKIP() << "needs the register library";
    writeDriverSettings("");
    ASSERT_TRUE(load());
    cash::ICash* object = create_();
    ASSERT_NE(nullptr, object);
    const std::string folder = joinPath(logDir_, "Quorvale");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().string());
    ASSERT_EQ(1u, files.size());
    const std::string dayFile = files[0];
    const std::string rotated = joinPath(folder, "rotated.log");
    const std::size_t linesBefore = readLines(dayFile).size();
    std::filesystem::rename(dayFile, rotated);
    EXPECT_EQ(0, object->CheckKKT());
    destroy_(object);
    EXPECT_FALSE(std::filesystem::exists(dayFile));
    EXPECT_GT(readLines(rotated).size(), linesBefore);

    object = create_();
    ASSERT_NE(nullptr, object);
    destroy_(object);
    EXPECT_TRUE(std::filesystem::exists(dayFile));
}

TEST_F(DriverLibrary, SettingsThatCannotBeReadFailTheLoad) {
    writeDriverSettings("BaudRate=fast\r\n");
    const bool loaded = load();
    if (VORNA_LOAD_CAN_FAIL) {
        EXPECT_FALSE(loaded);
    } else {
        ASSERT_TRUE(loaded);
        EXPECT_EQ(nullptr, create_());
        EXPECT_EQ(nullptr, createWithIni_("vorna.cash.sender.ini"));
    }
    const Lines log = driverLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ("   Ошибка чтения vorna.cash.atol10.ini GLOBAL", log.back());
}

TEST_F(DriverLibrary, NamedSettingsThatThrowLeaveNoObjectBehind) {
    if (registerLibraryHidden()) GTEST_SKIP() << "needs the register library";
    writeDriverSettings("");
    writeFile(joinPath(joinPath(joinPath(dir_, "profile"), "Windows"), "code.ini"),
              "Tag1057=agent\r\n");
    ASSERT_TRUE(load());
    bool thrown = false;
    try {
        createWithIni_("code.ini");
    } catch (const std::exception&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    const Lines calls = trace();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(0u, calls[1].find("libfptr_close(#"));
    EXPECT_EQ(0u, calls[2].find("libfptr_destroy(&#"));
    EXPECT_TRUE(has(driverLog(), "   ***** Чтение из code.ini *****"));
}

TEST_F(DriverLibrary, WithoutTheRegisterLibraryObjectsStillComeAndGo) {
    if (!registerLibraryHidden()) GTEST_SKIP() << "runs with the register library hidden";
    writeDriverSettings("");
    writeFile(joinPath(joinPath(joinPath(dir_, "profile"), "Windows"), "code.ini"),
              "Tag1057=agent\r\n");
    ASSERT_TRUE(load());
    cash::ICash* object = create_();
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(1, object->CheckKKT());
    char* info = nullptr;
    EXPECT_EQ(0, object->GetInfoKKT(&info));
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ("||", info);
    std::free(info);  // the caller owns the text
    destroy_(object);
    cash::ICash* second = createWithIni_("code.ini");  // not read without the library
    ASSERT_NE(nullptr, second);
    destroy_(second);
    const Lines log = driverLog();
    EXPECT_TRUE(has(log, "   LoadLibrary Error  = -1"));
    EXPECT_TRUE(has(log, "   atol10->hModule=NULL"));
    EXPECT_FALSE(has(log, "   ***** Чтение из code.ini *****"));
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
