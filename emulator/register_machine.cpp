#include "emulator/register_machine.h"

#include <cmath>
#include <cstdio>

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/register_port.h"
#include "emulator/tlv.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

std::string ruleLine(char c) { return std::string(48, c); }

double roubles(std::int64_t kopecks) { return static_cast<double>(kopecks) / 100.0; }

std::string moneyText(std::int64_t kopecks) {
    char buffer[40];
    std::int64_t a = kopecks < 0 ? -kopecks : kopecks;
    std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld", kopecks < 0 ? "-" : "",
                  static_cast<long long>(a / 100), static_cast<long long>(a % 100));
    return buffer;
}

std::string taxTypeName(int taxType) {
    static const char* const names[] = {"",
                                        u8"НДС 18%",
                                        u8"НДС 10%",
                                        u8"НДС 18/118",
                                        u8"НДС 10/110",
                                        u8"НДС 0%",
                                        u8"БЕЗ НДС",
                                        u8"НДС 20%",
                                        u8"НДС 20/120",
                                        u8"НДС 5%",
                                        u8"НДС 7%",
                                        u8"НДС 5/105",
                                        u8"НДС 7/107",
                                        u8"НДС 22%",
                                        u8"НДС 22/122",
                                        u8"БЕЗ НАЛОГА"};
    return taxType >= 1 && taxType <= 15 ? names[taxType] : "";
}

RegisterMachine::RegisterMachine(StateSession& session, Instance& instance)
    : session_(session), s_(session.state()), instance_(instance) {}

std::int64_t RegisterMachine::now() const {
    return registerNow(s_["clockOffset"].get<std::int64_t>());
}

int RegisterMachine::shiftState() const {
    if (!s_["shift"]["open"].get<bool>()) return 0;
    return now() - s_["shift"]["openedAt"].get<std::int64_t>() > kShiftSeconds ? 2 : 1;
}

std::int64_t RegisterMachine::receiptTotal() const {
    std::int64_t total = 0;
    if (s_["receipt"].is_object())
        for (const auto& p : s_["receipt"]["positions"])
            total += p["sumKopecks"].get<std::int64_t>();
    return total;
}

// ---- checks -----------------------------------------------------------------

int RegisterMachine::requireConnection() const {
    if (instance_.keyboard) return 0;
    if (!instance_.opened || s_["connectionLost"].get<bool>()) return error::notConnected;
    return 0;
}

int RegisterMachine::requirePrinter() const {
    if (!s_["paper"].get<bool>()) return error::noPaper;
    if (s_["coverOpen"].get<bool>()) return error::coverOpen;
    return 0;
}

int RegisterMachine::requireNoDocument() const {
    if (s_["receipt"].is_object())
        return s_["receipt"]["type"].get<int>() == 2 ? error::returnReceiptOpen
                                                     : error::saleReceiptOpen;
    if (s_["nonfiscal"].get<bool>()) return error::nonfiscalOpen;
    return 0;
}

int RegisterMachine::requireOpenShift() const {
    int state = shiftState();
    if (state == 0) return error::shiftClosed;
    if (state == 2) return error::shiftExpired;
    return 0;
}

int RegisterMachine::checkPaperFor(std::size_t lines) {
    std::int64_t left = s_["paperLinesLeft"].get<std::int64_t>();
    if (left >= 0 && static_cast<std::int64_t>(lines) > left &&
        s_["paperOutTiming"].get<std::string>() == "before") {
        s_["paper"] = false;
        s_["paperLinesLeft"] = -1;
        return error::noPaper;
    }
    return 0;
}

int RegisterMachine::print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::int64_t left = s_["paperLinesLeft"].get<std::int64_t>();
        if (!s_["paper"].get<bool>() || left == 0) {
            s_["paper"] = false;
            s_["paperLinesLeft"] = -1;
            return error::noPaper;
        }
        session_.appendLine(kTapeFileName, line);
        if (left > 0) s_["paperLinesLeft"] = left - 1;
    }
    if (s_["paperLinesLeft"].get<std::int64_t>() == 0) {
        // The last line took the end of the roll.
        s_["paper"] = false;
        s_["paperLinesLeft"] = -1;
    }
    return 0;
}

std::vector<std::string> RegisterMachine::wrap(const std::string& text) const {
    const std::size_t width = s_["status"]["lineLength"].get<std::size_t>();
    std::vector<std::string> lines;
    std::string current;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (text[i] == '\n') {
            lines.push_back(current);
            current.clear();
            count = 0;
            continue;
        }
        if ((c & 0xC0) != 0x80) {
            if (count == width && width > 0) {
                lines.push_back(current);
                current.clear();
                count = 0;
            }
            ++count;
        }
        current.push_back(text[i]);
    }
    lines.push_back(current);
    return lines;
}

std::vector<std::string> RegisterMachine::documentHeader(const std::string& title,
                                                         std::int64_t number) const {
    const json& reg = s_["registration"];
    std::vector<std::string> lines;
    lines.push_back(ruleLine('='));
    lines.push_back(reg["1048"].get<std::string>());
    lines.push_back(reg["1009"].get<std::string>());
    lines.push_back(u8"ИНН " + reg["1018"].get<std::string>());
    lines.push_back(title);
    lines.push_back(u8"ФД " + std::to_string(number) + u8"  СМЕНА " +
                    std::to_string(s_["shift"]["number"].get<int>()) + "  " + formatTime(now()));
    std::string cashier = s_["operator"]["name"].get<std::string>();
    if (!cashier.empty()) lines.push_back(u8"КАССИР " + cashier);
    return lines;
}

int RegisterMachine::nextDocumentNumber() const {
    return s_["counters"]["document"].get<int>() + 1;
}

void RegisterMachine::journal(json entry, int number) {
    s_["counters"]["document"] = number;
    s_["lastDocument"] = {{"number", number}, {"time", now()}, {"closed", true}};
    json line = {{"document", number}};
    line.update(entry);
    line["time"] = formatTime(now());
    line["at"] = now();  // the moment itself, for the fiscal storage's queries
    line["shift"] = s_["shift"]["number"];
    queueForOperator(line, number);
    session_.appendLine(kJournalFileName, line.dump());
}

// ---- connection and settings --------------------------------------------------

int RegisterMachine::open() {
    if (s_["connectionRefused"].get<bool>() || s_["connectionLost"].get<bool>()) {
        instance_.opened = false;
        return error::notConnected;
    }
    switch (takePort(instance_, session_.directory())) {
        case PortTaking::taken:
            break;
        case PortTaking::busy:
            instance_.opened = false;
            return error::current::portBusy;
        case PortTaking::unavailable:
            instance_.opened = false;
            return error::current::portNotAvailable;
    }
    instance_.opened = true;
    return 0;
}

int RegisterMachine::close() {
    instance_.opened = false;
    releasePort(instance_);
    return 0;
}

int RegisterMachine::isOpened() const {
    return instance_.opened && !s_["connectionLost"].get<bool>() ? 1 : 0;
}

int RegisterMachine::applySingleSettings() {
    json applied = s_["settings"];
    for (const auto& kv : instance_.pendingSettings) applied[kv.first] = kv.second;
    auto isNumber = [](const std::string& text, long low, long high) {
        if (text.empty() || text.size() > 9) return false;
        for (char c : text)
            if (c < '0' || c > '9') return false;
        long v = std::stol(text);
        return v >= low && v <= high;
    };
    bool valid = isNumber(applied.value("Port", "0"), 0, 3) &&
                 isNumber(applied.value("IPPort", "5555"), 1, 65535) &&
                 isNumber(applied.value("BaudRate", "115200"), 1200, 921600);
    const std::string port = applied.value("Port", "0");
    if (port == "0" && applied.value("ComFile", "").empty()) valid = false;
    if (port == "2" && applied.value("IPAddress", "").empty()) valid = false;
    instance_.pendingSettings.clear();
    if (!valid) return error::invalidSetting;
    s_["settings"] = applied;
    return 0;
}

std::string RegisterMachine::settingsText() const { return s_["settings"].dump(); }

// ---- TLV --------------------------------------------------------------------------------

int RegisterMachine::utilFormTlv() {
    instance_.output.set(libfptr::param::tagValue,
                         ParamValue::ofBytes(encodeTlvSet(instance_.input)));
    return 0;
}

}  // namespace emulator
}  // namespace vorna
