// The sender's settings files and its start log.
#pragma once

#include <string>

namespace vorna {

// "vorna.cash.sender." + code + ".ini", or "vorna.cash.sender.ini" without a code.
std::string senderIniName(const std::string& code);

// Reads a settings file beside the host program, then from the user's
// "Windows" folder, into SenderSettings; a missing file changes nothing.
void loadSettingsFile(const std::string& fileName);

// Reads "vorna.cash.sender.ini" beside this library, then from the user's
// "Windows" folder: what the library does when it is loaded.
void loadSettingsAtLoad();

// The folder of the module holding the sender's code (the sender library, or
// the program it is built into), where its settings file is read; it does not
// move with the process's current directory. Empty when it cannot be had.
std::string senderLibraryFolder();

// Appends "Начало выполнения: " + label (and " [unc=...]" for a non-empty unc)
// to the start log in the current directory.
void writeStartMarker(const std::string& label, const std::string& unc);

// Appends a non-empty text as one line to the start log.
void writeStartNote(const std::string& text);

}  // namespace vorna
