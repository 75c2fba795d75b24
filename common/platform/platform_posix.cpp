// POSIX backend of the platform layer (Linux): dlopen for libraries, errno
// and dlerror for error texts, standard input and error for message boxes.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "platform.h"
#include "platform_calls.h"

namespace vorna {
namespace platform {

namespace {
thread_local std::string lastLoaderError;

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

// ---- dynamic libraries -------------------------------------------------

LibraryHandle loadLibrary(const std::string& name) {
    dlerror();
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        lastLoaderError = text ? text : "";
        errno = ENOENT;
    }
    return handle;
}

void* findSymbol(LibraryHandle library, const char* name) {
    if (!library) return nullptr;
    dlerror();
    void* symbol = dlsym(library, name);
    if (!symbol) {
        const char* text = dlerror();
        lastLoaderError = text ? text : "";
        errno = ENOENT;
    }
    return symbol;
}

bool freeLibrary(LibraryHandle library) { return library && dlclose(library) == 0; }

bool isLibraryLoaded(const std::string& name) {
    struct Search {
        std::string name;
        bool byPath;
        bool found;
    } search{name, name.find('/') != std::string::npos, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* s = static_cast<Search*>(data);
            if (!info->dlpi_name || !*info->dlpi_name) return 0;
            std::string loaded = info->dlpi_name;
            if (s->byPath ? loaded == s->name : baseName(loaded) == s->name) {
                s->found = true;
                return 1;
            }
            return 0;
        },
        &search);
    return search.found;
}

std::string loaderErrorText() { return lastLoaderError; }

int loadedModuleCount() {
    int count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info*, size_t, void* data) -> int {
            ++*static_cast<int*>(data);
            return 0;
        },
        &count);
    return count;
}

LibraryHandle moduleOfAddress(const void* address) {
    Dl_info info;
    if (!dladdr(address, &info) || !info.dli_fname) return nullptr;
    // A handle for a module already loaded; the reference is given back at once.
    void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle;
}

std::string moduleFileName(LibraryHandle module) {
    if (!module) {
        char buffer[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n < 0) return std::string();
        return std::string(buffer, static_cast<std::size_t>(n));
    }
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) {
        errno = EINVAL;
        return std::string();
    }
    std::string name = map->l_name;
    if (name.empty()) return moduleFileName(nullptr);
    char resolved[PATH_MAX];
    if (realpath(name.c_str(), resolved)) return resolved;
    return name;
}

// ---- files and directories ----------------------------------------------

char pathSeparator() { return '/'; }

std::string currentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    if (!getcwd(buffer.data(), buffer.size())) return std::string();
    return buffer.data();
}

bool setCurrentDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

bool environmentVariable(const std::string& name, std::string& value) {
    const char* v = std::getenv(name.c_str());
    if (!v) return false;
    value = v;
    return true;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
    if (value.empty()) return unsetenv(name.c_str()) == 0;
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

DirectoryResult createDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) return DirectoryResult::created;
    return errno == EEXIST ? DirectoryResult::alreadyExists : DirectoryResult::failed;
}

bool replaceFile(const std::string& source, const std::string& target) {
    return rename(source.c_str(), target.c_str()) == 0;
}

bool fileSize(const std::string& path, std::uint64_t& size) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::string removeFileSpec(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

struct FileLock::Impl {
    int fd = -1;
};

FileLock::FileLock(const std::string& path) : impl_(new Impl) {
    impl_->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (impl_->fd >= 0 && flock(impl_->fd, LOCK_EX) != 0) {
        close(impl_->fd);
        impl_->fd = -1;
    }
}

FileLock::~FileLock() {
    if (impl_->fd >= 0) {
        flock(impl_->fd, LOCK_UN);
        close(impl_->fd);
    }
}

bool FileLock::ok() const { return impl_->fd >= 0; }

// Open-file-description locks: unlike classic fcntl locks they belong to the
// descriptor, so two holders in one process exclude each other as well.
struct ByteLock::Impl {
    int fd = -1;
    State state = State::failed;
    unsigned long error = 0;
};

ByteLock::ByteLock(const std::string& path, std::uint64_t offset) : impl_(new Impl) {
    impl_->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (impl_->fd < 0) {
        impl_->error = static_cast<unsigned long>(errno);
        return;
    }
    struct flock range = {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(offset);
    range.l_len = 1;
    if (fcntl(impl_->fd, F_OFD_SETLK, &range) == 0) {
        impl_->state = State::held;
        return;
    }
    const int failure = errno;
    close(impl_->fd);
    impl_->fd = -1;
    if (failure == EAGAIN || failure == EACCES) {
        impl_->state = State::busy;
    } else {
        impl_->error = static_cast<unsigned long>(failure);
        errno = failure;
    }
}

ByteLock::~ByteLock() {
    if (impl_->fd >= 0) close(impl_->fd);  // closing the descriptor releases its locks
}

ByteLock::State ByteLock::state() const { return impl_->state; }

unsigned long ByteLock::error() const { return impl_->error; }

// ---- log files: appended line by line, shared with other programs ----------

struct AppendFile::Impl {
    int fd = -1;
};

AppendFile::AppendFile(const std::string& path) : impl_(new Impl) {
    impl_->fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}

AppendFile::~AppendFile() {
    if (impl_->fd >= 0) close(impl_->fd);
}

bool AppendFile::isOpen() const { return impl_->fd >= 0; }

bool AppendFile::append(const std::string& bytes) {
    if (impl_->fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(impl_->fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string textFileBytes(const std::string& text) { return text; }

int openHandleCount() {
    DIR* fds = opendir("/proc/self/fd");
    if (!fds) return -1;
    int count = 0;
    while (const dirent* entry = readdir(fds))
        if (entry->d_name[0] != '.') ++count;
    closedir(fds);
    return count - 1;  // the listing's own descriptor
}

// ---- process figures --------------------------------------------------------

std::uint64_t residentMemoryBytes() {
    // statm: total program size, then resident pages.
    std::FILE* statm = std::fopen("/proc/self/statm", "re");
    if (!statm) return 0;
    unsigned long long size = 0, resident = 0;
    const bool read = std::fscanf(statm, "%llu %llu", &size, &resident) == 2;
    const int saved = errno;
    std::fclose(statm);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (!read || pageSize <= 0) {
        errno = read ? saved : EIO;
        return 0;
    }
    return static_cast<std::uint64_t>(resident) * static_cast<std::uint64_t>(pageSize);
}

double processCpuSeconds() {
    struct timespec spent;
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent) != 0) return -1.0;
    return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) / 1e9;
}

double waitedChildrenCpuSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_CHILDREN, &usage) != 0) return -1.0;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// ---- time, identity, errors ----------------------------------------------

namespace {
void fill(const tm& t, int millisecond, DateTime& out) {
    out.year = t.tm_year + 1900;
    out.month = t.tm_mon + 1;
    out.day = t.tm_mday;
    out.hour = t.tm_hour;
    out.minute = t.tm_min;
    out.second = t.tm_sec;
    out.millisecond = millisecond;
    out.weekday = t.tm_wday;
}
}  // namespace

namespace detail {

bool realLocalTime(DateTime& out) {
    timeval now;
    if (gettimeofday(&now, nullptr) != 0) return false;
    tm t;
    time_t seconds = now.tv_sec;
    if (!localtime_r(&seconds, &t)) return false;
    fill(t, static_cast<int>(now.tv_usec / 1000), out);
    return true;
}

bool realSystemTime(DateTime& out) {
    timeval now;
    if (gettimeofday(&now, nullptr) != 0) return false;
    tm t;
    time_t seconds = now.tv_sec;
    if (!gmtime_r(&seconds, &t)) return false;
    fill(t, static_cast<int>(now.tv_usec / 1000), out);
    return true;
}

bool realUserName(std::string& out) {
    passwd entry;
    passwd* result = nullptr;
    std::vector<char> buffer(16384);
    int rc = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result);
    if (rc != 0 || !result) {
        errno = rc ? rc : ENOENT;
        return false;
    }
    out = result->pw_name;
    return true;
}

}  // namespace detail

std::int64_t unixTime() { return static_cast<std::int64_t>(time(nullptr)); }

void sleepMilliseconds(unsigned milliseconds) {
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>((milliseconds % 1000) * 1000000L)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

unsigned long processId() { return static_cast<unsigned long>(getpid()); }

int systemExitCode(int systemResult) {
    if (systemResult == -1 || !WIFEXITED(systemResult)) return -1;
    return WEXITSTATUS(systemResult);
}

std::string computerName() {
    int saved = errno;
    char buffer[16] = {0};
    std::string name;
    if (gethostname(buffer, sizeof buffer - 1) == 0) name = buffer;
    errno = saved;
    return name;
}

unsigned long lastError() { return static_cast<unsigned long>(errno); }
void setLastError(unsigned long code) { errno = static_cast<int>(code); }

std::string errorText(unsigned long code) {
    if (code == 0) return std::string();
    char buffer[512] = {0};
    // The GNU strerror_r returns the text, which may or may not be the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

unsigned long alreadyExistsCode() { return EEXIST; }

std::string utf8FileName(const std::string& path) { return path; }

void terminateProcess(int exitCode) { _exit(exitCode); }

// ---- message boxes ----------------------------------------------------------

namespace {
struct Choice {
    const char* word;
    int answer;
};

std::vector<Choice> choicesOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::okCancel:
            return {{"ok", ok}, {"cancel", cancel}};
        case Buttons::abortRetryIgnore:
            return {{"abort", abort}, {"retry", retry}, {"ignore", ignore}};
        case Buttons::yesNoCancel:
            return {{"yes", yes}, {"no", no}, {"cancel", cancel}};
        case Buttons::yesNo:
            return {{"yes", yes}, {"no", no}};
        case Buttons::retryCancel:
            return {{"retry", retry}, {"cancel", cancel}};
        case Buttons::cancelTryContinue:
            return {{"cancel", cancel}, {"tryagain", tryAgain}, {"continue", continueOn}};
        case Buttons::ok:
        default:
            return {{"ok", ok}};
    }
}

// The choice taken when nobody answers: No, then Cancel, then Abort, then OK.
int safeChoice(const std::vector<Choice>& choices) {
    for (int preferred : {static_cast<int>(no), static_cast<int>(cancel), static_cast<int>(abort)})
        for (const Choice& c : choices)
            if (c.answer == preferred) return preferred;
    return choices.front().answer;
}

std::string lowered(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '-' || c == '_') continue;
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return out;
}
}  // namespace

namespace detail {

int realMessageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon) {
    std::vector<Choice> choices = choicesOf(buttons);
    std::string prompt = "[" + cp1251ToUtf8(caption) + "] " + cp1251ToUtf8(text) + " (";
    for (std::size_t i = 0; i < choices.size(); ++i)
        prompt += (i ? "/" : "") + std::string(choices[i].word);
    prompt += ")? ";
    for (;;) {
        std::fputs(prompt.c_str(), stderr);
        std::fflush(stderr);
        std::string line;
        int ch;
        while ((ch = std::fgetc(stdin)) != EOF && ch != '\n') line += static_cast<char>(ch);
        if (ch == EOF && line.empty()) {
            std::fputs("\n", stderr);
            return safeChoice(choices);
        }
        std::string word = lowered(line);
        if (word == "y") word = "yes";
        if (word == "n") word = "no";
        if (word == "try" || word == "tryagain") word = "tryagain";
        for (const Choice& c : choices)
            if (word == c.word) return c.answer;
        if (ch == EOF) return safeChoice(choices);
    }
}

}  // namespace detail

// ---- COM --------------------------------------------------------------------

bool comInitialize() { return true; }
void comUninitialize() {}

// ---- serial ports -------------------------------------------------------------

bool serialPortDefaults(const std::string&, SerialPortDefaults&) { return false; }

// ---- locks ------------------------------------------------------------------

struct Lock::Impl {
    pthread_mutex_t mutex;
};

Lock::Lock() : impl_(new Impl) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&impl_->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

Lock::~Lock() { pthread_mutex_destroy(&impl_->mutex); }
void Lock::enter() { pthread_mutex_lock(&impl_->mutex); }
void Lock::leave() { pthread_mutex_unlock(&impl_->mutex); }

// ---- text -------------------------------------------------------------------

namespace {
// Unicode of the Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
}  // namespace

std::wstring cp1251ToWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += static_cast<wchar_t>(b);
        else if (b >= 0xC0)
            out += static_cast<wchar_t>(0x0410 + (b - 0xC0));
        else
            out += static_cast<wchar_t>(kHigh[b - 0x80]);
    }
    return out;
}

std::string wideToCp1251(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        std::uint32_t c = static_cast<std::uint32_t>(w);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0x0410 && c <= 0x044F) {
            out += static_cast<char>(0xC0 + (c - 0x0410));
        } else {
            char mapped = '?';
            for (int i = 0; i < 64; ++i)
                if (kHigh[i] == c) {
                    mapped = static_cast<char>(0x80 + i);
                    break;
                }
            out += mapped;
        }
    }
    return out;
}

}  // namespace platform
}  // namespace vorna
