// The names of the receipt attributes that the sender hands to a driver in the
// map of SetParameters and that the drivers recognise.
#pragma once

namespace vorna {
namespace cash {
namespace attribute {

inline constexpr char kBankCommission[] = "BANK_COMISS";
inline constexpr char kPrecheque[] = "IS_PRECHEQUE";
inline constexpr char kCashless[] = "IS_CASHLESSCHEQUE";
inline constexpr char kElectronic[] = "IS_ECHEQUE";
inline constexpr char kClientPhone[] = "CLIENT_PHONE";
inline constexpr char kClientEmail[] = "CLIENT_EMAIL";
inline constexpr char kServiceName[] = "SERVICE_NAME";
inline constexpr char kCashierName[] = "CASHIER_NAME";
inline constexpr char kCashierInn[] = "CASHIER_INN";
inline constexpr char kAgentPhone[] = "AGENT_PHONE";
inline constexpr char kOperatorOperation[] = "OPERATOR_OPER";
inline constexpr char kOperatorName[] = "OPERATOR_NAME";
inline constexpr char kOperatorAddress[] = "OPERATOR_ADDRESS";
inline constexpr char kOperatorInn[] = "OPERATOR_INN";
inline constexpr char kOperatorPhone[] = "OPERATOR_PHONE";
inline constexpr char kSupplierPhone[] = "PU_PHONE";
inline constexpr char kSupplierName[] = "PU_NAME";
inline constexpr char kSupplierInn[] = "PU_INN";

}  // namespace attribute
}  // namespace cash
}  // namespace vorna
