#include "common/log_files.h"

#include <map>
#include <memory>

#include "common/platform/platform.h"
#include "common/until_unload.h"

namespace vorna {

namespace {

struct OpenLogFiles {
    platform::Lock lock;
    int sessions = 0;
    std::map<std::string, std::unique_ptr<platform::AppendFile>> files;
};

// Lines written after the library's unload began, by static objects going,
// open and close their file.
UntilUnload<OpenLogFiles> openFiles;

LogAppend appendOnce(const std::string& path, const std::string& bytes) {
    platform::AppendFile file(path);
    if (!file.isOpen()) return LogAppend::notOpened;
    return file.append(bytes) ? LogAppend::written : LogAppend::failed;
}

}  // namespace

LogAppend appendToLogFile(const std::string& path, const std::string& bytes) {
    OpenLogFiles* open = openFiles.get();
    if (!open) return appendOnce(path, bytes);
    platform::LockGuard guard(open->lock);
    auto found = open->files.find(path);
    if (found == open->files.end()) {
        if (open->sessions == 0) return appendOnce(path, bytes);
        auto file = std::make_unique<platform::AppendFile>(path);
        if (!file->isOpen()) return LogAppend::notOpened;
        found = open->files.emplace(path, std::move(file)).first;
    }
    if (found->second->append(bytes)) return LogAppend::written;
    // A file that failed is opened afresh by the next line.
    const unsigned long error = platform::lastError();
    open->files.erase(found);
    platform::setLastError(error);
    return LogAppend::failed;
}

bool logFileKeptOpen(const std::string& path) noexcept {
    OpenLogFiles* open = openFiles.get();
    if (!open) return false;
    platform::LockGuard guard(open->lock);
    return open->files.count(path) != 0;
}

void beginLogFileSession() noexcept {
    OpenLogFiles* open = openFiles.get();
    if (!open) return;
    platform::LockGuard guard(open->lock);
    ++open->sessions;
}

void endLogFileSession() noexcept {
    OpenLogFiles* open = openFiles.get();
    if (!open) return;
    platform::LockGuard guard(open->lock);
    if (open->sessions > 0 && --open->sessions == 0) open->files.clear();
}

}  // namespace vorna
