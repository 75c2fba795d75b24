#include "emulator/tlv.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "emulator/emulator_clock.h"
#include "emulator/text_codec.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

namespace {

// Tags whose value is one byte (signs, bit masks, small enumerations).
bool isByteTag(int tag) {
    switch (tag) {
        case libfptr::tag::appliedTaxationType:
        case libfptr::tag::agentSign:
        case libfptr::tag::paymentObject:
        case libfptr::tag::paymentMethod:
        case libfptr::tag::positionAgentSign:
        case libfptr::tag::measure:
            return true;
        default:
            return false;
    }
}

void appendLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t readLe(const std::string& in, std::size_t at, std::size_t bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

}  // namespace

std::string encodeTlv(int tag, const ParamValue& value) {
    std::string body;
    switch (value.kind) {
        case ParamValue::Kind::text:
            body = utf8ToCp866(value.text);
            break;
        case ParamValue::Kind::bytes:
            body = value.text;
            break;
        case ParamValue::Kind::boolean:
            appendLe(body, value.integer ? 1 : 0, 1);
            break;
        case ParamValue::Kind::integer:
            appendLe(body, static_cast<std::uint64_t>(value.integer), isByteTag(tag) ? 1 : 4);
            break;
        case ParamValue::Kind::real: {
            // Money: a variable-length number of kopecks.
            std::uint64_t kopecks = static_cast<std::uint64_t>(std::llround(value.real * 100));
            do {
                body.push_back(static_cast<char>(kopecks & 0xFF));
                kopecks >>= 8;
            } while (kopecks);
            break;
        }
        case ParamValue::Kind::dateTime:
            appendLe(body, static_cast<std::uint64_t>(value.integer), 4);
            break;
    }
    if (body.size() > 0xFFFF) body.resize(0xFFFF);
    std::string out;
    appendLe(out, static_cast<std::uint64_t>(tag), 2);
    appendLe(out, body.size(), 2);
    return out + body;
}

std::string encodeTlvSet(const ParamSet& params) {
    std::string out;
    for (const auto& item : params.items())
        if (item.first > 0 && item.first < libfptr::firstParameter)
            out += encodeTlv(item.first, item.second);
    return out;
}

nlohmann::json decodeTlv(const std::string& bytes) {
    nlohmann::json out = nlohmann::json::object();
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 4) throw std::runtime_error("truncated TLV header");
        int tag = static_cast<int>(readLe(bytes, at, 2));
        std::size_t length = static_cast<std::size_t>(readLe(bytes, at + 2, 2));
        at += 4;
        if (bytes.size() - at < length) throw std::runtime_error("truncated TLV value");
        std::string value = bytes.substr(at, length);
        at += length;
        if (tag == libfptr::tag::correctionDate && length == 4)
            out[std::to_string(tag)] = formatTime(static_cast<std::int64_t>(readLe(value, 0, 4)));
        else if (isByteTag(tag) && length == 1)
            out[std::to_string(tag)] = static_cast<int>(static_cast<unsigned char>(value[0]));
        else
            out[std::to_string(tag)] = cp866ToUtf8(value);
    }
    return out;
}

}  // namespace emulator
}  // namespace vorna
