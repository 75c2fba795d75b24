// One cash sale per run of the loop, through the register library loaded by
// name, with the calls in the order the ATOL driver makes them: device check,
// shift check (opening it when closed), receipt state, opening the receipt,
// one text line, the position, payment, closing and confirming the receipt.
// A new library instance per sale, as the driver makes one per payment.
//
// usage: emulator_cash_sale [--count N] [--price ROUBLES] [--tax TYPE] [--mode sale|income]
// Prints "document N" per sale; exit code 0 when every sale was confirmed.
// With --mode income each run of the loop is a cash income of the price instead.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/platform/platform.h"
#include "fptr10/fptr10_api.h"
#include "fptr10/fptr10_numbers.h"

namespace {

using namespace vorna::libfptr;

using vorna::platform::findSymbol;

struct Api {
    vorna::platform::LibraryHandle module = nullptr;
    template <class F>
    F get(const char* name) {
        F f = reinterpret_cast<F>(findSymbol(module, name));
        if (!f) {
            std::fprintf(stderr, "missing %s\n", name);
            std::exit(3);
        }
        return f;
    }
};

vorna::platform::LibraryHandle loadRegisterLibrary() {
    const std::string name = EMULATOR_LIBRARY_FILE;
    vorna::platform::LibraryHandle module = vorna::platform::loadLibrary(name);
    if (module) return module;
    // Beside this program (Linux does not search there by itself).
    const std::string self = vorna::platform::moduleFileName(nullptr);
    return vorna::platform::loadLibrary(vorna::platform::removeFileSpec(self) +
                                        vorna::platform::pathSeparator() + name);
}

std::wstring wide(const char* utf8) { return vorna::platform::utf8ToWide(utf8); }

}  // namespace

int main(int argc, char** argv) {
    int count = 1;
    double price = 100.5;
    int tax = 7;
    bool income = false;
    int waitSteps = 2000;  // --wait-ms N: how long a busy port is waited for
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--wait-ms")) waitSteps = std::atoi(argv[i + 1]) / 5;
        if (!std::strcmp(argv[i], "--count")) count = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--price")) price = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--tax")) tax = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--mode")) income = !std::strcmp(argv[i + 1], "income");
    }
    Api api;
    api.module = loadRegisterLibrary();
    if (!api.module) {
        std::fprintf(stderr, "cannot load %s\n", EMULATOR_LIBRARY_FILE);
        return 3;
    }
    auto create = api.get<libfptr_create_fn>("libfptr_create");
    auto destroy = api.get<libfptr_destroy_fn>("libfptr_destroy");
    auto open = api.get<libfptr_open_fn>("libfptr_open");
    auto close = api.get<libfptr_close_fn>("libfptr_close");
    auto isOpened = api.get<libfptr_is_opened_fn>("libfptr_is_opened");
    auto errorCode = api.get<libfptr_error_code_fn>("libfptr_error_code");
    auto setInt = api.get<libfptr_set_param_int_fn>("libfptr_set_param_int");
    auto setStr = api.get<libfptr_set_param_str_fn>("libfptr_set_param_str");
    auto setDouble = api.get<libfptr_set_param_double_fn>("libfptr_set_param_double");
    auto getInt = api.get<libfptr_get_param_int_fn>("libfptr_get_param_int");
    auto getBool = api.get<libfptr_get_param_bool_fn>("libfptr_get_param_bool");
    auto query = api.get<libfptr_query_data_fn>("libfptr_query_data");
    auto fnQuery = api.get<libfptr_fn_query_data_fn>("libfptr_fn_query_data");
    auto login = api.get<libfptr_operator_login_fn>("libfptr_operator_login");
    auto openShift = api.get<libfptr_open_shift_fn>("libfptr_open_shift");
    auto openReceipt = api.get<libfptr_open_receipt_fn>("libfptr_open_receipt");
    auto printText = api.get<libfptr_print_text_fn>("libfptr_print_text");
    auto registration = api.get<libfptr_registration_fn>("libfptr_registration");
    auto payment = api.get<libfptr_payment_fn>("libfptr_payment");
    auto closeReceipt = api.get<libfptr_close_receipt_fn>("libfptr_close_receipt");
    auto checkClosed = api.get<libfptr_check_document_closed_fn>("libfptr_check_document_closed");
    auto cashIncome = api.get<libfptr_cash_income_fn>("libfptr_cash_income");

    const std::wstring cashier = wide(u8"Иванова И.И.");
    const std::wstring inn = L"";
    int failures = 0;
    for (int sale = 0; sale < count; ++sale) {
        libfptr_handle h = nullptr;
        if (create(&h) != 0) return 4;
        // Device check: connect (waiting while another process holds the
        // register's port, 10 s unless --wait-ms), paper, shift state.
        int opened;
        for (int wait = 0; (opened = open(h)) != 0 && errorCode(h) == 3 && wait < waitSteps; ++wait)
            vorna::platform::sleepMilliseconds(5);
        if (opened != 0) std::printf("open failed: error %d\n", errorCode(h));
        if (income) {
            setDouble(h, param::sum, price);
            if (cashIncome(h) != 0) ++failures;
            close(h);
            destroy(&h);
            continue;
        }
        if (!isOpened(h)) ++failures;
        setInt(h, param::dataType, dt::status);
        query(h);
        if (!getBool(h, param::isPaperPresent)) ++failures;
        setInt(h, param::dataType, dt::shiftState);
        query(h);
        // Shift: open it when closed.
        setInt(h, param::dataType, dt::shiftState);
        query(h);
        if (getInt(h, param::shiftState) == shift::closed) {
            setStr(h, tag::cashier, cashier.c_str());
            setStr(h, tag::cashierInn, inn.c_str());
            login(h);
            if (openShift(h) != 0) ++failures;
        }
        // Receipt state.
        setInt(h, param::dataType, dt::receiptState);
        query(h);
        getInt(h, param::receiptType);
        // Opening the receipt.
        setInt(h, param::fnDataType, fndt::registration);
        fnQuery(h);
        const int ffd = getInt(h, tag::ffdVersion);
        setStr(h, tag::cashier, cashier.c_str());
        setStr(h, tag::cashierInn, inn.c_str());
        login(h);
        setInt(h, param::fnDataType, fndt::registration);
        fnQuery(h);
        const int agentSign = getInt(h, tag::agentSign);
        if (ffd < ffd::v12) setInt(h, tag::agentSign, agentSign);
        setInt(h, param::receiptType, rt::sell);
        if (openReceipt(h) != 0) ++failures;
        // One text line.
        setStr(h, param::text, wide(u8"Перевод № 1").c_str());
        printText(h);
        // The position.
        setInt(h, param::fnDataType, fndt::registration);
        fnQuery(h);
        getInt(h, tag::agentSign);
        setStr(h, param::commodityName, wide(u8"Приём перевода").c_str());
        setDouble(h, param::price, price);
        setDouble(h, param::quantity, 1.0);
        setInt(h, param::taxType, tax);
        setInt(h, tag::paymentObject, paymentObject::service);
        setInt(h, tag::paymentMethod, paymentMethod::fullPayment);
        if (ffd >= ffd::v12) setInt(h, tag::measure, measure::piece);
        if (registration(h) != 0) ++failures;
        // Payment, closing and confirmation.
        setInt(h, param::dataType, dt::receiptState);
        query(h);
        getInt(h, param::receiptType);
        setInt(h, param::paymentType, payment::cash);
        setDouble(h, param::paymentSum, price);
        payment(h);
        if (closeReceipt(h) != 0) ++failures;
        if (checkClosed(h) != 0 || !getBool(h, param::documentClosed)) ++failures;
        setInt(h, param::fnDataType, fndt::lastDocument);
        fnQuery(h);
        std::printf("document %d\n", getInt(h, param::documentNumber));
        close(h);
        destroy(&h);
    }
    return failures == 0 ? 0 : 1;
}
