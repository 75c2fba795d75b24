#include "cash/atol10/port_settings.h"

#include "common/platform/platform.h"

namespace vorna {
namespace cash {

PortSettings::PortSettings(const std::string& name, std::int32_t baud, std::uint8_t bits,
                           std::uint8_t par, std::uint8_t stop)
    : baudRate(baud), byteSize(bits), parity(par), stopBits(stop), portName(name) {
    platform::SerialPortDefaults defaults;
    if (platform::serialPortDefaults(name, defaults)) {
        baudRate = static_cast<std::int32_t>(defaults.baudRate);
        byteSize = static_cast<std::uint8_t>(defaults.byteSize);
        parity = static_cast<std::uint8_t>(defaults.parity);
        stopBits = static_cast<std::uint8_t>(defaults.stopBits);
    }
}

}  // namespace cash
}  // namespace vorna
