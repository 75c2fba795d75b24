// Whole-file reading, writing and appending for the register's files.
//
// The files are opened with the C runtime's "N" mode flag: on Windows it
// keeps the handle from being inherited by child processes (otherwise a
// program that the host starts while a call reads the state would hold the
// state file open and make its atomic replacement fail); other C libraries
// ignore the flag.
#pragma once

#include <string>

namespace vorna {
namespace emulator {

// False when the file does not exist or cannot be read.
bool readWholeFile(const std::string& path, std::string& text);
// The last maxBytes bytes of the file (all of it when shorter; whole tells
// which); false when it does not exist or cannot be read.
bool readFileTail(const std::string& path, long maxBytes, std::string& text, bool& whole);
// Creates or truncates the file and writes the text; false on any failure.
bool writeWholeFile(const std::string& path, const std::string& text);
// Appends the text; false on any failure.
bool appendToFile(const std::string& path, const std::string& text);

}  // namespace emulator
}  // namespace vorna
