#include "cash/sender/result_text.h"

#include "cash/shared/ResultCode.h"

namespace vorna {

const char* resultText(int code) {
    switch (code) {
        case cash::kSuccess:
            return "";
        case cash::kNotConnected:
            return "ККТ не подключена";
        case cash::kShiftExpired:
            return "Смена превысила 24 часа";
        case cash::kShiftClosed:
            return "Смена закрыта";
        case cash::kPaperOut:
            return "Закончилась чековая лента";
        case cash::kSaleReceiptOpen:
            return "Открыт чек продажи – операция невозможна";
        case cash::kReturnReceiptOpen:
            return "Открыт чек возврата – операция невозможна";
        case cash::kInvalidPayment:
            return "Передан некорректный параметр";
        default:
            return "Другая ошибка - для уточнения смотрите логи";
    }
}

const char* transferNumberRequiredText() {
    return "Передан некорректный параметр: требуется номер перевода (UNC)";
}

}  // namespace vorna
