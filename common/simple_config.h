// Base of a settings class that reads one file from two places.
//
// Use: derive, return the profile sub-directory from location() and apply
// pairs in handle(); then load("name.ini") reads the file beside the host
// executable and then the one under %USERPROFILE%\<location>, the later
// values overriding the earlier ones key by key.
#pragma once

#include <string>

namespace vorna {
namespace Simple {

class Config {
public:
    // Reads fileName at "GLOBAL" (host executable's directory), then at
    // location(), both with delimiters(); true when at least one file opened.
    virtual bool load(const std::string& fileName);
    virtual ~Config();
    // The profile sub-directory of the second file.
    virtual std::string location() const = 0;
    // The delimiter set of both reads: " \t\n\r=" (blanks split tokens).
    virtual std::string delimiters() const;
    // Applies one pair.
    virtual void handle(const std::string& key, const std::string& value) = 0;

protected:
    Config() = default;
    Config(const Config&) = default;
    Config& operator=(const Config&) = default;
};

}  // namespace Simple
}  // namespace vorna
