// Helpers of the common library's tests: scratch directories, whole-file
// reads, the fixed clock and the line break that text-mode files get.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace test {

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the test.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("vorna_common_" + std::to_string(random()) + "_" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string path() const { return path_.string(); }
    // path() + separator + name.
    std::string operator/(const std::string& name) const {
        return path() + platform::pathSeparator() + name;
    }

private:
    std::filesystem::path path_;
};

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The bytes a text-mode write of "\n" leaves in a file on this system.
inline std::string lineEnd() { return platform::pathSeparator() == '\\' ? "\r\n" : "\n"; }

// The text as a text-mode write leaves it.
inline std::string asWritten(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += lineEnd();
        else
            out += c;
    }
    return out;
}

// Replaces the clock for the lifetime of the object. Local and system time
// are what the test sets; unavailable() makes both fail.
class FixedClock {
public:
    FixedClock() {
        set(2019, 3, 7, 14, 5, 31, 45);
        platform::SystemCalls calls = platform::systemCalls();
        calls.localTime = &FixedClock::local;
        calls.systemTime = &FixedClock::system;
        platform::setSystemCalls(calls);
    }
    ~FixedClock() {
        platform::SystemCalls calls = platform::systemCalls();
        calls.localTime = nullptr;
        calls.systemTime = nullptr;
        platform::setSystemCalls(calls);
        available() = true;
    }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

    static void set(int year, int month, int day, int hour, int minute, int second,
                    int millisecond) {
        platform::DateTime& t = now();
        t.year = year;
        t.month = month;
        t.day = day;
        t.hour = hour;
        t.minute = minute;
        t.second = second;
        t.millisecond = millisecond;
    }
    static void setMillisecond(int millisecond) { now().millisecond = millisecond; }
    static void unavailable() { available() = false; }

private:
    static platform::DateTime& now() {
        static platform::DateTime t;
        return t;
    }
    static bool& available() {
        static bool yes = true;
        return yes;
    }
    static bool local(platform::DateTime& out) {
        if (!available()) return false;
        out = now();
        return true;
    }
    static bool system(platform::DateTime& out) {
        if (!available()) return false;
        out = now();
        // The system time is UTC: another hour, the same milliseconds.
        out.hour = (out.hour + 21) % 24;
        return true;
    }
};

// Sets an environment variable for the lifetime of the object, then puts the
// old value back (or removes it).
class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) {
        had_ = platform::environmentVariable(name, old_);
        platform::setEnvironmentVariable(name, value);
    }
    ~ScopedEnvironment() { platform::setEnvironmentVariable(name_, had_ ? old_ : std::string()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace test
}  // namespace vorna
