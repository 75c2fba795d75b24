// The library's entry points, plain C functions under their own names: the
// three every driver has, and the optional readings of the fiscal storage and
// of the register's health, and the optional correction receipt.
#include <cstring>
#include <string>

#include "cash/atol10/atol_cash10.h"
#include "cash/atol10/driver_objects.h"
#include "cash/atol10/unattended_driver.h"
#include "cash/shared/ResultCode.h"

namespace {

// The optional exports' frame: the driver's own object, and nothing but a
// result code crosses into the caller.
template <typename Call>
int onDriverObject(vorna::cash::ICash* object, Call call) {
    if (object == nullptr) return vorna::cash::kOtherError;
    try {
        return call(*static_cast<vorna::cash::AtolCash10*>(object));
    } catch (...) {
        return vorna::cash::kOtherError;
    }
}

}  // namespace

extern "C" {

vorna::cash::ICash* CreateObject() { return vorna::cash::createDriverObject(); }

vorna::cash::ICash* CreateObjectWithIni(const char* settingsFile) {
    return vorna::cash::createDriverObjectWithIni(settingsFile);
}

void DestroyObject(vorna::cash::ICash* object) { vorna::cash::destroyDriverObject(object); }

int QueryFiscalDocument(vorna::cash::ICash* object, unsigned number,
                        vorna::cash::FiscalDocument* out) {
    return onDriverObject(object, [&](vorna::cash::AtolCash10& cash) {
        return cash.QueryFiscalDocument(number, out);
    });
}

int QueryRegisterHealth(vorna::cash::ICash* object, vorna::cash::RegisterHealth* out) {
    return onDriverObject(
        object, [&](vorna::cash::AtolCash10& cash) { return cash.QueryRegisterHealth(out); });
}

int QueryStorageRefusal(vorna::cash::ICash* object, vorna::cash::StorageRefusal* out) {
    return onDriverObject(
        object, [&](vorna::cash::AtolCash10& cash) { return cash.QueryStorageRefusal(out); });
}

int QueryLibraryInfo(vorna::cash::ICash* object, vorna::cash::LibraryInfo* out) {
    return onDriverObject(
        object, [&](vorna::cash::AtolCash10& cash) { return cash.QueryLibraryInfo(out); });
}

int QueryRegisterBusy(vorna::cash::ICash* object, vorna::cash::RegisterBusy* out) {
    return onDriverObject(
        object, [&](vorna::cash::AtolCash10& cash) { return cash.QueryRegisterBusy(out); });
}

int RegisterCorrection(vorna::cash::ICash* object, const vorna::cash::CorrectionReceipt* request,
                       vorna::cash::FiscalDocument* out, char* reason, int reasonSize) {
    if (reason != nullptr && reasonSize > 0) reason[0] = '\0';
    if (object == nullptr || request == nullptr) return vorna::cash::kOtherError;
    try {
        std::string why;
        const int result =
            static_cast<vorna::cash::AtolCash10*>(object)->RegisterCorrection(*request, out, why);
        if (reason != nullptr && reasonSize > 0) {
            std::strncpy(reason, why.c_str(), static_cast<std::size_t>(reasonSize) - 1);
            reason[reasonSize - 1] = '\0';
        }
        return result;
    } catch (...) {
        return vorna::cash::kOtherError;
    }
}

void SetUnattended(int on, vorna::cash::UnattendedNoticeFunction notice) {
    vorna::cash::setSenderUnattended(on != 0, notice);
}
}
