// A CashArchive on a byte string: ints as four bytes (little-endian), bools
// as one byte, strings as their length followed by their bytes, identifiers
// as their sixteen bytes. Reading past the end throws std::runtime_error.
#pragma once

#include <cstddef>
#include <string>

#include "cash/shared/cash_object.h"

namespace vorna {

class BinaryArchive : public CashArchive {
public:
    BinaryArchive() = default;
    // An archive to read back bytes written earlier.
    explicit BinaryArchive(std::string bytes) : bytes_(std::move(bytes)) {}

    CashArchive& writeString(const std::string& value) override;
    CashArchive& writeInt(int value) override;
    CashArchive& writeBool(bool value) override;
    CashArchive& writeUnused() override;
    CashArchive& writeId(const ClassId& value) override;
    CashArchive& readBool(bool& value) override;
    CashArchive& readInt(int& value) override;
    CashArchive& readId(ClassId& value) override;
    CashArchive& readString(std::string& value) override;

    const std::string& bytes() const { return bytes_; }
    // True when every written byte has been read.
    bool atEnd() const { return readPosition_ == bytes_.size(); }

private:
    const char* take(std::size_t count);

    std::string bytes_;
    std::size_t readPosition_ = 0;
};

}  // namespace vorna
