#include "emulator/faults.h"

#include "common/platform/platform.h"
#include "emulator/errors.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

namespace {
// Set by an "exit" fault; the call ends the process once its state is saved.
bool exitAsked = false;
// The exit code of a process ended by an "exit" fault.
constexpr int kExitFaultCode = 86;
}  // namespace

void exitWhenAsked() {
    if (exitAsked) platform::terminateProcess(kExitFaultCode);
}

json takeFault(json& state, const std::string& function, bool operation) {
    json& faults = state["faults"];
    if (!faults.is_array()) return nullptr;
    for (std::size_t i = 0; i < faults.size(); ++i) {
        json& f = faults[i];
        const std::string target = f.value("function", "*");
        const std::string kind = f.value("kind", "error");
        bool hits = target == function || (target == "*" && operation);
        if (kind == "unconfirmed") hits = function == "libfptr_close_receipt";
        if (!hits) continue;
        int skip = f.value("skip", 0);
        if (skip > 0) {
            f["skip"] = skip - 1;
            continue;
        }
        json fired = f;
        int count = f.value("count", 1);
        if (count > 0) {
            if (count == 1)
                faults.erase(i);
            else
                f["count"] = count - 1;
        }
        return fired;
    }
    return nullptr;
}

bool actsBefore(const json& fault) {
    // A reply can only be lost once there is one.
    if (fault.value("kind", "") == "reply_lost") return false;
    return fault.value("timing", "before") == "before";
}

bool crashes(const json& fault) { return fault.is_object() && fault.value("kind", "") == "crash"; }

int applyFault(json& state, const json& fault, const std::string& function) {
    const std::string kind = fault.value("kind", "error");
    if (kind == "throw")
        throw InjectedException("fptr10 emulator: injected exception in " + function);
    if (kind == "paper_out") {
        state["paper"] = false;
        state["paperLinesLeft"] = -1;
        return error::noPaper;
    }
    if (kind == "cover_open") {
        state["coverOpen"] = true;
        return error::coverOpen;
    }
    if (kind == "connection_lost") {
        state["connectionLost"] = true;
        return error::notConnected;
    }
    if (kind == "exit") {
        exitAsked = true;
        return 0;
    }
    if (kind == "reply_lost") return error::current::connectionLostInOperation;
    if (kind == "crash") return 0;
    if (kind == "unconfirmed") {
        state["lastDocument"]["closed"] = false;
        return 0;
    }
    int code = fault.value("error", 0);
    return code != 0 ? code : error::injectedFailure;
}

json makeFault(const std::string& kind, const std::string& function, const std::string& timing,
               int count, int error, int skip) {
    json f = {{"kind", kind}, {"function", function}, {"timing", timing}, {"count", count}};
    if (error != 0) f["error"] = error;
    if (skip != 0) f["skip"] = skip;
    return f;
}

}  // namespace emulator
}  // namespace vorna
