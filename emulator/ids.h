// Parameter identifiers, query kinds and fiscal tags that the emulated
// register understands (the numbers are the register library's own).
#pragma once

namespace vorna {
namespace emulator {
namespace id {

// Parameters of operations.
enum : int {
    text = 65536,
    receiptType = 65545,
    reportType = 65546,
    mode = 65547,
    cutType = 65552,
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
    commodityName = 65631,
    price = 65632,
    quantity = 65633,
    documentClosed = 65644,
    ticketArrived = 65670,
    fiscalSign = 65626,
    fnDocumentType = 65697,
    isFiscalFN = 65662,
    printHeadTemperature = 65667,
    isFNPresent = 65707,
    isDeviceBlocked = 65708,
    model = 65544,
    serialNumber = 65559,
};

// Kinds of libfptr_query_data (parameter dataType).
enum : int {
    dtStatus = 0,
    dtCashSum = 3,
    dtCashInSum = 8,
    dtCashOutSum = 10,
    dtRevenue = 12,
    dtShiftState = 14,
    dtReceiptState = 15,
    dtPrintHeadTemperature = 33,
};

// Kinds of libfptr_fn_query_data (parameter fnDataType).
enum : int {
    fnLastReceipt = 4,
    fnLastDocument = 5,
    fnRegistration = 9,
    fnTicketByNumber = 12,
    fnDocumentByNumber = 13,
};

// Fiscal storage document types (parameter fnDocumentType) of the documents
// the emulated register journals; 0 for those that are no fiscal document.
enum : int {
    fdShiftOpen = 2,
    fdReceipt = 3,
    fdShiftClose = 5,
};

// Fiscal tags used by the operations themselves.
enum : int {
    tagBuyerContact = 1008,
    tagTotal = 1020,
    tagOperationType = 1054,
    tagCashier = 1021,
    tagCashierInn = 1203,
    tagAgentSign = 1057,
    tagFfdVersion = 1209,
    tagPaymentObject = 1212,
    tagPaymentMethod = 1214,
    tagPositionAgentSign = 1222,
    tagAgentData = 1223,
    tagSupplierData = 1224,
    tagSupplierName = 1225,
    tagSupplierInn = 1226,
    tagMeasure = 2108,
};

// The first identifier that is a library parameter and not a fiscal tag.
constexpr int firstLibraryParameter = 65536;

// FFD 1.2 as the register reports it in tag 1209.
constexpr int ffd12 = 120;

}  // namespace id
}  // namespace emulator
}  // namespace vorna
