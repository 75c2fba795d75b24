#include "common/error_box.h"

namespace vorna {

namespace {
UnattendedMode mode;

const char* answerName(int answer) {
    switch (answer) {
        case platform::yes:
            return "Да";
        case platform::no:
            return "Нет";
        case platform::ok:
            return "OK";
        case platform::tryAgain:
            return "Повторить";
        case platform::continueOn:
            return "Продолжить";
        default:
            return "Отмена";
    }
}

void notify(const std::string& caption, const std::string& text) {
    if (!mode.notice) return;
    try {
        mode.notice(caption, text);
    } catch (...) {
        // A box never failed its caller; its replacement does not either.
    }
}
}  // namespace

void setUnattendedMode(const UnattendedMode& newMode) { mode = newMode; }

bool unattendedNow() {
    try {
        return mode.on && mode.on();
    } catch (...) {
        return false;
    }
}

void showMessageBox(const std::string& text, const std::string& caption, platform::Icon icon) {
    if (unattendedNow()) {
        notify(caption, text);
        return;
    }
    platform::messageBox(text, caption, platform::Buttons::ok, icon);
}

int askQuestion(const std::string& text, const std::string& caption, platform::Buttons buttons,
                platform::Icon icon, int unattendedAnswer) {
    if (unattendedNow()) {
        notify(caption, text + " - ответ: " + answerName(unattendedAnswer));
        return unattendedAnswer;
    }
    return platform::messageBox(text, caption, buttons, icon);
}

void showErrorBox(const std::exception& error) {
    showMessageBox(error.what(), "Ошибка", platform::Icon::error);
}

}  // namespace vorna
