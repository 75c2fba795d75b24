// The only interface through which the libraries, the emulator and the tools
// touch the operating system. The *_win32.cpp and *_posix.cpp files beside it
// implement it; the build compiles the one set of them. Each function states
// its contract in one line. Failing calls leave their code in lastError().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorna {
namespace platform {

// ---- dynamic libraries -------------------------------------------------

using LibraryHandle = void*;

// Loads a library by name or path; null on failure (lastError() tells why).
LibraryHandle loadLibrary(const std::string& name);
// Resolves an exported name; null when the library does not export it.
void* findSymbol(LibraryHandle library, const char* name);
// Releases one reference taken by loadLibrary; false on failure.
bool freeLibrary(LibraryHandle library);
// True when a library of this file name is loaded in the process (no load is done).
bool isLibraryLoaded(const std::string& name);
// Text of the last loader failure (dlerror on POSIX, the system text on Windows).
std::string loaderErrorText();
// Handle of the module (library or executable) that contains the given address.
LibraryHandle moduleOfAddress(const void* address);
// Full file name of a module; null means the host executable. Empty on failure.
std::string moduleFileName(LibraryHandle module);
// Number of modules (the executable and every library) loaded in the process; 0 on failure.
int loadedModuleCount();

// Defined by a library that compiles library_load_<platform>.cpp among its own sources: runs when
// the system loads the library, with its own module; false fails the load where the system can.
bool onLibraryLoad(LibraryHandle self);

// ---- faults inside foreign code ---------------------------------------------

// Runs body(context); a hardware fault or any other structured exception inside
// it that the code below does not handle ends only the body: false is returned
// with faultCode set (the exception code on Windows, the signal number on
// POSIX); true when the body returned. The body's frames are abandoned on a
// fault, so it must not own anything that needs a destructor or a lock, and it
// must not let a C++ exception escape.
bool guardedCall(void (*body)(void*), void* context, unsigned long& faultCode);
// The fault code as text: "0xC0000005 (access violation)" on Windows, "SIGSEGV" on POSIX.
std::string faultText(unsigned long faultCode);

// ---- files and directories ----------------------------------------------

// The path separator of this system: '\\' on Windows, '/' on POSIX.
char pathSeparator();
// The process's current directory; empty on failure.
std::string currentDirectory();
// Makes path the process's current directory; false on failure (lastError() tells why).
bool setCurrentDirectory(const std::string& path);
// True and the value when the environment variable exists.
bool environmentVariable(const std::string& name, std::string& value);
// Sets (or with an empty value removes) an environment variable of the process.
bool setEnvironmentVariable(const std::string& name, const std::string& value);

enum class DirectoryResult { created, alreadyExists, failed };
// Creates one directory level with default permissions.
DirectoryResult createDirectory(const std::string& path);
// Atomically replaces target by source (both on one volume); false on failure.
bool replaceFile(const std::string& source, const std::string& target);
// The size of a file in bytes; false when it does not exist or cannot be asked.
bool fileSize(const std::string& path, std::uint64_t& size);
// Directory part of a path, without the last component and its separator.
std::string removeFileSpec(const std::string& path);

// An exclusive advisory lock on a whole file, held between construction and
// destruction; blocks until it is granted. ok() is false when it could not be taken.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool ok() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// An exclusive lock on one byte of a file, taken without waiting and held
// between construction and destruction; one file carries many such locks (the
// byte's offset names what is locked). Another holder, in this or another
// process, makes the state busy. The lock ends with its holder's process.
class ByteLock {
public:
    enum class State { held, busy, failed };
    // Opens (creating) the file and locks the byte at offset (below 2^62).
    ByteLock(const std::string& path, std::uint64_t offset);
    ~ByteLock();
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;
    State state() const;
    // The system error of a failed lock (0 otherwise).
    unsigned long error() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---- log files: appended line by line, shared with other programs ----------

// A file opened (created when missing) for appending, that other programs may
// read, rename or delete while it is open (FILE_SHARE_READ | FILE_SHARE_WRITE |
// FILE_SHARE_DELETE on Windows). Every append goes to the system at once:
// nothing is buffered here, so a process killed later loses none of it.
class AppendFile {
public:
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    // False when the file could not be opened (lastError() tells why).
    bool isOpen() const;
    // All the bytes at the end of the file; false on failure (lastError() tells why).
    bool append(const std::string& bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
// Text as a text-mode C stream writes it to a file: every "\n" becomes "\r\n"
// on Windows; the same bytes on POSIX.
std::string textFileBytes(const std::string& text);

// The handles this process has open (file descriptors on POSIX); -1 when unknown.
int openHandleCount();

// ---- process figures --------------------------------------------------------

// Bytes of this process's memory now resident in RAM (the working set on Windows); 0 on failure.
std::uint64_t residentMemoryBytes();
// Seconds of processor time this process has used, user and system; below 0 when unknown.
double processCpuSeconds();
// Seconds of processor time used by the child processes this process has
// waited for; below 0 when the system does not keep the sum (Windows).
double waitedChildrenCpuSeconds();

// ---- time, identity, errors ----------------------------------------------

struct DateTime {
    int year = 0;   // four digits
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 0;  // 0 = Sunday
};

// Local date and time (GetLocalTime); false when it cannot be had.
bool localTime(DateTime& out);
// UTC date and time with milliseconds (GetSystemTime); false when it cannot be had.
bool systemTime(DateTime& out);
// Seconds since 1970 (UTC) of the wall clock.
std::int64_t unixTime();
// Ends the process at once with this exit code: no destructors, no atexit
// handlers, no flushing of C streams (TerminateProcess, _exit), as a crash or
// a killed host would end.
[[noreturn]] void terminateProcess(int exitCode);
// Sleeps the calling thread.
void sleepMilliseconds(unsigned milliseconds);
// The calling process's identifier.
unsigned long processId();
// The exit code of a command from what std::system returned (a wait status on
// POSIX, the code itself on Windows); -1 when the command did not exit.
int systemExitCode(int systemResult);
// The computer's name, read into a 16-byte buffer (at most 15 characters); empty on failure.
std::string computerName();
// The user name of the calling thread; false on failure (lastError() tells why).
bool userName(std::string& out);
// The calling thread's last system error code.
unsigned long lastError();
// Sets the calling thread's last system error code.
void setLastError(unsigned long code);
// The system's message text for an error code, trailing line breaks kept as the system gives them;
// empty when none.
std::string errorText(unsigned long code);
// The system's code for "already exists" (183 on Windows, EEXIST on POSIX).
unsigned long alreadyExistsCode();

// ---- message boxes ----------------------------------------------------------

// Button sets and icons of a message box, with the Win32 values.
enum class Buttons : unsigned {
    ok = 0x0,
    okCancel = 0x1,
    abortRetryIgnore = 0x2,
    yesNoCancel = 0x3,
    yesNo = 0x4,
    retryCancel = 0x5,
    cancelTryContinue = 0x6,
};
enum class Icon : unsigned {
    none = 0x0,
    error = 0x10,
    question = 0x20,
    warning = 0x30,
    information = 0x40
};
// Answers, with the Win32 values; failed means no box could be shown.
enum Answer : int {
    failed = 0,
    ok = 1,
    cancel = 2,
    abort = 3,
    retry = 4,
    ignore = 5,
    yes = 6,
    no = 7,
    tryAgain = 10,
    continueOn = 11,
};

// Shows a modal box without owner and returns the button chosen. On POSIX the
// box is written to standard error and the answer read from standard input;
// at end of input the safe choice (No, Cancel or OK) is taken.
int messageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon icon);

// While it lives, answers the calling thread's message boxes in order (yes, no, ok, cancel, abort,
// retry, ignore, tryagain, continue), then the safe choice; writes each box to standard error.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(const std::vector<std::string>& answers);
    ~MessageBoxAnswers();
    MessageBoxAnswers(const MessageBoxAnswers&) = delete;
    MessageBoxAnswers& operator=(const MessageBoxAnswers&) = delete;
};

// ---- COM --------------------------------------------------------------------

// CoInitialize on Windows (false on failure), nothing on POSIX.
bool comInitialize();
// CoUninitialize on Windows, nothing on POSIX.
void comUninitialize();

// ---- serial ports -------------------------------------------------------------

struct SerialPortDefaults {
    unsigned baudRate = 0;
    unsigned byteSize = 0;
    unsigned parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    unsigned stopBits = 0;  // 0 one, 1 one and a half, 2 two
};
// The system's default configuration of a serial port (GetDefaultCommConfigA); false when unknown.
bool serialPortDefaults(const std::string& portName, SerialPortDefaults& out);

// ---- locks ------------------------------------------------------------------

// A recursive in-process lock (a critical section on Windows).
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void enter();
    void leave();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.enter(); }
    ~LockGuard() { lock_.leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

// ---- text -------------------------------------------------------------------

// Windows-1251 bytes to wide text (UTF-16 on Windows, UTF-32 on POSIX).
std::wstring cp1251ToWide(const std::string& text);
// Wide text to Windows-1251; a character without a 1251 form becomes '?'.
std::string wideToCp1251(const std::wstring& text);
// Windows-1251 to UTF-8 (for terminals and readable files).
std::string cp1251ToUtf8(const std::string& text);
// UTF-8 to Windows-1251; a character without a 1251 form becomes '?'.
std::string utf8ToCp1251(const std::string& text);
// Wide text to UTF-8.
std::string wideToUtf8(const std::wstring& text);
// A file name of ours as interfaces that take UTF-8 file names want it (SQLite):
// converted from the ANSI code page on Windows, the same bytes on POSIX.
std::string utf8FileName(const std::string& path);
// UTF-8 to wide text.
std::wstring utf8ToWide(const std::string& text);

// ---- replaceable system calls ----------------------------------------------
//
// In-process tests replace the message box, the clock and the user name, as
// SQLite's VFS does with its system calls. The real calls are the defaults;
// setting a null entry restores the real one. Nothing outside tests uses this.

struct SystemCalls {
    int (*messageBox)(const std::string& text, const std::string& caption, Buttons buttons,
                      Icon icon) = nullptr;
    bool (*localTime)(DateTime& out) = nullptr;
    bool (*systemTime)(DateTime& out) = nullptr;
    bool (*userName)(std::string& out) = nullptr;
};

// Installs replacements (null members restore the real calls).
void setSystemCalls(const SystemCalls& calls);
// The replacements now installed (null members are the real calls).
SystemCalls systemCalls();

}  // namespace platform
}  // namespace vorna
