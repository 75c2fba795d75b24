// One parameter value as the caller set it or an operation produced it, and
// an ordered set of them (the order of setting is kept: it is the order of
// the tags in a formed TLV record).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorna {
namespace emulator {

struct ParamValue {
    enum class Kind { integer, boolean, real, text, bytes, dateTime };
    Kind kind = Kind::integer;
    std::int64_t integer = 0;  // also the boolean (0/1) and the moment of dateTime
    double real = 0.0;
    std::string text;  // UTF-8 for text, raw bytes for bytes

    static ParamValue ofInt(std::int64_t v);
    static ParamValue ofBool(bool v);
    static ParamValue ofDouble(double v);
    static ParamValue ofText(const std::string& utf8);
    static ParamValue ofBytes(const std::string& bytes);
    static ParamValue ofDateTime(std::int64_t seconds);

    std::int64_t asInt() const;
    double asDouble() const;
    std::string asText() const;
};

class ParamSet {
public:
    void set(int id, const ParamValue& value);
    const ParamValue* find(int id) const;
    bool has(int id) const { return find(id) != nullptr; }
    void clear() { items_.clear(); }
    bool empty() const { return items_.empty(); }
    const std::vector<std::pair<int, ParamValue>>& items() const { return items_; }

private:
    std::vector<std::pair<int, ParamValue>> items_;
};

}  // namespace emulator
}  // namespace vorna
