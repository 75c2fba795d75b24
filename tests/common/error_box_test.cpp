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

// Unattended: no box reaches the system; the notice gets each text, and a
// question the answer its caller names.
bool unattendedOn = false;
std::vector<std::string> notices;

class UnattendedBoxTest : public ErrorBoxTest {
protected:
    UnattendedBoxTest() {
        notices.clear();
        unattendedOn = true;
        UnattendedMode mode;
        mode.on = [] { return unattendedOn; };
        mode.notice = [](const std::string& caption, const std::string& text) {
            notices.push_back("[" + caption + "] " + text);
        };
        setUnattendedMode(mode);
    }
    ~UnattendedBoxTest() override { setUnattendedMode(UnattendedMode()); }
};

TEST_F(UnattendedBoxTest, MessagesGoToTheNoticeAndNoBoxIsShown) {
    showErrorBox(std::runtime_error("Чек был аннулирован."));
    showMessageBox("Отсутствует кассовая лента!", "Ошибка!", platform::Icon::error);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(notices, (std::vector<std::string>{"[Ошибка] Чек был аннулирован.",
                                                 "[Ошибка!] Отсутствует кассовая лента!"}));
}

TEST_F(UnattendedBoxTest, AQuestionGetsTheAnswerItsCallerNames) {
    EXPECT_EQ(askQuestion("Открыть смену?", "Смена закрыта", platform::Buttons::yesNo,
                          platform::Icon::question, platform::no),
              platform::no);
    EXPECT_EQ(askQuestion("Ошибка связи", "Ошибка", platform::Buttons::cancelTryContinue,
                          platform::Icon::question, platform::cancel),
              platform::cancel);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(notices, (std::vector<std::string>{"[Смена закрыта] Открыть смену? - ответ: Нет",
                                                 "[Ошибка] Ошибка связи - ответ: Отмена"}));
}

TEST_F(UnattendedBoxTest, OffTheBoxesAreShownAgain) {
    unattendedOn = false;
    EXPECT_EQ(askQuestion("Открыть смену?", "Смена закрыта", platform::Buttons::yesNo,
                          platform::Icon::question, platform::no),
              platform::ok);
    showMessageBox("Отсутствует кассовая лента!", "Ошибка!", platform::Icon::error);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(notices.empty());
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
