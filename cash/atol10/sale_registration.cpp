// Registering one position: name, price, tax type from three sources, the
// position-level agent and supplier data, payment object and method.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "cash/atol10/cash.h"
#include "cash/atol10/config.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/fptr10/library_version.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

const unsigned kFirstTaxCode = 1102;

int taxTypeOfCode(unsigned code) {
    switch (code) {
        case 1102:
            return libfptr::tax::vat20;
        case 1103:
            return libfptr::tax::vat10;
        case 1104:
            return libfptr::tax::vat0;
        case 1105:
            return libfptr::tax::no;
        case 1106:
            return libfptr::tax::vat120;
        case 1107:
            return libfptr::tax::vat110;
        case 2018:
            return libfptr::tax::vat18;
        case 2118:
            return libfptr::tax::vat118;
        case 2005:
            return libfptr::tax::vat5;
        case 2007:
            return libfptr::tax::vat7;
        case 2105:
            return libfptr::tax::vat105;
        case 2107:
            return libfptr::tax::vat107;
        case 2022:
            return libfptr::tax::vat22;
        case 2122:
            return libfptr::tax::vat122;
        default:
            return libfptr::tax::invalid;
    }
}

struct TlvField {
    const std::string& value;
    const char* label;
    int tag;
};

// Sets the filled fields, forms their TLV and reads it back.
std::vector<unsigned char> formTlv(fptr10::Handle handle, fptr10::Module module,
                                   std::initializer_list<TlvField> fields) {
    for (const TlvField& field : fields) {
        if (field.value.empty()) continue;
        writeLog(field.label + field.value);
        fptr10::libfptr_set_param_str(handle, module, field.tag, toWide(field.value));
    }
    fptr10::libfptr_util_form_tlv(handle, module);
    return getTagValue(handle, module, 128);
}

}  // namespace

int Cash::RegisterSale(const std::string& text, unsigned price, int /*quantity*/, int department,
                       int tax) {
    writeLog("   atol10->RegisterSale ---------------------------->");
    writeLog("text = " + text);
    writeLog("sum = " + logText(price));
    writeLog("tax = " + logText(tax));
    if (precheque_) {
        writeLog("   atol10->RegisterSale: печать пречека ... return");
        return 0;
    }

    std::string name = "Приём перевода";
    const std::string textUpToNul(text.c_str());
    if (!textUpToNul.empty()) {
        name = textUpToNul;
    } else if (!serviceName_.empty()) {
        name = serviceName_;
    }
    const double roubles = static_cast<double>(price) / 100;

    const char* note;
    if (static_cast<unsigned>(tax) >= kFirstTaxCode) {
        taxType_ = taxTypeOfCode(static_cast<unsigned>(tax));
        note = "(Налог взят из позиции (предмета расчета)) ";
    } else if (taxType_ >= 1 && taxType_ <= 15) {
        note = "(Налог был передан параметром) ";
    } else {
        taxType_ = Config::instance().taxTypeNumber;
        note = "(Налог был взят из ini) ";
    }

    writeLog("   atol10->RegisterSale [registration] ==> ");
    writeLog("   Text: " + name);
    writeLog("   Price: " + logText(roubles));
    writeLog("   Quantity: " + logText(1));
    writeLog("   Department: " + logText(department));
    writeLog("   TaxTypeNumber: " + logText(taxType_) + note);
    // The position is not registered with a rate the library would take for another.
    if (refusesRate(taxType_)) return kOtherError;
    const fptr10::LibraryVersion& library = fptr10::libraryVersion(module_);
    const int libraryTaxType = fptr10::libraryTaxType(library, taxType_);
    if (libraryTaxType != taxType_)
        writeLog("   Тип налога библиотеки ККТ " + fptr10::versionName(library) + ": " +
                 logText(libraryTaxType));

    const int sign = agentSign("Tag 1222 (Признак агента был взят из ini) ",
                               "Tag 1222 (Признак агента был взят из 'Регистрационных данных') ");
    if (sign > 0) {
        writeLog("Tag 1223 ->");
        const std::vector<unsigned char> agentData = formTlv(
            handle_, module_,
            {{operatorAddress_, "OperatorAddress (1005) = ", libfptr::tag::transferOperatorAddress},
             {operatorInn_, "OperatorInn(1016)  = ", libfptr::tag::transferOperatorVatin},
             {operatorName_, "OperatorName (1026) = ", libfptr::tag::transferOperatorName},
             {operatorPhone_, "OperatorPhone (1075) = ", libfptr::tag::transferOperatorPhone},
             {agentPhone_, "AgentPhone (1073) = ", libfptr::tag::paymentAgentPhone},
             {operatorOperation_, "OperatorOper (1044) = ", libfptr::tag::paymentAgentOperation}});
        writeLog("<- Tag 1223");
        writeLog("Tag 1224 ->");
        const std::vector<unsigned char> supplierData =
            formTlv(handle_, module_,
                    {{supplierPhone_,
                      "PU_Phone [телефон поставщика] (1171) = ", libfptr::tag::supplierPhone},
                     {supplierName_,
                      "PU_Name [наименование поставщика] (1225) = ", libfptr::tag::supplierName}});
        writeLog("<- Tag 1224");
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::positionAgentSign, sign);
        writeLog("Tag 1222 = " + logText(sign));
        fptr10::libfptr_set_param_bytearray(handle_, module_, libfptr::tag::agentData,
                                            agentData.data(), static_cast<int>(agentData.size()));
        writeLog("Tag 1223 записан");
        if (!supplierInn_.empty()) {
            fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::supplierInn,
                                          toWide(supplierInn_));
            writeLog("PU_Inn [ИНН поставщика] (1226) = " + supplierInn_);
        }
        fptr10::libfptr_set_param_bytearray(handle_, module_, libfptr::tag::supplierData,
                                            supplierData.data(),
                                            static_cast<int>(supplierData.size()));
        writeLog("Tag 1224 записан");
    }

    fptr10::libfptr_set_param_str(handle_, module_, libfptr::param::commodityName, toWide(name));
    writeLog("LIBFPTR_PARAM_COMMODITY_NAME = " + name);
    fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::price, roubles);
    fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::quantity, 1.0);
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::taxType, libraryTaxType);
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::paymentObject,
                                  libfptr::paymentObject::service);
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::paymentMethod,
                                  libfptr::paymentMethod::fullPayment);
    writeLog("ФФД: " + logText(ffdVersion));
    if (ffdVersion >= libfptr::ffd::v12) {
        writeLog("Установка значения параметра: Мера количества предмета расчета [2108]");
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::measure,
                                      libfptr::measure::piece);
    }
    const int registered = fptr10::libfptr_registration(handle_, module_);
    writeLog("registration ==> " + logText(registered));
    return mapLibraryResult(registered);
}

int Cash::Return(const std::string& text, unsigned price, int quantity, int department) {
    writeLog("   atol10->Return ==> RegisterSale [registration]");
    return RegisterSale(text, price, quantity, department, 0);
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
