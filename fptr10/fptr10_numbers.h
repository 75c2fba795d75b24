// The register library's numbers: parameter ids, the kinds of data its
// queries report, receipt, report and document types, the fiscal tags the
// driver sets or reads, and its failure numbers. The driver, the emulated
// register and the tests take every such number from here; each is named
// after the library's own name for it (LIBFPTR_PARAM_RECEIPT_TYPE is
// param::receiptType, LIBFPTR_DT_SHIFT_STATE is dt::shiftState, ...).
#pragma once

namespace vorna {
namespace libfptr {

// Parameters of operations and of their results (libfptr_set_param_*,
// libfptr_get_param_*). Ids below firstParameter are fiscal tags (tag::).
namespace param {
enum : int {
    text = 65536,
    model = 65544,
    receiptType = 65545,
    reportType = 65546,
    mode = 65547,
    cutType = 65552,
    serialNumber = 65559,
    paymentType = 65564,
    paymentSum = 65565,
    taxType = 65569,
    receiptElectronically = 65572,
    dataType = 65587,
    operatorId = 65588,
    logicalNumber = 65589,
    dateTime = 65590,
    isFiscalDevice = 65591,
    shiftState = 65592,
    isCashDrawerOpened = 65593,
    isPaperPresent = 65594,
    isCoverOpened = 65595,
    submode = 65596,
    receiptNumber = 65597,
    documentNumber = 65598,
    shiftNumber = 65599,
    receiptSum = 65600,
    lineLength = 65601,
    lineLengthPix = 65602,
    modelName = 65603,
    firmwareVersion = 65604,
    isPrinterConnectionLost = 65605,
    isPrinterError = 65606,
    isCutError = 65607,
    isPrinterOverheat = 65608,
    sum = 65613,
    fnDataType = 65622,
    tagValue = 65624,
    documentsCount = 65625,
    fiscalSign = 65626,
    commodityName = 65631,
    price = 65632,
    quantity = 65633,
    fnVersion = 65636,
    registrationsRemain = 65637,
    registrationsCount = 65638,
    ofdExchangeStatus = 65640,
    documentClosed = 65644,
    fnState = 65648,
    isFiscalFN = 65662,
    printHeadTemperature = 65667,
    ticketArrived = 65670,
    fnNeedReplacement = 65686,
    fnResourceExhausted = 65687,
    fnMemoryOverflow = 65688,
    fnOfdTimeout = 65689,
    fnCriticalError = 65690,
    ofdMessageRead = 65691,
    fnDocumentType = 65697,
    isFNPresent = 65707,
    isDeviceBlocked = 65708,
    documentPrinted = 65709,
    fnExecution = 65874,
    dateDaysLeft = 65817,
    freeMemory = 65818,
};
}  // namespace param

// The first parameter id that is the library's own and not a fiscal tag.
constexpr int firstParameter = param::text;

// Kinds of data libfptr_query_data reports (parameter dataType).
namespace dt {
enum : int {
    status = 0,
    cashSum = 1,
    cashInSum = 8,
    cashOutSum = 10,
    revenue = 12,
    shiftState = 14,
    receiptState = 15,
    printHeadTemperature = 33,
};
}  // namespace dt

// Kinds of data libfptr_fn_query_data reports (parameter fnDataType).
namespace fndt {
enum : int {
    ofdExchangeStatus = 1,
    fnInfo = 2,
    lastReceipt = 4,
    lastDocument = 5,
    validity = 8,
    registration = 9,
    ticketByNumber = 12,
    documentByNumber = 13,
    validityDays = 16,
    freeMemory = 17,
};
}  // namespace fndt

// Receipt types (parameter receiptType); closed: no receipt is open.
namespace rt {
enum : int {
    closed = 0,
    sell = 1,
    sellReturn = 2,
    sellCorrection = 7,
    sellReturnCorrection = 8,
    buyCorrection = 9,
    buyReturnCorrection = 10,
};
}  // namespace rt

// Report types (parameter reportType).
namespace report {
enum : int {
    closeShift = 0,
    x = 1,
};
}  // namespace report

// Cut types (parameter cutType).
namespace cut {
enum : int {
    full = 0,
    part = 1,
};
}  // namespace cut

// Shift states (parameter shiftState).
namespace shift {
enum : int {
    closed = 0,
    opened = 1,
    expired = 2,
};
}  // namespace shift

// Payment types (parameter paymentType): cash; the cashless ones follow it.
namespace payment {
enum : int {
    cash = 0,
    electronically = 1,
};
}  // namespace payment

// Fiscal storage document types (parameter fnDocumentType).
namespace fndoc {
enum : int {
    openShift = 2,
    receipt = 3,
    closeShift = 5,
};
}  // namespace fndoc

// Fiscal storage states (parameter fnState).
namespace fnstate {
enum : int {
    initial = 0,
    configured = 1,
    fiscalMode = 3,
    postFiscalMode = 7,
    accessArchive = 15,
};
}  // namespace fnstate

// Tax types (parameter taxType) of the 10.10.8 library.
namespace tax {
enum : int {
    vat18 = 1,
    vat10 = 2,
    vat118 = 3,
    vat110 = 4,
    vat0 = 5,
    no = 6,
    vat20 = 7,
    vat120 = 8,
    vat5 = 9,
    vat7 = 10,
    vat105 = 11,
    vat107 = 12,
    vat22 = 13,
    vat122 = 14,
    invalid = 15,  // no rate: the library refuses it
};
}  // namespace tax

// The library renumbered its tax types twice; 1 to 8 are the same in every
// 10.x version. The driver's numbers (tax:: above) are those of 10.10.8; a
// library of another version takes its own number for the same rate.
enum class TaxNumbering : int {
    upTo10_10_5,  // 10.10.5 and older: no rate above 8
    v10_10_6,
    v10_10_7,
    v10_10_8,  // and newer
    unknown,   // a version that could not be read: 1 to 8 only
};

// Each row is a tax:: number (vat5 .. invalid); its columns the number of the
// same rate in 10.10.5, 10.10.6, 10.10.7, 10.10.8. 0: that version has no such rate.
constexpr int kTaxTypesByVersion[][4] = {
    {0, 10, 9, 9},    // vat5
    {0, 12, 10, 10},  // vat7
    {0, 11, 11, 11},  // vat105
    {0, 13, 12, 12},  // vat107
    {0, 0, 0, 13},    // vat22
    {0, 0, 0, 14},    // vat122
    {9, 9, 13, 15},   // invalid
};
constexpr int kFirstRenumberedTaxType = tax::vat5;

// Parses "major.minor.patch.build" (four whole numbers and nothing else).
inline bool parseLibraryVersion(const char* text, int (&parts)[4]) {
    if (text == nullptr) return false;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *text++ != '.') return false;
        if (*text < '0' || *text > '9') return false;
        long value = 0;
        while (*text >= '0' && *text <= '9') {
            value = value * 10 + (*text++ - '0');
            if (value > 99999) return false;
        }
        parts[i] = static_cast<int>(value);
    }
    return *text == '\0';
}

// The numbering a library of this version uses.
inline TaxNumbering taxNumberingOf(const char* versionText) {
    int v[4];
    if (!parseLibraryVersion(versionText, v)) return TaxNumbering::unknown;
    const long long number = (static_cast<long long>(v[0]) * 100000 + v[1]) * 100000 + v[2];
    const long long v10_10 = (10LL * 100000 + 10) * 100000;
    if (number >= v10_10 + 8) return TaxNumbering::v10_10_8;
    if (number == v10_10 + 7) return TaxNumbering::v10_10_7;
    if (number == v10_10 + 6) return TaxNumbering::v10_10_6;
    return TaxNumbering::upTo10_10_5;
}

// The library's number for the driver's tax type in a numbering; 0 when that
// library has no such rate. Numbers outside 1..15 are no rate of the table
// and pass unchanged (the library refuses them itself).
constexpr int taxTypeIn(TaxNumbering numbering, int taxType) {
    if (taxType < kFirstRenumberedTaxType || taxType > tax::invalid) return taxType;
    if (numbering == TaxNumbering::unknown) return taxType == tax::invalid ? taxType : 0;
    return kTaxTypesByVersion[taxType - kFirstRenumberedTaxType][static_cast<int>(numbering)];
}

// The driver's tax type (tax::) that a library of this numbering reads in its
// number; tax::invalid for its "invalid" number and for numbers it does not have.
constexpr int taxTypeFrom(TaxNumbering numbering, int number) {
    if (number >= tax::vat18 && number < kFirstRenumberedTaxType) return number;
    if (numbering == TaxNumbering::unknown) numbering = TaxNumbering::v10_10_8;
    for (int t = kFirstRenumberedTaxType; t < tax::invalid; ++t)
        if (number != 0 &&
            kTaxTypesByVersion[t - kFirstRenumberedTaxType][static_cast<int>(numbering)] == number)
            return t;
    return tax::invalid;
}

// Fiscal tags the driver sets or reads (their numbers are parameter ids too).
namespace tag {
enum : int {
    autoMode = 1001,
    offlineMode = 1002,
    transferOperatorAddress = 1005,
    buyerContact = 1008,
    organizationAddress = 1009,
    transferOperatorVatin = 1016,
    ofdVatin = 1017,
    organizationVatin = 1018,
    total = 1020,
    cashier = 1021,
    transferOperatorName = 1026,
    machineNumber = 1036,
    registrationNumber = 1037,
    paymentAgentOperation = 1044,
    ofdName = 1046,
    organizationName = 1048,
    operationType = 1054,
    appliedTaxationType = 1055,
    encryption = 1056,
    agentSign = 1057,
    fnsUrl = 1060,
    taxationTypes = 1062,
    paymentAgentPhone = 1073,
    transferOperatorPhone = 1075,
    internet = 1108,
    service = 1109,
    bso = 1110,
    organizationEmail = 1117,
    lottery = 1126,
    supplierPhone = 1171,
    correctionType = 1173,
    correctionBase = 1174,
    correctionDate = 1178,
    correctionNumber = 1179,
    paymentsAddress = 1187,
    gambling = 1193,
    cashierInn = 1203,
    excise = 1207,
    ffdVersion = 1209,
    paymentObject = 1212,
    paymentMethod = 1214,
    machineInstallation = 1221,
    positionAgentSign = 1222,
    agentData = 1223,
    supplierData = 1224,
    supplierName = 1225,
    supplierInn = 1226,
    measure = 2108,
};
}  // namespace tag

// Values of fiscal tags the driver sets.
namespace ffd {
enum : int {
    v105 = 105,
    v110 = 110,
    v12 = 120,  // FFD 1.2 as tag 1209 reports it
};
}  // namespace ffd
namespace paymentObject {
enum : int { service = 4 };  // tag 1212
}
namespace paymentMethod {
enum : int { fullPayment = 4 };  // tag 1214
}
namespace measure {
enum : int { piece = 0 };  // tag 2108
}
namespace correctionType {
enum : int { self = 0, byOrder = 1 };  // tag 1173
}

// Failure numbers of the current library (libfptr_error_code after -1).
namespace error {
enum : int {
    ok = 0,
    connectionDisabled = 1,
    noConnection = 2,
    portBusy = 3,
    portNotAvailable = 4,
    unknown = 15,
    noPaper = 44,
    coverOpened = 45,
    deniedInOpenedReturnReceipt = 67,
    shiftExpired = 68,
    deniedInOpenedSellReceipt = 69,
    deniedInClosedShift = 73,
    deniedInClosedReceipt = 81,
    deniedInOpenedReceipt = 82,
    deniedInOpenedShift = 83,
    fnExchange = 115,
    fnInvalidState = 117,
    fnFault = 118,
    fnCryptoValidityExpired = 136,
    fnResourceExhausted = 137,
    fnHasUnsentDocuments = 139,
    fnTimeout = 140,
    fnShiftExpired = 141,
    connectionLost = 241,
};
}  // namespace error

// Direct results of the older library generation (it returned the failure
// itself rather than -1).
namespace legacy {
enum : int {
    noConnection = -11,
    noPaper = -3807,
    returnReceiptOpen = -3821,
    shiftExpired = -3822,
    saleReceiptOpen = -3865,
};
}  // namespace legacy

}  // namespace libfptr
}  // namespace vorna
