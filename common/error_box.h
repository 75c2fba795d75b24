// The message boxes of the libraries, and the error box of the sender.
//
// Use: catch (const std::exception& e) { showErrorBox(e); }
// Shows e.what() under the caption "Ошибка" with the error icon and one OK
// button, without owner window; returns when the person has pressed OK.
//
// Unattended hosts (a service, a host without a person): while the library's
// unattended mode says on, no box opens a window. A box that only tells goes
// to the library's notice (its logs) instead; a question goes there with the
// answer its caller names, which is the one the library's settings or their
// defaults give, and that answer is returned.
#pragma once

#include <exception>
#include <string>

#include "common/platform/platform.h"

namespace vorna {

void showErrorBox(const std::exception& error);

struct UnattendedMode {
    // Whether no window may open now (read at every box); null: attended.
    bool (*on)() = nullptr;
    // Where the text of a box goes instead; null: nowhere.
    void (*notice)(const std::string& caption, const std::string& text) = nullptr;
};

// Installs the library's mode (one per library: each compiles this in).
void setUnattendedMode(const UnattendedMode& mode);
bool unattendedNow();

// A box that only tells (one OK button).
void showMessageBox(const std::string& text, const std::string& caption, platform::Icon icon);

// A question; unattended, unattendedAnswer is its answer.
int askQuestion(const std::string& text, const std::string& caption, platform::Buttons buttons,
                platform::Icon icon, int unattendedAnswer);

}  // namespace vorna
