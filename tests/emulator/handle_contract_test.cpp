// The library's contract on handles: every call checks the handle it gets,
// libfptr_destroy takes the address of the handle variable, and every breach
// is refused and recorded as a contract violation (trace line, violations
// file, the tool's report).
#include <memory>
#include <sstream>

#include "emulator/instance.h"
#include "emulator/state_store.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class HandleContractTest : public EmulatorTest {
protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        editState([](json& s) { s["trace"] = true; });
    }
    std::vector<std::string> violations() const {
        std::vector<std::string> lines;
        std::istringstream in(readFile(file(emulator::kViolationsFileName)));
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> tracedViolations() const {
        std::vector<std::string> found;
        for (const std::string& line : traceLines())
            if (line.rfind("CONTRACT VIOLATION", 0) == 0) found.push_back(line);
        return found;
    }
    Fptr10Library& lib() { return library(); }
};

TEST_F(HandleContractTest, AFullSessionLeavesNoViolation) {
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
        ASSERT_EQ(0, d.cashSale("a", 10));
        EXPECT_EQ(0, d.report(0));
    }
    EXPECT_TRUE(violations().empty());
    EXPECT_TRUE(tracedViolations().empty());
    std::string out;
    EXPECT_EQ(0, runTool("violations", &out));
    EXPECT_NE(std::string::npos, out.find("no contract violations")) << out;
}

TEST_F(HandleContractTest, DestroyTakesTheAddressOfTheVariableAndClearsIt) {
    libfptr_handle h = nullptr;
    ASSERT_EQ(0, lib().libfptr_create(&h));
    ASSERT_NE(nullptr, h);
    lib().libfptr_destroy(&h);
    EXPECT_EQ(nullptr, h);
    EXPECT_TRUE(violations().empty());
}

TEST_F(HandleContractTest, AHandleTheLibraryDidNotCreateIsRefused) {
    int foreign = 0;
    EXPECT_EQ(-1, lib().libfptr_open(&foreign));
    EXPECT_EQ(490, lib().libfptr_error_code(&foreign));
    EXPECT_EQ(-1, lib().libfptr_query_data(nullptr));
    EXPECT_EQ(0, lib().libfptr_is_opened(nullptr));
    lib().libfptr_set_param_int(&foreign, param::dataType, dt::status);
    const std::vector<std::string> lines = violations();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(0u, lines[0].find("CONTRACT VIOLATION in libfptr_open: a handle the library did "
                                "not create ("))
        << lines[0];
    EXPECT_EQ("CONTRACT VIOLATION in libfptr_query_data: a null handle", lines[2]);
    EXPECT_EQ(0u, lines[4].find("CONTRACT VIOLATION in libfptr_set_param_int: ")) << lines[4];
    EXPECT_EQ(lines, tracedViolations());
    std::string out;
    EXPECT_NE(0, runTool("violations", &out)) << "violations are a failure of the caller";
    EXPECT_NE(std::string::npos, out.find(lines[0])) << out;
    ASSERT_EQ(0, runTool("show", &out));
    EXPECT_NE(std::string::npos, out.find("\"contractViolations\": 5")) << out;
    ASSERT_EQ(0, runTool("init", &out));
    EXPECT_TRUE(violations().empty()) << "init starts a clean record";
}

TEST_F(HandleContractTest, AHandleAlreadyDestroyedIsRefused) {
    libfptr_handle h = nullptr, copy = nullptr;
    ASSERT_EQ(0, lib().libfptr_create(&h));
    copy = h;
    lib().libfptr_destroy(&h);
    EXPECT_EQ(-1, lib().libfptr_open(copy));
    ASSERT_EQ(1u, violations().size());
    EXPECT_EQ(0u, violations()[0].find("CONTRACT VIOLATION in libfptr_open: a handle already "
                                       "destroyed ("))
        << violations()[0];
    lib().libfptr_destroy(&copy);
    ASSERT_EQ(2u, violations().size());
    EXPECT_EQ(0u, violations()[1].find("CONTRACT VIOLATION in libfptr_destroy: the address of a "
                                       "variable holding a handle already destroyed"))
        << violations()[1];
}

TEST_F(HandleContractTest, DestroyGivenTheHandleItselfIsRefusedAndTheInstanceLives) {
    // What a binding that passes the handle value does.
    libfptr_handle h = nullptr;
    ASSERT_EQ(0, lib().libfptr_create(&h));
    lib().libfptr_destroy(reinterpret_cast<libfptr_handle*>(h));
    ASSERT_EQ(1u, violations().size());
    EXPECT_NE(std::string::npos,
              violations()[0].find("CONTRACT VIOLATION in libfptr_destroy: the handle itself (#"))
        << violations()[0];
    EXPECT_NE(std::string::npos,
              violations()[0].find(") instead of the address of the handle variable"));
    EXPECT_EQ(0, lib().libfptr_open(h)) << "the instance was not destroyed";
    lib().libfptr_destroy(&h);
    EXPECT_EQ(nullptr, h);
    EXPECT_EQ(1u, violations().size());
    // Once destroyed, the value given again must not be read either.
    libfptr_handle stale = nullptr;
    ASSERT_EQ(0, lib().libfptr_create(&stale));
    libfptr_handle value = stale;
    lib().libfptr_destroy(&stale);
    lib().libfptr_destroy(reinterpret_cast<libfptr_handle*>(value));
    ASSERT_EQ(2u, violations().size());
}

TEST_F(HandleContractTest, AVariableMadeAfterADestroyHoldsItsHandleWithoutViolation) {
    // The caller's objects made after a destroy may be given the memory the
    // instance had: a handle variable inside one is the caller's own.
    libfptr_handle first = nullptr;
    ASSERT_EQ(0, lib().libfptr_create(&first));
    lib().libfptr_destroy(&first);
    constexpr std::size_t kSlots = sizeof(emulator::Instance) / sizeof(libfptr_handle);
    std::vector<std::unique_ptr<libfptr_handle[]>> objects;
    for (int i = 0; i < 16; ++i) objects.emplace_back(new libfptr_handle[kSlots]());
    for (const auto& object : objects) {
        ASSERT_EQ(0, lib().libfptr_create(object.get()));
        lib().libfptr_destroy(object.get());
        EXPECT_EQ(nullptr, object[0]);
    }
    EXPECT_EQ(std::vector<std::string>(), violations());
}

TEST_F(HandleContractTest, NullPointersToCreateAndDestroyAreRefused) {
    EXPECT_EQ(-1, lib().libfptr_create(nullptr));
    lib().libfptr_destroy(nullptr);
    libfptr_handle none = nullptr;
    lib().libfptr_destroy(&none);
    const std::vector<std::string> lines = violations();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(
        "CONTRACT VIOLATION in libfptr_create: a null pointer instead of the address of the "
        "handle variable",
        lines[0]);
    EXPECT_EQ(
        "CONTRACT VIOLATION in libfptr_destroy: a null pointer instead of the address of "
        "the handle variable",
        lines[1]);
    EXPECT_EQ(
        "CONTRACT VIOLATION in libfptr_destroy: the address of a variable holding a null "
        "handle",
        lines[2]);
}

TEST_F(HandleContractTest, LegacyConventionRefusesWithItsNumber) {
    editState([](json& s) { s["errors"] = "legacy"; });
    int foreign = 0;
    EXPECT_EQ(-3890, lib().libfptr_open(&foreign));
    EXPECT_EQ(-3890, lib().libfptr_error_code(&foreign));
    EXPECT_EQ(2u, violations().size());
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
