// Answers the message boxes of the code under test in place of the user and
// records them; restores the real box when it goes out of scope.
#pragma once

#include <string>
#include <vector>

#include "common/platform/platform.h"

namespace vorna {
namespace testing_support {

struct RecordedBox {
    std::string text;
    std::string caption;
    platform::Buttons buttons;
    platform::Icon icon;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        boxes().clear();
        platform::SystemCalls calls = platform::systemCalls();
        saved_ = calls;
        calls.messageBox = &answer;
        platform::setSystemCalls(calls);
    }
    ~MessageBoxRecorder() { platform::setSystemCalls(saved_); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    static std::vector<RecordedBox>& boxes() {
        static std::vector<RecordedBox> recorded;
        return recorded;
    }
    std::size_t count() const { return boxes().size(); }

private:
    static int answer(const std::string& text, const std::string& caption,
                      platform::Buttons buttons, platform::Icon icon) {
        boxes().push_back(RecordedBox{text, caption, buttons, icon});
        return platform::ok;
    }

    platform::SystemCalls saved_;
};

}  // namespace testing_support
}  // namespace vorna
