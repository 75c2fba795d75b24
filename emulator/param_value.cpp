#include "emulator/param_value.h"

#include <cmath>
#include <sstream>

namespace vorna {
namespace emulator {

ParamValue ParamValue::ofInt(std::int64_t v) {
    ParamValue p;
    p.kind = Kind::integer;
    p.integer = v;
    return p;
}

ParamValue ParamValue::ofBool(bool v) {
    ParamValue p;
    p.kind = Kind::boolean;
    p.integer = v ? 1 : 0;
    return p;
}

ParamValue ParamValue::ofDouble(double v) {
    ParamValue p;
    p.kind = Kind::real;
    p.real = v;
    return p;
}

ParamValue ParamValue::ofText(const std::string& utf8) {
    ParamValue p;
    p.kind = Kind::text;
    p.text = utf8;
    return p;
}

ParamValue ParamValue::ofBytes(const std::string& bytes) {
    ParamValue p;
    p.kind = Kind::bytes;
    p.text = bytes;
    return p;
}

ParamValue ParamValue::ofDateTime(std::int64_t seconds) {
    ParamValue p;
    p.kind = Kind::dateTime;
    p.integer = seconds;
    return p;
}

std::int64_t ParamValue::asInt() const {
    switch (kind) {
        case Kind::real:
            return static_cast<std::int64_t>(std::llround(real));
        case Kind::text:
        case Kind::bytes: {
            std::istringstream in(text);
            std::int64_t v = 0;
            in >> v;
            return v;
        }
        default:
            return integer;
    }
}

double ParamValue::asDouble() const {
    switch (kind) {
        case Kind::real:
            return real;
        case Kind::text:
        case Kind::bytes: {
            std::istringstream in(text);
            double v = 0;
            in >> v;
            return v;
        }
        default:
            return static_cast<double>(integer);
    }
}

std::string ParamValue::asText() const {
    switch (kind) {
        case Kind::text:
        case Kind::bytes:
            return text;
        case Kind::real: {
            std::ostringstream out;
            out.precision(15);
            out << real;
            return out.str();
        }
        default:
            return std::to_string(integer);
    }
}

void ParamSet::set(int id, const ParamValue& value) {
    for (auto& item : items_) {
        if (item.first == id) {
            item.second = value;
            return;
        }
    }
    items_.emplace_back(id, value);
}

const ParamValue* ParamSet::find(int id) const {
    for (const auto& item : items_)
        if (item.first == id) return &item.second;
    return nullptr;
}

}  // namespace emulator
}  // namespace vorna
