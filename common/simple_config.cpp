#include "common/simple_config.h"

#include "common/ini_reader.h"

namespace vorna {
namespace Simple {

bool Config::load(const std::string& fileName) {
    const std::string delimiterSet = delimiters();
    const bool beside =
        readIniFile("GLOBAL", nullptr, fileName, delimiterSet, *this, &Config::handle);
    const bool inProfile =
        readIniFile(location(), nullptr, fileName, delimiterSet, *this, &Config::handle);
    return beside || inProfile;
}

Config::~Config() = default;

std::string Config::delimiters() const { return " \t\n\r="; }

}  // namespace Simple
}  // namespace vorna
