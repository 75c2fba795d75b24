#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/sender/host_process.h"

namespace vorna {
namespace testing_support {

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(path);  // text mode: the line ends of this system become "\n"
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::string& libraryFolder) {
    std::string outPath = workingDirectory + "/.process.out";
    std::string errPath = workingDirectory + "/.process.err";
    ProcessResult result;
    pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        if (chdir(workingDirectory.c_str()) != 0) _exit(126);
        setenv("LD_LIBRARY_PATH", libraryFolder.c_str(), 1);
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.output = readAll(outPath);
    result.errors = readAll(errPath);
    return result;
}

}  // namespace testing_support
}  // namespace vorna
