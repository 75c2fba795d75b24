// The error box: the exception's text under "Ошибка", error icon, one OK;
// the box is answered here.
#include "common/error_box.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/app_exception.h"
#include "common/platform/platform.h"

namespace vorna {
namespace {

struct ShownBox {
    std::string text;
    std::string caption;
    platform::Buttons buttons;
    platform::Icon icon;
};
std::vector<ShownBox> shown;

int answerOk(const std::string& text, const std::string& caption, platform::Buttons buttons,
             platform::Icon icon) {
    shown.push_back(ShownBox{text, caption, buttons, icon});
    return platform::ok;
}

class ErrorBoxTest : public ::testing::Test {
protected:
    ErrorBoxTest() {
        shown.clear();
        platform::SystemCalls calls = platform::systemCalls();
        calls.messageBox = &answerOk;
        platform::setSystemCalls(calls);
    }
    ~ErrorBoxTest() override {
        platform::SystemCalls calls = platform::systemCalls();
        calls.messageBox = nullptr;
        platform::setSystemCalls(calls);
    }
};

TEST_F(ErrorBoxTest, ShowsTheMessageUnderTheCaptionWithErrorIconAndOk) {
    showErrorBox(app_exception(VORNA_SOURCE_LOCATION, "Container empty"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Container empty");
    EXPECT_EQ(shown[0].caption, platform::utf8ToCp1251(u8"Ошибка"));
    EXPECT_EQ(shown[0].caption, "\xCE\xF8\xE8\xE1\xEA\xE0");
    EXPECT_EQ(shown[0].buttons, platform::Buttons::ok);
    EXPECT_EQ(shown[0].icon, platform::Icon::error);
}

TEST_F(ErrorBoxTest, EmptyMessageShowsAnEmptyText) {
    showErrorBox(app_exception(ErrorContext(), ""));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "");
    EXPECT_EQ(shown[0].caption, "Ошибка");
}

TEST_F(ErrorBoxTest, AnyStandardExceptionIsShown) {
    showErrorBox(std::logic_error("Can't set ~dep text to empty check stack."));
    showErrorBox(winapi::Exception("Чек был аннулирован."));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Can't set ~dep text to empty check stack.");
    EXPECT_EQ(shown[1].text, "Чек был аннулирован.");
}

}  // namespace
}  // namespace vorna
