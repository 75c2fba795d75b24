#include "emulator/correction_receipts.h"

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/tlv.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

bool isCorrectionType(int receiptType) {
    return receiptType >= libfptr::rt::sellCorrection &&
           receiptType <= libfptr::rt::buyReturnCorrection;
}

int checkCorrection(const ParamSet& input, int ffd, std::int64_t now) {
    if (ffd < libfptr::ffd::v12) return error::invalidParameter;
    const ParamValue* type = input.find(libfptr::tag::correctionType);
    if (!type || (type->asInt() != libfptr::correctionType::self &&
                  type->asInt() != libfptr::correctionType::byOrder))
        return error::invalidParameter;
    const ParamValue* base = input.find(libfptr::tag::correctionBase);
    if (!base || base->kind != ParamValue::Kind::bytes) return error::invalidParameter;
    json members;
    try {
        members = decodeTlv(base->text);
    } catch (const std::exception&) {
        return error::invalidParameter;
    }
    const std::string date = std::to_string(libfptr::tag::correctionDate);
    if (!members.contains(date) || !members[date].is_string()) return error::invalidParameter;
    // "YYYY-MM-DD ..." texts compare as the days they name.
    const std::string day = members[date].get<std::string>().substr(0, 10);
    if (day.size() != 10 || day > formatTime(now).substr(0, 10)) return error::invalidParameter;
    if (type->asInt() == libfptr::correctionType::byOrder &&
        !members.contains(std::to_string(libfptr::tag::correctionNumber)))
        return error::invalidParameter;
    return 0;
}

std::vector<std::string> correctionLines(const json& tags) {
    std::vector<std::string> lines;
    const std::string type = std::to_string(libfptr::tag::correctionType);
    const bool byOrder = tags.contains(type) && tags[type].is_number() &&
                         tags[type].get<int>() == libfptr::correctionType::byOrder;
    lines.push_back(byOrder ? u8"КОРРЕКЦИЯ ПО ПРЕДПИСАНИЮ" : u8"КОРРЕКЦИЯ САМОСТОЯТЕЛЬНО");
    const std::string base = std::to_string(libfptr::tag::correctionBase);
    const std::string date = std::to_string(libfptr::tag::correctionDate);
    if (tags.contains(base) && tags[base].is_object() && tags[base].contains(date) &&
        tags[base][date].is_string()) {
        const std::string d = tags[base][date].get<std::string>();
        // Printed as the register prints dates: DD.MM.YYYY.
        if (d.size() >= 10)
            lines.push_back(u8"ДАТА КОРРЕКТИРУЕМОГО РАСЧЕТА " + d.substr(8, 2) + "." +
                            d.substr(5, 2) + "." + d.substr(0, 4));
    }
    return lines;
}

}  // namespace emulator
}  // namespace vorna
