#include "common/log_files.h"

#include <map>
#include <memory>

#include "common/platform/platform.h"

namespace vorna {

namespace {

struct OpenLogFiles {
    platform::Lock lock;
    int sessions = 0;
    bool unloading = false;  // the library is going: nothing is kept open any more
    std::map<std::string, std::unique_ptr<platform::AppendFile>> files;
};

// Never destroyed: lines may still be written while static objects go.
OpenLogFiles& openLogFiles() {
    static OpenLogFiles* files = new OpenLogFiles;
    return *files;
}

// Closes whatever is still open when the library is unloaded or the process ends.
struct CloseAtUnload {
    ~CloseAtUnload() {
        OpenLogFiles& open = openLogFiles();
        platform::LockGuard guard(open.lock);
        open.unloading = true;
        open.files.clear();
    }
} closeAtUnload;

}  // namespace

LogAppend appendToLogFile(const std::string& path, const std::string& bytes) {
    OpenLogFiles& open = openLogFiles();
    platform::LockGuard guard(open.lock);
    const bool keep = open.sessions > 0 && !open.unloading;
    auto found = open.files.find(path);
    if (found == open.files.end()) {
        auto file = std::make_unique<platform::AppendFile>(path);
        if (!file->isOpen()) return LogAppend::notOpened;
        if (!keep) return file->append(bytes) ? LogAppend::written : LogAppend::failed;
        found = open.files.emplace(path, std::move(file)).first;
    }
    if (found->second->append(bytes)) return LogAppend::written;
    // A file that failed is opened afresh by the next line.
    const unsigned long error = platform::lastError();
    open.files.erase(found);
    platform::setLastError(error);
    return LogAppend::failed;
}

void beginLogFileSession() noexcept {
    OpenLogFiles& open = openLogFiles();
    platform::LockGuard guard(open.lock);
    ++open.sessions;
}

void endLogFileSession() noexcept {
    OpenLogFiles& open = openLogFiles();
    platform::LockGuard guard(open.lock);
    if (open.sessions > 0 && --open.sessions == 0) open.files.clear();
}

}  // namespace vorna
