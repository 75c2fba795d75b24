#include "cash/atol10/fptr10/library_version.h"

#include <cstdio>
#include <mutex>

#include "common/platform/platform.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

namespace {

struct Rate {
    int taxType;
    const char* name;
    const char* firstVersion;  // the first library version that registers it
};
const Rate kRenumberedRates[] = {
    {libfptr::tax::vat5, "НДС 5%", "10.10.6"},      {libfptr::tax::vat7, "НДС 7%", "10.10.6"},
    {libfptr::tax::vat105, "НДС 5/105", "10.10.6"}, {libfptr::tax::vat107, "НДС 7/107", "10.10.6"},
    {libfptr::tax::vat22, "НДС 22%", "10.10.8"},    {libfptr::tax::vat122, "НДС 22/122", "10.10.8"},
};

// The library stays loaded for the life of the host process, while this
// driver is loaded and unloaded around every call of the host: the answer is
// kept in the process's environment, under the handle of the library it came
// from and of this process (a child process inherits the environment, not
// the library), so that each load of the library is asked once.
constexpr char kKeptVersion[] = "VORNA_FPTR10_LIBRARY_VERSION";

std::string moduleKey(Module module) {
    char key[48];
    std::snprintf(key, sizeof key, "%lu|%p|", platform::processId(), module);
    return key;
}

bool keptVersion(Module module, std::string& text) {
    std::string kept;
    if (!platform::environmentVariable(kKeptVersion, kept)) return false;
    const std::string key = moduleKey(module);
    if (kept.compare(0, key.size(), key) != 0) return false;
    text = kept.substr(key.size());
    return true;
}

std::mutex versionMutex;
Module versionModule = nullptr;
bool versionAsked = false;
LibraryVersion loadedVersion;

}  // namespace

const LibraryVersion& libraryVersion(Module module) {
    static const LibraryVersion none;
    if (module == nullptr) return none;
    std::lock_guard<std::mutex> lock(versionMutex);
    if (!versionAsked || versionModule != module) {
        LibraryVersion version;
        if (!keptVersion(module, version.text)) {
            version.text = libfptr_get_version_string(module);
            platform::setEnvironmentVariable(kKeptVersion, moduleKey(module) + version.text);
        }
        version.numbering = libfptr::taxNumberingOf(version.text.c_str());
        version.known = version.numbering != libfptr::TaxNumbering::unknown;
        loadedVersion = version;
        versionModule = module;
        versionAsked = true;
    }
    return loadedVersion;
}

void forgetLibraryVersion() {
    std::lock_guard<std::mutex> lock(versionMutex);
    versionAsked = false;
    versionModule = nullptr;
    platform::setEnvironmentVariable(kKeptVersion, std::string());
}

std::string versionName(const LibraryVersion& version) {
    if (version.known) return version.text;
    if (version.text.empty()) return "неизвестна";
    return "неизвестна (\"" + version.text + "\")";
}

int libraryTaxType(const LibraryVersion& version, int taxType) {
    return libfptr::taxTypeIn(version.numbering, taxType);
}

std::string rateRefusal(const LibraryVersion& version, int taxType) {
    if (libraryTaxType(version, taxType) != 0) return std::string();
    for (const Rate& rate : kRenumberedRates) {
        if (rate.taxType != taxType) continue;
        const std::string library =
            version.known
                ? "библиотекой ККТ версии " + version.text
                : "библиотекой ККТ неизвестной версии" +
                      (version.text.empty() ? std::string() : " (\"" + version.text + "\")");
        return std::string("Ставка ") + rate.name + " не поддерживается " + library +
               ": обновите драйвер ККТ до версии " + rate.firstVersion + " или новее";
    }
    return std::string();
}

std::string missingRates(const LibraryVersion& version) {
    std::string rates;
    for (const Rate& rate : kRenumberedRates) {
        if (libraryTaxType(version, rate.taxType) != 0) continue;
        rates += (rates.empty() ? "" : ", ") + std::string(rate.name);
    }
    return rates;
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
