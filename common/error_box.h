// The modal error box of the sender.
//
// Use: catch (const std::exception& e) { showErrorBox(e); }
// Shows e.what() under the caption "Ошибка" with the error icon and one OK
// button, without owner window; returns when the person has pressed OK.
#pragma once

#include <exception>

namespace vorna {

void showErrorBox(const std::exception& error);

}  // namespace vorna
