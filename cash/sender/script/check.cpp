// The cheque model: construction, the setters of the grammar, header text
// lines and itemised positions.
#include <boost/lexical_cast.hpp>

#include "cash/sender/script/kopecks.h"
#include "cash/sender/script/split_fields.h"
#include "cash/sender/script/step_trace.h"
#include "cash/shared/Check.h"
#include "common/app_exception.h"

namespace vorna {

Check::Check(unsigned type) : slip_(type == 4) {}

ClassId Check::classId() const {
    static const ClassId id = classIdFromText("{39CB748B-3B75-497A-8494-46214C98E6D6}");
    return id;
}

void Check::setSrvNumber(unsigned value) { srvNumber_ = value; }
void Check::setPrice(double roubles) { price_ = toKopecks(roubles); }
void Check::setOperation(unsigned value) { operation_ = value; }
void Check::setCarryIn(double roubles) {
    carryIn_ = static_cast<std::uint32_t>(toKopecks(roubles));
}

void Check::addTextLine() { textLines_.emplace_back(); }

void Check::setTextLine(const std::string& piece) {
    if (textLines_.empty())
        throw app_exception(SourceLocation{"Check", 195, "vorna::Check::setTextLine"},
                            "textlines empty");
    std::string& line = textLines_.back();
    if (!line.empty()) line += ' ';
    line += piece;
}

void Check::setText(const std::string& text) { text_ = text; }

void Check::setPosInfo(const std::string& text) {
    posInfo_ = text;
    stepTrace("posInfo_ =>" + text);
    positionNames_.clear();
    positionPrices_.clear();
    positionTaxes_.clear();

    const std::vector<std::string> records = splitFields(text, '|');
    stepTrace("temp.size =>" + std::to_string(records.size()));
    for (std::string record : records) {
        stepTrace("temp =>" + record);
        std::string joined;
        for (char ch : record)
            if (ch != '\r' && ch != '\n') joined += ch;
        record.swap(joined);
        stepTrace("s =>" + record);
        const std::vector<std::string> fields = splitFields(record, '^');
        stepTrace("tmp.size =>" + std::to_string(fields.size()));
        if (fields.size() >= 1) {
            positionNames_.push_back(fields[0]);
            stepTrace("tmp[0] (name) =>" + fields[0]);
        }
        if (fields.size() >= 2) {
            positionPrices_.push_back(toKopecks(boost::lexical_cast<double>(fields[1])));
            stepTrace("tmp[1] (price) =>" + fields[1]);
        }
        if (fields.size() >= 3) {
            positionTaxes_.push_back(boost::lexical_cast<int>(fields[2]));
            stepTrace("tmp[2] (tax) =>" + fields[2]);
        }
    }
}

bool Check::hasPositions() const {
    return !positionNames_.empty() && !positionPrices_.empty() && !positionTaxes_.empty() &&
           positionNames_.size() == positionPrices_.size() &&
           positionNames_.size() == positionTaxes_.size();
}

int Check::receiptKind() const {
    if (operation_ != 1) return 2;
    return slip_ ? 4 : 1;
}

}  // namespace vorna
