#include "cash/atol10/library_result.h"

#include <string>

#include "cash/atol10/fptr10/binding.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

int lastRefusal = 0;
std::string lastRefusalText;

// The current library's failure numbers (libfptr_error_code).
int mapFailureNumber(int number) {
    switch (number) {
        case libfptr::error::connectionDisabled:
        case libfptr::error::noConnection:
        case libfptr::error::portBusy:
        case libfptr::error::portNotAvailable:
        case libfptr::error::connectionLost:
            return kNotConnected;
        case libfptr::error::shiftExpired:
        case libfptr::error::fnShiftExpired:
            return kShiftExpired;
        case libfptr::error::deniedInClosedShift:
            return kShiftClosed;
        case libfptr::error::noPaper:
            return kPaperOut;
        case libfptr::error::deniedInOpenedSellReceipt:
            return kSaleReceiptOpen;
        case libfptr::error::deniedInOpenedReturnReceipt:
            return kReturnReceiptOpen;
        default:
            return kOtherError;
    }
}

}  // namespace

const char* storageRefusalAdvice(int failureNumber) {
    namespace e = libfptr::error;
    switch (failureNumber) {
        case e::fnExchange:
            return "Сбой обмена с фискальным накопителем: проверьте подключение ФН, при повторе "
                   "обратитесь в сервисный центр.";
        case e::fnInvalidState:
            return "Фискальный накопитель не в рабочем (фискальном) режиме, ККТ не принимает чеки: "
                   "замените ФН или перерегистрируйте ККТ.";
        case e::fnFault:
            return "Неисправность фискального накопителя: замените ФН.";
        case e::fnCryptoValidityExpired:
            return "Срок действия ФН истёк, ККТ не принимает чеки: замените ФН.";
        case e::fnResourceExhausted:
            return "Ресурс ФН исчерпан (30 дней без подтверждения ОФД или память заполнена), ККТ "
                   "не принимает чеки: восстановите связь с ОФД и передайте документы, при "
                   "заполненной памяти замените ФН.";
        case e::fnHasUnsentDocuments:
            return "В ФН есть документы, не переданные в ОФД: восстановите связь с ОФД и "
                   "дождитесь их передачи.";
        case e::fnTimeout:
            return "Фискальный накопитель не отвечает: проверьте подключение ФН, при повторе "
                   "обратитесь в сервисный центр.";
        case e::fnShiftExpired:
            return "Смена в ФН длится более 24 часов: закройте смену (Z-отчёт).";
        default:
            return nullptr;
    }
}

int lastStorageRefusal() { return lastRefusal; }

const std::string& lastStorageRefusalText() { return lastRefusalText; }

void forgetStorageRefusal() {
    lastRefusal = 0;
    lastRefusalText.clear();
}

int mapLibraryResult(int libraryValue) {
    const int number = fptr10::lastFailure().number;
    if (libraryValue == -1) {
        // The binding has logged the number and the library's text; this says
        // what it means for the counter.
        if (const char* advice = storageRefusalAdvice(number)) {
            writeLog("   atol10->ФН: ошибка " + logText(number) + ": " + advice);
            lastRefusal = number;
            lastRefusalText = fptr10::lastFailureDescription(number);
        }
    }
    return mapLibraryResult(libraryValue, number);
}

int mapLibraryResult(int libraryValue, int failureNumber) {
    // A current library reports every failure as -1 and gives the reason apart.
    if (libraryValue == -1) return mapFailureNumber(failureNumber);
    switch (libraryValue) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 5:
        case 6:
        case 7:
            return libraryValue;
        case libfptr::legacy::noConnection:
            return kNotConnected;
        case libfptr::legacy::shiftExpired:
            return kShiftExpired;
        case libfptr::legacy::noPaper:
            return kPaperOut;
        case libfptr::legacy::saleReceiptOpen:
            return kSaleReceiptOpen;
        case libfptr::legacy::returnReceiptOpen:
            return kReturnReceiptOpen;
        default:
            return kOtherError;
    }
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
