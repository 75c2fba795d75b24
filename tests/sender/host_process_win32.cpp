#include <windows.h>

#include <mutex>

#include "tests/sender/caught_output.h"
#include "tests/sender/host_process.h"

namespace vorna {
namespace testing_support {

namespace {
HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Quotes one argument the way the C runtime of the child splits it again.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}
}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::string&) {
    const std::string outPath = caughtOutputFile(workingDirectory, "out");
    const std::string errPath = caughtOutputFile(workingDirectory, "err");
    ProcessResult result;
    // A child inherits every inheritable handle of this process: the handles of
    // one run live only while its child starts, so another run's child started
    // from another thread never holds them.
    static std::mutex starting;
    std::unique_lock<std::mutex> onlyThisRun(starting);
    HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    std::string commandLine = quoted(program);
    for (const std::string& a : arguments) commandLine += " " + quoted(a);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                  nullptr, workingDirectory.c_str(), &startup, &process);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    onlyThisRun.unlock();
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.output = takeCaughtOutput(outPath);
    result.errors = takeCaughtOutput(errPath);
    return result;
}

}  // namespace testing_support
}  // namespace vorna
