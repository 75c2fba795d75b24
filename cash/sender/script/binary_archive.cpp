#include "cash/sender/script/binary_archive.h"

#include <cstdint>
#include <stdexcept>

namespace vorna {

CashArchive& BinaryArchive::writeString(const std::string& value) {
    writeInt(static_cast<int>(value.size()));
    bytes_ += value;
    return *this;
}

CashArchive& BinaryArchive::writeInt(int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes_ += static_cast<char>(bits >> shift & 0xFF);
    return *this;
}

CashArchive& BinaryArchive::writeBool(bool value) {
    bytes_ += value ? '\1' : '\0';
    return *this;
}

CashArchive& BinaryArchive::writeUnused() { return *this; }

CashArchive& BinaryArchive::writeId(const ClassId& value) {
    bytes_.append(reinterpret_cast<const char*>(value.data()), value.size());
    return *this;
}

const char* BinaryArchive::take(std::size_t count) {
    if (bytes_.size() - readPosition_ < count) throw std::runtime_error("archive ended early");
    const char* data = bytes_.data() + readPosition_;
    readPosition_ += count;
    return data;
}

CashArchive& BinaryArchive::readBool(bool& value) {
    value = *take(1) != 0;
    return *this;
}

CashArchive& BinaryArchive::readInt(int& value) {
    const char* data = take(4);
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = bits << 8 | static_cast<unsigned char>(data[i]);
    value = static_cast<int>(bits);
    return *this;
}

CashArchive& BinaryArchive::readId(ClassId& value) {
    const char* data = take(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<std::uint8_t>(data[i]);
    return *this;
}

CashArchive& BinaryArchive::readString(std::string& value) {
    int length = 0;
    readInt(length);
    if (length < 0) throw std::runtime_error("negative string length in the archive");
    value.assign(take(static_cast<std::size_t>(length)), static_cast<std::size_t>(length));
    return *this;
}

}  // namespace vorna
