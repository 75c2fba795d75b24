// One cheque of a cheque script: the text lines printed before the sale, the
// service and its price, the payment, the itemised positions and the receipt
// attributes that the sender adds after parsing. The field order is the order
// of the saved form; the reserved fields are kept only for that form.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cash/shared/cash_object.h"

namespace vorna {

// A print line starting with this character is not printed when the cheque
// has complete itemised positions.
inline constexpr char NOT_FOR_PRINT[] = "\x04";

class Check : public CashObject {
public:
    // Type 4 makes a slip document; any other type an ordinary receipt.
    explicit Check(unsigned type);

    ClassId classId() const override;
    CashArchive& save(CashArchive& archive) const override;
    CashArchive& load(CashArchive& archive) override;

    // Prints the text lines and registers the sale, the slip document or the
    // return inside a receipt the caller has opened. Exceptions pass through.
    int Execute(cash::ICash& cash) override;
    // A single cheque never talks to the device for these.
    int CheckInfoKKT(cash::ICash& cash, char** info) override;
    int CheckKKT(cash::ICash& cash) override;
    // Hands every text line to the step trace.
    virtual void traceLines() const;
    // Executes the cheque against the same device.
    virtual int run(cash::ICash& cash);

    // The setters the grammar binds to the numbers of "~srv" and "~pay".
    void setSrvNumber(unsigned value);
    void setPrice(double roubles);
    void setOperation(unsigned value);
    void setCarryIn(double roubles);

    // Starts a new, empty text line ("~hdr").
    void addTextLine();
    // Appends a normalised piece to the last text line, one blank apart.
    void setTextLine(const std::string& piece);
    // The "~dep" text: the item name of a single-position registration.
    void setText(const std::string& text);
    // Replaces the itemised positions by those of a "~pos" text.
    void setPosInfo(const std::string& text);
    // True when names, prices and taxes are all present and of equal count.
    bool hasPositions() const;

    void setTaxType(int taxType) { taxType_ = taxType; }
    void setPaymentType(int paymentType) { paymentType_ = paymentType; }
    void setParameters(const std::map<std::string, std::string>& parameters) {
        parameters_ = parameters;
    }

    const std::vector<std::string>& textLines() const { return textLines_; }
    std::uint32_t srvNumber() const { return srvNumber_; }
    std::int32_t price() const { return price_; }
    std::uint32_t operation() const { return operation_; }
    std::uint32_t carryIn() const { return carryIn_; }
    const std::string& text() const { return text_; }
    const std::string& posInfo() const { return posInfo_; }
    bool slip() const { return slip_; }
    std::int32_t taxType() const { return taxType_; }
    std::int32_t paymentType() const { return paymentType_; }
    const std::vector<std::string>& positionNames() const { return positionNames_; }
    const std::vector<std::int32_t>& positionPrices() const { return positionPrices_; }
    const std::vector<std::int32_t>& positionTaxes() const { return positionTaxes_; }
    const std::map<std::string, std::string>& parameters() const { return parameters_; }

    // The receipt kind handed to NewCheck: 1 sale, 2 return, 4 slip document.
    int receiptKind() const;

private:
    std::vector<std::string> textLines_;
    std::uint32_t srvNumber_ = 0;
    std::int32_t price_ = 0;
    std::uint32_t operation_ = 1;
    std::uint32_t carryIn_ = 0;
    std::string text_;
    std::string posInfo_;
    bool slip_ = false;
    std::int32_t reservedNumber_ = 0;
    std::int32_t taxType_ = 0;
    std::int32_t paymentType_ = 0;
    bool reservedFlag1_ = true;
    bool reservedFlag2_ = false;
    bool reservedFlag3_ = false;
    bool reservedFlag4_ = false;
    std::array<std::string, 11> reservedTexts_;
    std::vector<std::string> positionNames_;
    std::vector<std::int32_t> positionPrices_;
    std::vector<std::int32_t> positionTaxes_;
    std::map<std::string, std::string> parameters_;
};

}  // namespace vorna
