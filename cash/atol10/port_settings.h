// The serial or network port through which the register is reached.
#pragma once

#include <cstdint>
#include <string>

namespace vorna {
namespace cash {

struct PortSettings {
    // Takes the system's default configuration of the named port when it has
    // one; for "AUTO" it has none and the given values stand.
    PortSettings(const std::string& name, std::int32_t baud, std::uint8_t bits, std::uint8_t par,
                 std::uint8_t stop);

    std::int32_t baudRate;
    std::uint8_t byteSize;
    std::uint8_t parity;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t stopBits;  // 0 one, 2 two
    std::string portName;
    std::string ipAddress;
    std::string tcpPort;
};

}  // namespace cash
}  // namespace vorna
