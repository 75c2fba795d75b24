#include "emulator/errors.h"

namespace vorna {
namespace emulator {
namespace error {

std::string description(int code) {
    switch (code) {
        case none:
            return u8"Ошибок нет";
        case notEnoughCash:
            return u8"Недостаточно наличности в кассе";
        case notConnected:
            return u8"Нет связи с ККТ";
        case shiftClosed:
            return u8"Смена закрыта - операция невозможна";
        case shiftAlreadyOpen:
            return u8"Смена открыта - операция невозможна";
        case noReceiptOpen:
            return u8"Чек закрыт - операция невозможна";
        case coverOpen:
            return u8"Открыта крышка принтера";
        case underpaid:
            return u8"Сумма оплаты меньше суммы чека";
        case invalidTaxType:
            return u8"Неверный тип налога";
        case noPaper:
            return u8"Нет бумаги";
        case measureMissing:
            return u8"Не указана мера количества предмета расчета (тег 2108)";
        case measureNotAllowed:
            return u8"Мера количества предмета расчета (тег 2108) не поддерживается ФФД";
        case invalidParameter:
            return u8"Неверное значение параметра";
        case nonfiscalOpen:
            return u8"Открыт нефискальный документ - операция невозможна";
        case noNonfiscalOpen:
            return u8"Нефискальный документ не открыт";
        case emptyReceipt:
            return u8"Чек не содержит позиций";
        case cashlessOverpaid:
            return u8"Сумма безналичных оплат превышает сумму чека";
        case invalidSetting:
            return u8"Неверное значение настройки";
        case buyerContactMissing:
            return u8"Не указан телефон или электронный адрес покупателя (тег 1008)";
        case returnReceiptOpen:
            return u8"Открыт чек возврата - операция невозможна";
        case shiftExpired:
            return u8"Смена превысила 24 часа";
        case saleReceiptOpen:
            return u8"Открыт чек прихода - операция невозможна";
        case invalidHandle:
            return u8"Неверный дескриптор экземпляра";
        case injectedFailure:
            return u8"Сбой, заданный в эмуляторе";
        case stateDamaged:
            return u8"Файл состояния эмулятора повреждён";
        case internalFailure:
            return u8"Внутренняя ошибка эмулятора";
        default:
            return u8"Ошибка " + std::to_string(code);
    }
}

}  // namespace error
}  // namespace emulator
}  // namespace vorna
