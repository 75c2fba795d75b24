// Win32 backend of the platform layer: kernel32, user32, advapi32, ole32 and
// shlwapi calls, all in their ANSI forms (the libraries' texts are
// Windows-1251).
#include <lmcons.h>
#include <objbase.h>
#include <shlwapi.h>
#include <windows.h>
// After windows.h; with _WIN32_WINNT 0x0601 its functions are the K32 ones of kernel32.
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform.h"
#include "platform_calls.h"

namespace vorna {
namespace platform {

// ---- dynamic libraries -------------------------------------------------

LibraryHandle loadLibrary(const std::string& name) { return LoadLibraryA(name.c_str()); }

void* findSymbol(LibraryHandle library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

bool freeLibrary(LibraryHandle library) {
    return library && FreeLibrary(static_cast<HMODULE>(library)) != 0;
}

bool isLibraryLoaded(const std::string& name) {
    DWORD saved = GetLastError();
    bool loaded = GetModuleHandleA(name.c_str()) != nullptr;
    SetLastError(saved);
    return loaded;
}

std::string loaderErrorText() { return errorText(GetLastError()); }

int loadedModuleCount() {
    std::vector<HMODULE> modules(256);
    for (;;) {
        DWORD needed = 0;
        const DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!EnumProcessModules(GetCurrentProcess(), modules.data(), size, &needed)) return 0;
        if (needed <= size) return static_cast<int>(needed / sizeof(HMODULE));
        modules.resize(needed / sizeof(HMODULE) + 16);
    }
}

LibraryHandle moduleOfAddress(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &module))
        return nullptr;
    return module;
}

std::string moduleFileName(LibraryHandle module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), buffer.data(),
                                     static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

// ---- files and directories ----------------------------------------------

char pathSeparator() { return '\\'; }

std::string currentDirectory() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::vector<char> buffer(n + 1);
    n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0 || n >= buffer.size()) return std::string();
    return std::string(buffer.data(), n);
}

bool setCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

bool environmentVariable(const std::string& name, std::string& value) {
    DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (n == 0) return false;
    std::vector<char> buffer(n + 1);
    n = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n >= buffer.size()) return false;
    value.assign(buffer.data(), n);
    return true;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
    return SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str()) != 0;
}

DirectoryResult createDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return DirectoryResult::created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? DirectoryResult::alreadyExists
                                                  : DirectoryResult::failed;
}

bool replaceFile(const std::string& source, const std::string& target) {
    return MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool fileSize(const std::string& path, std::uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::string removeFileSpec(const std::string& path) {
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    PathRemoveFileSpecA(buffer.data());
    return buffer.data();
}

struct FileLock::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
};

FileLock::FileLock(const std::string& path) : impl_(new Impl) {
    impl_->file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED at = {};
    if (!LockFileEx(impl_->file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
        CloseHandle(impl_->file);
        impl_->file = INVALID_HANDLE_VALUE;
    }
}

FileLock::~FileLock() {
    if (impl_->file != INVALID_HANDLE_VALUE) {
        OVERLAPPED at = {};
        UnlockFileEx(impl_->file, 0, 1, 0, &at);
        CloseHandle(impl_->file);
    }
}

bool FileLock::ok() const { return impl_->file != INVALID_HANDLE_VALUE; }

struct ByteLock::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
    OVERLAPPED at = {};
    State state = State::failed;
    unsigned long error = 0;
};

ByteLock::ByteLock(const std::string& path, std::uint64_t offset) : impl_(new Impl) {
    impl_->file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->file == INVALID_HANDLE_VALUE) {
        impl_->error = GetLastError();
        return;
    }
    impl_->at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    impl_->at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    if (LockFileEx(impl_->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &impl_->at)) {
        impl_->state = State::held;
        return;
    }
    const DWORD failure = GetLastError();
    CloseHandle(impl_->file);
    impl_->file = INVALID_HANDLE_VALUE;
    if (failure == ERROR_LOCK_VIOLATION || failure == ERROR_IO_PENDING) {
        impl_->state = State::busy;
    } else {
        impl_->error = failure;
        SetLastError(failure);
    }
}

ByteLock::~ByteLock() {
    if (impl_->file != INVALID_HANDLE_VALUE) {
        UnlockFileEx(impl_->file, 0, 1, 0, &impl_->at);
        CloseHandle(impl_->file);
    }
}

ByteLock::State ByteLock::state() const { return impl_->state; }

unsigned long ByteLock::error() const { return impl_->error; }

// ---- log files: appended line by line, shared with other programs ----------

struct AppendFile::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
};

AppendFile::AppendFile(const std::string& path) : impl_(new Impl) {
    // Append access only: every write lands at the end, even with other writers.
    impl_->file = CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

AppendFile::~AppendFile() {
    if (impl_->file != INVALID_HANDLE_VALUE) CloseHandle(impl_->file);
}

bool AppendFile::isOpen() const { return impl_->file != INVALID_HANDLE_VALUE; }

bool AppendFile::append(const std::string& bytes) {
    if (impl_->file == INVALID_HANDLE_VALUE) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(impl_->file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::string textFileBytes(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

int openHandleCount() {
    DWORD count = 0;
    // Wine answers 0, and no Windows process lives without a handle: unknown.
    if (!GetProcessHandleCount(GetCurrentProcess(), &count) || count == 0) return -1;
    return static_cast<int>(count);
}

// ---- process figures --------------------------------------------------------

std::uint64_t residentMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<std::uint64_t>(counters.WorkingSetSize);
}

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1.0;
    const auto ticks = [](const FILETIME& t) {  // 100 ns each
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

double waitedChildrenCpuSeconds() { return -1.0; }

// ---- time, identity, errors ----------------------------------------------

namespace {
void fill(const SYSTEMTIME& t, DateTime& out) {
    out.year = t.wYear;
    out.month = t.wMonth;
    out.day = t.wDay;
    out.hour = t.wHour;
    out.minute = t.wMinute;
    out.second = t.wSecond;
    out.millisecond = t.wMilliseconds;
    out.weekday = t.wDayOfWeek;
}
}  // namespace

namespace detail {

bool realLocalTime(DateTime& out) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    fill(t, out);
    return true;
}

bool realSystemTime(DateTime& out) {
    SYSTEMTIME t;
    GetSystemTime(&t);
    fill(t, out);
    return true;
}

bool realUserName(std::string& out) {
    char buffer[UNLEN + 1] = {0};
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size)) return false;
    out = buffer;
    return true;
}

}  // namespace detail

std::int64_t unixTime() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return static_cast<std::int64_t>((t.QuadPart - 116444736000000000ULL) / 10000000ULL);
}

void sleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

unsigned long processId() { return GetCurrentProcessId(); }

int systemExitCode(int systemResult) { return systemResult; }

std::string computerName() {
    DWORD saved = GetLastError();
    char buffer[16] = {0};
    DWORD size = sizeof buffer;
    std::string name;
    if (GetComputerNameA(buffer, &size)) name.assign(buffer, size);
    SetLastError(saved);
    return name;
}

unsigned long lastError() { return GetLastError(); }
void setLastError(unsigned long code) { SetLastError(code); }

std::string errorText(unsigned long code) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
        0, nullptr);
    if (n == 0 || !buffer) return std::string();
    std::string text;
    try {
        text.assign(buffer, n);
    } catch (...) {
        LocalFree(buffer);
        throw;
    }
    LocalFree(buffer);
    return text;
}

unsigned long alreadyExistsCode() { return ERROR_ALREADY_EXISTS; }

void terminateProcess(int exitCode) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));  // not reached: TerminateProcess does not return
}

std::string utf8FileName(const std::string& path) {
    if (path.empty()) return path;
    const int size =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (size <= 0) return path;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], size);
    return wideToUtf8(wide);
}

// ---- message boxes ----------------------------------------------------------

namespace detail {

int realMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                       static_cast<UINT>(buttons) | static_cast<UINT>(icon));
}

}  // namespace detail

// ---- COM --------------------------------------------------------------------

bool comInitialize() { return SUCCEEDED(CoInitialize(nullptr)); }
void comUninitialize() { CoUninitialize(); }

// ---- serial ports -------------------------------------------------------------

bool serialPortDefaults(const std::string& portName, SerialPortDefaults& out) {
    COMMCONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    if (!GetDefaultCommConfigA(portName.c_str(), &config, &size)) return false;
    out.baudRate = config.dcb.BaudRate;
    out.byteSize = config.dcb.ByteSize;
    out.parity = config.dcb.Parity;
    out.stopBits = config.dcb.StopBits;
    return true;
}

// ---- locks ------------------------------------------------------------------

struct Lock::Impl {
    CRITICAL_SECTION section;
};

Lock::Lock() : impl_(new Impl) { InitializeCriticalSection(&impl_->section); }
Lock::~Lock() { DeleteCriticalSection(&impl_->section); }
void Lock::enter() { EnterCriticalSection(&impl_->section); }
void Lock::leave() { LeaveCriticalSection(&impl_->section); }

// ---- text -------------------------------------------------------------------

std::wstring cp1251ToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::string wideToCp1251(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        &out[0], n, "?", nullptr);
    return out;
}

}  // namespace platform
}  // namespace vorna
