// The saved form of cheques and cheque lists. Vectors are written as their
// element count followed by the elements.
#include <stdexcept>

#include "cash/shared/Check.h"
#include "cash/shared/checks.h"

namespace vorna {

namespace {

int readCount(CashArchive& archive) {
    int count = 0;
    archive.readInt(count);
    if (count < 0) throw std::runtime_error("negative element count in a saved cheque");
    return count;
}

void writeTexts(CashArchive& archive, const std::vector<std::string>& texts) {
    archive.writeInt(static_cast<int>(texts.size()));
    for (const std::string& text : texts) archive.writeString(text);
}

void readTexts(CashArchive& archive, std::vector<std::string>& texts) {
    texts.clear();
    const int count = readCount(archive);
    for (int i = 0; i < count; ++i) {
        std::string text;
        archive.readString(text);
        texts.push_back(std::move(text));
    }
}

void writeNumbers(CashArchive& archive, const std::vector<std::int32_t>& numbers) {
    archive.writeInt(static_cast<int>(numbers.size()));
    for (std::int32_t number : numbers) archive.writeInt(number);
}

void readNumbers(CashArchive& archive, std::vector<std::int32_t>& numbers) {
    numbers.clear();
    const int count = readCount(archive);
    for (int i = 0; i < count; ++i) {
        int number = 0;
        archive.readInt(number);
        numbers.push_back(number);
    }
}

template <class T>
void readAs(CashArchive& archive, T& field) {
    int value = 0;
    archive.readInt(value);
    field = static_cast<T>(value);
}

}  // namespace

CashArchive& Check::save(CashArchive& archive) const {
    archive.writeId(classId());
    writeTexts(archive, textLines_);
    archive.writeInt(static_cast<int>(srvNumber_))
        .writeInt(price_)
        .writeInt(static_cast<int>(operation_))
        .writeInt(static_cast<int>(carryIn_))
        .writeString(text_)
        .writeBool(slip_)
        .writeBool(reservedFlag2_)
        .writeInt(reservedNumber_)
        .writeInt(taxType_)
        .writeBool(reservedFlag1_)
        .writeBool(reservedFlag3_)
        .writeBool(reservedFlag4_);
    for (const std::string& text : reservedTexts_) archive.writeString(text);
    writeTexts(archive, positionNames_);
    writeNumbers(archive, positionPrices_);
    writeNumbers(archive, positionTaxes_);
    return archive;
}

CashArchive& Check::load(CashArchive& archive) {
    ClassId id{};
    archive.readId(id);
    readTexts(archive, textLines_);
    readAs(archive, srvNumber_);
    readAs(archive, price_);
    readAs(archive, operation_);
    readAs(archive, carryIn_);
    archive.readString(text_).readBool(slip_).readBool(reservedFlag2_);
    readAs(archive, reservedNumber_);
    readAs(archive, taxType_);
    archive.readBool(reservedFlag1_).readBool(reservedFlag3_).readBool(reservedFlag4_);
    for (std::string& text : reservedTexts_) archive.readString(text);
    readTexts(archive, positionNames_);
    readNumbers(archive, positionPrices_);
    readNumbers(archive, positionTaxes_);
    return archive;
}

CashArchive& Checks::save(CashArchive& archive) const {
    archive.writeId(classId()).writeInt(static_cast<int>(size()));
    for (const Check& check : *this) check.save(archive);
    return archive.writeInt(separate_).writeInt(logEnable_);
}

CashArchive& Checks::load(CashArchive& archive) {
    ClassId id{};
    archive.readId(id);
    // Loaded cheques are appended; the list is not cleared first.
    const int count = readCount(archive);
    for (int i = 0; i < count; ++i) {
        emplace_back(2);
        back().load(archive);
    }
    return archive.readInt(separate_).readInt(logEnable_);
}

}  // namespace vorna
