// The exception family: context, messages, the inner exception's lifetime
// and the last system error.
#include "common/app_exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common_test_support.h"

namespace vorna {
namespace {

// Counts how many of its objects are alive and how many were destroyed.
class CountedException : public app_exception {
public:
    explicit CountedException(const std::string& message)
        : app_exception(SourceLocation{"inner.cpp", 7, "inner"}, message) {
        ++alive;
    }
    CountedException(const CountedException& other) : app_exception(other) { ++alive; }
    ~CountedException() override {
        --alive;
        ++destroyed;
    }
    static int alive;
    static int destroyed;
};
int CountedException::alive = 0;
int CountedException::destroyed = 0;

class ExceptionTest : public ::testing::Test {
protected:
    test::FixedClock clock_;
};

TEST_F(ExceptionTest, ContextHoldsDateComputerNameAndLocation) {
    const app_exception e(SourceLocation{"checks", 53, "vorna::Checks::addCheck"}, "message");
    EXPECT_STREQ(e.what(), "message");
    const ErrorDate date = e.date();
    EXPECT_EQ(date.year, 2019);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 7);
    EXPECT_EQ(date.reserved1, 0);
    EXPECT_EQ(date.reserved2, 0);
    EXPECT_EQ(date.reserved3, 0);
    EXPECT_EQ(std::string(e.computerName()), platform::computerName());
    EXPECT_LE(std::string(e.computerName()).size(), 15u);
    EXPECT_EQ(e.location().file, "checks");
    EXPECT_EQ(e.location().line, 53);
    EXPECT_EQ(e.location().function, "vorna::Checks::addCheck");
    EXPECT_EQ(e.inner(), nullptr);
}

TEST_F(ExceptionTest, DateFieldsOfOtherDaysAndWithoutClock) {
    test::FixedClock::set(2024, 12, 31, 23, 59, 58, 999);
    const ErrorDate late = app_exception(ErrorContext(), "x").date();
    EXPECT_EQ(late.year, 2024);
    EXPECT_EQ(late.month, 12);
    EXPECT_EQ(late.day, 31);
    EXPECT_EQ(late.reserved1 + late.reserved2 + late.reserved3, 0);  // never the time
    test::FixedClock::unavailable();
    const ErrorDate none = app_exception(ErrorContext(), "x").date();
    EXPECT_EQ(none.year + none.month + none.day, 0);
}

TEST_F(ExceptionTest, DefaultLocationIsEmpty) {
    const SourceLocation where = app_exception(ErrorContext(), "m").location();
    EXPECT_EQ(where.file, "");
    EXPECT_EQ(where.line, 0);
    EXPECT_EQ(where.function, "");
    const SourceLocation here = app_exception(VORNA_SOURCE_LOCATION, "m").location();
    EXPECT_NE(here.file.find("exception_test.cpp"), std::string::npos);
    EXPECT_GT(here.line, 0);
    EXPECT_FALSE(here.function.empty());
}

TEST_F(ExceptionTest, ChequeCancelledConstructorHasTheFixedMessage) {
    const app_exception e(VORNA_SOURCE_LOCATION, chequeCancelled);
    EXPECT_EQ(std::string(e.what()), platform::utf8ToCp1251(u8"Чек был аннулирован."));
    EXPECT_EQ(std::string(e.what()), "Чек был аннулирован.");
}

TEST_F(ExceptionTest, ContextOnlyConstructorTakesTheLastErrorsText) {
    const unsigned long code = 0x1F;
    platform::setLastError(code);
    const app_exception e(ErrorContext(SourceLocation{"win32\\dynamic_library", 19, "f"}));
    EXPECT_EQ(std::string(e.what()), platform::errorText(code));
    EXPECT_FALSE(std::string(e.what()).empty());
    EXPECT_EQ(std::string(e.what()), systemErrorText());
}

TEST_F(ExceptionTest, LastErrorSurvivesTheComputerNameRead) {
    platform::setLastError(5);
    const ErrorContext context(VORNA_SOURCE_LOCATION);
    EXPECT_EQ(platform::lastError(), 5u);
    EXPECT_FALSE(context.computerName.empty());
}

TEST_F(ExceptionTest, WinapiExceptionCarriesTheTextOfTheFailedCall) {
    test::ScratchDirectory scratch;
    // A real failing call: a directory under a parent that does not exist.
    ASSERT_EQ(platform::createDirectory((scratch / "absent") + platform::pathSeparator() + "x"),
              platform::DirectoryResult::failed);
    const unsigned long code = platform::lastError();
    ASSERT_NE(code, 0u);
    const winapi::Exception e;
    EXPECT_EQ(std::string(e.what()), platform::errorText(code));
    EXPECT_FALSE(std::string(e.what()).empty());
    EXPECT_EQ(e.location().file, "");
    EXPECT_EQ(e.location().line, 0);
    EXPECT_EQ(platform::lastError(), code);
}

TEST_F(ExceptionTest, WinapiExceptionWithMessageIsAnAppException) {
    try {
        throw winapi::Exception("Ошибка чтения vorna.cash.atol10.ini GLOBAL");
    } catch (const app_exception& e) {
        EXPECT_STREQ(e.what(), "Ошибка чтения vorna.cash.atol10.ini GLOBAL");
        EXPECT_EQ(e.location().function, "");
        EXPECT_EQ(e.date().year, 2019);
    }
}

TEST_F(ExceptionTest, InnerExceptionIsDestroyedExactlyOnceAcrossCopiesAndThrows) {
    CountedException::alive = 0;
    CountedException::destroyed = 0;
    {
        app_exception outer(VORNA_SOURCE_LOCATION, "outer");
        {
            CountedException inner("inner");
            outer.setInner(inner);
        }
        ASSERT_EQ(CountedException::alive, 1);  // the outer's own copy
        const int destroyedBefore = CountedException::destroyed;

        std::vector<app_exception> copies(3, outer);
        app_exception assigned(ErrorContext(), "other");
        assigned = outer;
        app_exception moved(std::move(copies.back()));
        copies.pop_back();
        try {
            throw outer;
        } catch (const app_exception& thrown) {   // the thrown object is a copy
            const app_exception caught = thrown;  // and one more
            ASSERT_NE(caught.inner(), nullptr);
            EXPECT_STREQ(caught.inner()->what(), "inner");
            EXPECT_EQ(caught.inner()->location().file, "inner.cpp");
            EXPECT_NE(dynamic_cast<const CountedException*>(caught.inner()), nullptr);
        }
        copies.clear();
        EXPECT_EQ(CountedException::alive, 1);
        EXPECT_EQ(CountedException::destroyed, destroyedBefore);
        EXPECT_EQ(moved.inner(), outer.inner());
        EXPECT_EQ(assigned.inner(), outer.inner());
    }
    EXPECT_EQ(CountedException::alive, 0);
    EXPECT_EQ(CountedException::destroyed, 2);  // the test's local one and the owned one
}

TEST_F(ExceptionTest, InnerExceptionsNest) {
    CountedException::alive = 0;
    {
        app_exception outer(VORNA_SOURCE_LOCATION, "outer");
        app_exception middle(VORNA_SOURCE_LOCATION, "middle");
        middle.setInner(CountedException("deepest"));
        outer.setInner(middle);
        ASSERT_NE(outer.inner(), nullptr);
        ASSERT_NE(outer.inner()->inner(), nullptr);
        EXPECT_STREQ(outer.inner()->inner()->what(), "deepest");
    }
    EXPECT_EQ(CountedException::alive, 0);
}

}  // namespace
}  // namespace vorna
