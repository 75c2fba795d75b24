// The fiscal storage's health: its validity, state and warning flags, the
// documents the operator (OFD) has not confirmed, and the refusal of fiscal
// documents once the storage is blocked.
#include <cstdio>
#include <string>

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/register_machine.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

namespace {

// The law blocks fiscal documents when the operator has not confirmed one for this long.
constexpr std::int64_t kOperatorLimitSeconds = 30 * 24 * 3600;

// The moment a "YYYY-MM-DD" date begins on the register's clock; -1 when it is no date.
std::int64_t dayStart(const std::string& date) {
    CivilTime t;
    if (date.size() != 10 ||
        std::sscanf(date.c_str(), "%4d-%2d-%2d", &t.year, &t.month, &t.day) != 3)
        return -1;
    return fromCivil(t);
}

bool isFiscalDocument(const json& entry) {
    const std::string type = entry.value("type", "");
    return type == "receipt" || type == "open_shift" || type == "z_report";
}

}  // namespace

void addHealthState(json& s) {
    s["fn"] = {{"validUntil", formatTime(registerNow(0) + 400 * 24 * 3600).substr(0, 10)},
               {"registrationsLeft", 29},
               {"registrationsMade", 1},
               {"state", libfptr::fnstate::fiscalMode},
               {"serialNumber", "9999078902012345"},
               {"version", "fn v 2.42"},
               {"execution", "FN-1.2"},
               {"needReplacement", false},
               {"resourceExhausted", false},
               {"memoryOverflow", false},
               {"ofdTimeout", false},
               {"criticalError", false},
               {"documentsFree", 240000},
               {"freeMemory", 520000}};
    s["ofd"] = {{"online", true}, {"queue", json::array()}};
}

int RegisterMachine::fnHealthQuery(int kind) {
    namespace p = libfptr::param;
    ParamSet& out = instance_.output;
    const json& fn = s_["fn"];
    switch (kind) {
        case libfptr::fndt::ofdExchangeStatus: {
            const json& queue = s_["ofd"]["queue"];
            out.set(p::documentsCount, ParamValue::ofInt(static_cast<std::int64_t>(queue.size())));
            const bool waiting = !queue.empty();
            out.set(p::documentNumber,
                    ParamValue::ofInt(waiting ? queue[0]["document"].get<std::int64_t>() : 0));
            out.set(p::dateTime,
                    ParamValue::ofDateTime(waiting ? queue[0]["at"].get<std::int64_t>() : 0));
            // Bit 0: a transport connection with the operator is up.
            out.set(p::ofdExchangeStatus,
                    ParamValue::ofInt(s_["ofd"]["online"].get<bool>() ? 1 : 0));
            out.set(p::ofdMessageRead, ParamValue::ofBool(false));
            return 0;
        }
        case libfptr::fndt::fnInfo:
            out.set(p::serialNumber, ParamValue::ofText(fn["serialNumber"].get<std::string>()));
            out.set(p::fnVersion, ParamValue::ofText(fn["version"].get<std::string>()));
            out.set(p::fnExecution, ParamValue::ofText(fn["execution"].get<std::string>()));
            out.set(p::fnState, ParamValue::ofInt(fn["state"].get<int>()));
            out.set(p::fnNeedReplacement, ParamValue::ofBool(fn["needReplacement"].get<bool>()));
            out.set(p::fnResourceExhausted,
                    ParamValue::ofBool(fn["resourceExhausted"].get<bool>()));
            out.set(p::fnMemoryOverflow, ParamValue::ofBool(fn["memoryOverflow"].get<bool>()));
            out.set(p::fnOfdTimeout, ParamValue::ofBool(fn["ofdTimeout"].get<bool>()));
            out.set(p::fnCriticalError, ParamValue::ofBool(fn["criticalError"].get<bool>()));
            return 0;
        case libfptr::fndt::validity: {
            const std::int64_t until = dayStart(fn["validUntil"].get<std::string>());
            if (until < 0) return error::internalFailure;
            out.set(p::dateTime, ParamValue::ofDateTime(until));
            out.set(p::registrationsRemain, ParamValue::ofInt(fn["registrationsLeft"].get<int>()));
            out.set(p::registrationsCount, ParamValue::ofInt(fn["registrationsMade"].get<int>()));
            return 0;
        }
        case libfptr::fndt::validityDays: {
            // Counted from the date the caller sets, which the query needs.
            const ParamValue* from = instance_.input.find(p::dateTime);
            if (!from || from->kind != ParamValue::Kind::dateTime) return error::invalidParameter;
            const std::int64_t until = dayStart(fn["validUntil"].get<std::string>());
            if (until < 0) return error::internalFailure;
            out.set(p::dateDaysLeft, ParamValue::ofInt(daysBetween(from->integer, until)));
            return 0;
        }
        case libfptr::fndt::freeMemory:
            out.set(p::documentsCount, ParamValue::ofInt(fn["documentsFree"].get<int>()));
            out.set(p::freeMemory, ParamValue::ofInt(fn["freeMemory"].get<int>()));
            return 0;
        default:
            return error::invalidParameter;
    }
}

int RegisterMachine::requireStorageAcceptsDocuments() const {
    const json& fn = s_["fn"];
    if (fn["state"].get<int>() != libfptr::fnstate::fiscalMode)
        return libfptr::error::fnInvalidState;
    const std::int64_t until = dayStart(fn["validUntil"].get<std::string>());
    if (until >= 0 && now() >= until) return libfptr::error::fnCryptoValidityExpired;
    const json& queue = s_["ofd"]["queue"];
    if (!queue.empty() && now() - queue[0]["at"].get<std::int64_t>() >= kOperatorLimitSeconds)
        return libfptr::error::fnResourceExhausted;
    return 0;
}

void RegisterMachine::queueForOperator(const json& entry, int number) {
    if (!isFiscalDocument(entry) || s_["ofd"]["online"].get<bool>()) return;
    s_["ofd"]["queue"].push_back({{"document", number}, {"at", entry["at"]}});
}

}  // namespace emulator
}  // namespace vorna
