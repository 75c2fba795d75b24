#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/sender/caught_output.h"
#include "tests/sender/host_process.h"

extern char** environ;

namespace vorna {
namespace testing_support {

namespace {
// This process's environment with LD_LIBRARY_PATH set to the folder.
std::vector<std::string> childEnvironment(const std::string& libraryFolder) {
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v)
        if (std::strncmp(*v, "LD_LIBRARY_PATH=", 16) != 0) variables.push_back(*v);
    variables.push_back("LD_LIBRARY_PATH=" + libraryFolder);
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(&s[0]);
    out.push_back(nullptr);
    return out;
}
}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::string& libraryFolder) {
    const std::string outPath = caughtOutputFile(workingDirectory, "out");
    const std::string errPath = caughtOutputFile(workingDirectory, "err");
    ProcessResult result;
    // Everything the child needs is made here: between fork and exec a child of
    // a process with other threads may only make async-signal-safe calls (an
    // allocator lock held by another thread at the fork stays held forever).
    std::vector<std::string> argumentStrings = {program};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStrings = childEnvironment(libraryFolder);
    std::vector<char*> argv = pointers(argumentStrings);
    std::vector<char*> envp = pointers(environmentStrings);
    pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        if (chdir(workingDirectory.c_str()) != 0) _exit(126);
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited == child && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.output = takeCaughtOutput(outPath);
    result.errors = takeCaughtOutput(errPath);
    return result;
}

}  // namespace testing_support
}  // namespace vorna
