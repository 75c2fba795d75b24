#include "emulator/errors.h"

#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {
namespace error {

namespace {

// One failure in both numberings; 0 where a numbering has no counterpart.
// A number that appears in several rows translates through its first row.
struct Row {
    int legacy;
    int current;
    const char* text;
};

const Row kRows[] = {
    {none, 0, u8"Ошибок нет"},
    {notEnoughCash, current::notEnoughCash, u8"Недостаточно наличности в кассе"},
    {notConnected, current::noConnection, u8"Нет связи с ККТ"},
    {notConnected, current::connectionDisabled, u8"Соединение с ККТ не установлено"},
    {notConnected, current::portBusy, u8"Порт занят"},
    {notConnected, current::portNotAvailable, u8"Порт недоступен"},
    {notConnected, current::connectionLostInOperation, u8"Связь с ККТ потеряна во время операции"},
    {shiftClosed, current::shiftClosed, u8"Смена закрыта - операция невозможна"},
    {shiftAlreadyOpen, current::shiftOpen, u8"Смена открыта - операция невозможна"},
    {noReceiptOpen, current::noReceiptOpen, u8"Чек закрыт - операция невозможна"},
    {0, current::receiptOpen, u8"Чек открыт - операция невозможна"},
    {coverOpen, current::coverOpen, u8"Открыта крышка принтера"},
    {underpaid, current::underpaid, u8"Сумма оплаты меньше суммы чека"},
    {invalidTaxType, current::invalidTaxType, u8"Неверный тип налога"},
    {noPaper, current::noPaper, u8"Нет бумаги"},
    {measureMissing, current::measureMissing,
     u8"Не указана мера количества предмета расчета (тег 2108)"},
    {measureNotAllowed, current::measureNotAllowed,
     u8"Мера количества предмета расчета (тег 2108) не поддерживается ФФД"},
    {invalidParameter, current::invalidParameter, u8"Неверное значение параметра"},
    {nonfiscalOpen, current::nonfiscalOpen, u8"Открыт нефискальный документ - операция невозможна"},
    {noNonfiscalOpen, current::noNonfiscalOpen, u8"Нефискальный документ не открыт"},
    {emptyReceipt, current::emptyReceipt, u8"Чек не содержит позиций"},
    {cashlessOverpaid, current::cashlessOverpaid, u8"Сумма безналичных оплат превышает сумму чека"},
    {invalidSetting, current::invalidSetting, u8"Неверное значение настройки"},
    {buyerContactMissing, current::buyerContactMissing,
     u8"Не указан телефон или электронный адрес покупателя (тег 1008)"},
    {returnReceiptOpen, current::returnReceiptOpen, u8"Открыт чек возврата - операция невозможна"},
    {shiftExpired, current::shiftExpired, u8"Смена превысила 24 часа"},
    {shiftExpired, current::fnShiftExpired, u8"ФН: смена превысила 24 часа"},
    {saleReceiptOpen, current::saleReceiptOpen, u8"Открыт чек прихода - операция невозможна"},
    {0, current::unknown, u8"Неизвестная ошибка"},
    {0, current::fnExchangeFailed, u8"Ошибка обмена с ФН"},
    {0, libfptr::error::fnInvalidState, u8"Неверное состояние ФН"},
    {0, libfptr::error::fnFault, u8"Неисправимая ошибка ФН"},
    {0, libfptr::error::fnCryptoValidityExpired, u8"Исчерпан срок действия ключей ФН"},
    {0, libfptr::error::fnResourceExhausted, u8"Исчерпан ресурс ФН"},
    {0, libfptr::error::fnHasUnsentDocuments, u8"В ФН есть неотправленные ФД"},
    {0, libfptr::error::fnTimeout, u8"Превышено время ожидания ответа ФН"},
    {invalidHandle, current::invalidHandle, u8"Неверный дескриптор экземпляра"},
    {injectedFailure, current::injectedFailure, u8"Сбой, заданный в эмуляторе"},
    {stateDamaged, current::stateDamaged, u8"Файл состояния эмулятора повреждён"},
    {internalFailure, current::internalFailure, u8"Внутренняя ошибка эмулятора"},
};

const Row* rowOf(int number, Convention numbering) {
    for (const Row& row : kRows) {
        const int n = numbering == Convention::legacy ? row.legacy : row.current;
        if (n == number && (number != 0 || (row.legacy == 0 && row.current == 0))) return &row;
    }
    return nullptr;
}

// The number in the convention wanted.
int translate(int failure, Convention convention) {
    const bool isLegacy = failure < 0;
    if (isLegacy == (convention == Convention::legacy)) return failure;
    const Row* row = rowOf(failure, isLegacy ? Convention::legacy : Convention::current);
    if (!row) return failure;
    const int n = convention == Convention::legacy ? row->legacy : row->current;
    return n != 0 ? n : failure;
}

}  // namespace

bool conventionOf(const std::string& name, Convention& convention) {
    if (name == "current") {
        convention = Convention::current;
        return true;
    }
    if (name == "legacy") {
        convention = Convention::legacy;
        return true;
    }
    return false;
}

std::string description(int code) {
    const Row* row = rowOf(code, code < 0 ? Convention::legacy : Convention::current);
    return row ? row->text : u8"Ошибка " + std::to_string(code);
}

Reported report(int failure, Convention convention) {
    Reported r;
    if (failure == 0) {
        r.text = description(0);
        return r;
    }
    r.code = translate(failure, convention);
    r.result = convention == Convention::current ? -1 : r.code;
    r.text = description(r.code);
    return r;
}

}  // namespace error
}  // namespace emulator
}  // namespace vorna
