// Answers real message boxes: a WH_CBT hook on this thread sees each dialog
// being activated, prints its caption and text and posts the button of the
// next answer to it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace platform {

namespace {
HHOOK hook = nullptr;
std::vector<std::string> pending;
std::size_t nextAnswer = 0;

int buttonOf(const std::string& answer) {
    if (answer == "yes") return IDYES;
    if (answer == "no") return IDNO;
    if (answer == "ok") return IDOK;
    if (answer == "cancel") return IDCANCEL;
    if (answer == "abort") return IDABORT;
    if (answer == "retry") return IDRETRY;
    if (answer == "ignore") return IDIGNORE;
    if (answer == "tryagain") return IDTRYAGAIN;
    if (answer == "continue") return IDCONTINUE;
    return 0;
}

const char* nameOf(int button) {
    switch (button) {
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
        case IDOK:
            return "ok";
        case IDCANCEL:
            return "cancel";
        case IDABORT:
            return "abort";
        case IDRETRY:
            return "retry";
        case IDIGNORE:
            return "ignore";
        case IDTRYAGAIN:
            return "tryagain";
        case IDCONTINUE:
            return "continue";
        default:
            return "?";
    }
}

int safeButton(HWND dialog) {
    for (int button : {IDNO, IDCANCEL, IDABORT, IDOK})
        if (GetDlgItem(dialog, button)) return button;
    return IDOK;
}

std::string windowText(HWND window) {
    if (!window) return std::string();
    char buffer[4096] = {0};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

bool isDialog(HWND window) {
    char className[16] = {0};
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770";
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        if (isDialog(dialog)) {
            int button = 0;
            if (nextAnswer < pending.size()) button = buttonOf(pending[nextAnswer++]);
            if (!button || !GetDlgItem(dialog, button)) button = safeButton(dialog);
            // 0xFFFF is the static control that holds the text of a message box.
            std::string text = windowText(GetDlgItem(dialog, 0xFFFF));
            std::string line = "[" + cp1251ToUtf8(windowText(dialog)) + "] " + cp1251ToUtf8(text) +
                               " -> " + nameOf(button) + "\n";
            std::fputs(line.c_str(), stderr);
            std::fflush(stderr);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}
}  // namespace

MessageBoxAnswers::MessageBoxAnswers(const std::vector<std::string>& answers) {
    pending = answers;
    nextAnswer = 0;
    hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}

MessageBoxAnswers::~MessageBoxAnswers() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
}

}  // namespace platform
}  // namespace vorna
