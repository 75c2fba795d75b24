#include "cash/sender/health/library_health.h"

#include <string>

namespace vorna {

namespace {
// A text field of the driver's plain C data, which may fill its array.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    std::size_t size = 0;
    while (size < N && field[size] != '\0') ++size;
    return std::string(field, size);
}
}  // namespace

std::string libraryVersionText(const cash::LibraryInfo* info) {
    if (info == nullptr || !info->versionKnown || info->version[0] == '\0') return "не определена";
    return fieldText(info->version);
}

void judgeLibrary(const cash::LibraryInfo* info, HealthVerdict& verdict) {
    if (info == nullptr) return;
    const std::string version = libraryVersionText(info);
    if (info->versionKnown && info->version[0] != '\0')
        verdict.summary += (verdict.summary.empty() ? "" : ", ") + ("библиотека ККТ " + version);
    const std::string missing = fieldText(info->missingRates);
    if (missing.empty()) return;
    const std::string head = info->versionKnown
                                 ? "Библиотека ККТ версии " + version + " не регистрирует ставки "
                                 : "Версия библиотеки ККТ не определена, не регистрируются ставки ";
    verdict.reasons.push_back(head + missing +
                              ": обновите драйвер ККТ до версии 10.10.8 или новее.");
    ++verdict.libraryReasons;
    if (verdict.status == HealthStatus::ok) {
        verdict.status = HealthStatus::warning;
        verdict.libraryRaised = true;
    }
}

}  // namespace vorna
