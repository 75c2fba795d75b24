#include "emulator/state_store.h"

#include <filesystem>

#include "emulator/file_io.h"

namespace vorna {
namespace emulator {

const char* const kStateFileName = "fptr10-state.json";
const char* const kLockFileName = "fptr10-state.lock";
const char* const kJournalFileName = "fptr10-journal.jsonl";
const char* const kTapeFileName = "fptr10-tape.txt";
const char* const kTraceFileName = "fptr10-trace.log";
const char* const kViolationsFileName = "fptr10-violations.log";

std::string emulatorDirectory() {
    std::string dir;
    if (platform::environmentVariable("FPTR10_EMULATOR_DIR", dir) && !dir.empty()) return dir;
    return platform::currentDirectory();
}

std::string emulatorFile(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    char last = directory.back();
    if (last == '/' || last == platform::pathSeparator()) return directory + name;
    return directory + platform::pathSeparator() + name;
}

nlohmann::json defaultState() {
    using nlohmann::json;
    json s;
    s["version"] = 1;
    s["clockOffset"] = 0;
    s["trace"] = false;
    s["errors"] = "current";
    s["registration"] = {{"1062", 1},
                         {"1057", 0},
                         {"1209", 105},
                         {"1001", false},
                         {"1002", false},
                         {"1056", false},
                         {"1108", false},
                         {"1109", false},
                         {"1110", false},
                         {"1126", false},
                         {"1193", false},
                         {"1207", false},
                         {"1221", false},
                         {"1060", "www.nalog.gov.ru"},
                         {"1009", u8"г. Москва, ул. Тверская, д. 1"},
                         {"1018", "7701234567"},
                         {"1048", u8"ООО \"Ромашка\""},
                         {"1117", "kassa@romashka.ru"},
                         {"1187", u8"г. Москва, ул. Тверская, д. 1"},
                         {"1037", "0000000001012345"},
                         {"1036", "1"},
                         {"1017", "7704211201"},
                         {"1046", u8"ООО \"ОФД\""}};
    s["status"] = {{"serialNumber", "00106900000001"},
                   {"modelName", u8"Эмулятор ККТ"},
                   {"firmwareVersion", "5.8.100"},
                   {"model", 255},
                   {"logicalNumber", 1},
                   {"lineLength", 48},
                   {"lineLengthPix", 576},
                   {"isFiscalDevice", true},
                   {"isFiscalFN", true},
                   {"isFNPresent", true},
                   {"isCashDrawerOpened", false},
                   {"isPrinterConnectionLost", false},
                   {"isPrinterError", false},
                   {"isCutError", false},
                   {"isPrinterOverheat", false},
                   {"isDeviceBlocked", false}};
    s["temperature"] = 35;
    s["paper"] = true;
    s["paperLinesLeft"] = -1;
    s["paperOutTiming"] = "after";
    s["coverOpen"] = false;
    s["connectionRefused"] = false;
    s["connectionLost"] = false;
    s["shift"] = {{"open", false}, {"number", 0}, {"openedAt", 0}};
    s["counters"] = {{"document", 0}, {"receipt", 0}};
    s["totals"] = {{"revenue", 0}, {"cashIn", 0}, {"cashOut", 0}};
    s["cashBalance"] = 0;
    s["operator"] = {{"name", ""}, {"inn", ""}};
    s["receipt"] = nullptr;
    s["nonfiscal"] = false;
    s["lastDocument"] = {{"number", 0}, {"time", 0}, {"closed", true}};
    s["settings"] = {{"Port", "0"},
                     {"ComFile", "COM1"},
                     {"IPAddress", "192.168.1.10"},
                     {"IPPort", "5555"},
                     {"BaudRate", "115200"}};
    s["faults"] = json::array();
    addHealthState(s);
    return s;
}

void completeState(nlohmann::json& state) {
    const nlohmann::json defaults = defaultState();
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        if (!state.contains(it.key())) {
            state[it.key()] = it.value();
        } else if (it.value().is_object() && state[it.key()].is_object()) {
            for (auto inner = it.value().begin(); inner != it.value().end(); ++inner)
                if (!state[it.key()].contains(inner.key()))
                    state[it.key()][inner.key()] = inner.value();
        }
    }
}

StateSession::StateSession(const std::string& directory) : directory_(directory) {
    lock_.reset(new platform::FileLock(emulatorFile(directory_, kLockFileName)));
    if (!lock_->ok()) {
        problem_ = "cannot lock " + emulatorFile(directory_, kLockFileName);
        return;
    }
    const std::string path = emulatorFile(directory_, kStateFileName);
    if (!readWholeFile(path, savedText_)) {
        std::error_code ignored;
        if (std::filesystem::exists(path, ignored)) {
            // Never start a fresh register over one that is only unreadable.
            problem_ = "cannot read " + path;
            return;
        }
        savedText_.clear();
        state_ = defaultState();
        ok_ = true;
        return;
    }
    try {
        state_ = nlohmann::json::parse(savedText_);
        if (!state_.is_object()) throw std::runtime_error("not an object");
        completeState(state_);
        ok_ = true;
    } catch (const std::exception& e) {
        problem_ = std::string("damaged state file: ") + e.what();
    }
}

bool StateSession::save() {
    if (!ok_) return false;
    std::string text = state_.dump(2) + "\n";
    if (text == savedText_) return true;
    const std::string target = emulatorFile(directory_, kStateFileName);
    const std::string temporary = target + ".tmp";
    if (!writeWholeFile(temporary, text)) return false;
    if (!platform::replaceFile(temporary, target)) return false;
    savedText_ = text;
    return true;
}

bool StateSession::appendLine(const std::string& fileName, const std::string& line) {
    if (!holding_) return appendToFile(emulatorFile(directory_, fileName), line + "\n");
    for (auto& file : held_)
        if (file.first == fileName) {
            file.second += line + "\n";
            return true;
        }
    held_.emplace_back(fileName, line + "\n");
    return true;
}

bool StateSession::flushAppends() {
    bool ok = true;
    for (const auto& file : held_)
        ok = appendToFile(emulatorFile(directory_, file.first), file.second) && ok;
    held_.clear();
    holding_ = false;
    return ok;
}

}  // namespace emulator
}  // namespace vorna
