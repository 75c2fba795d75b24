// The console message box of the POSIX platform reads its answers from
// standard input and prints caption and text with each prompt: a pipe holding
// the answers becomes standard input for the call.
#include <unistd.h>

#include <cstdio>

#include "common/platform/platform.h"

namespace vorna {
namespace platform {

namespace {
int savedInput = -1;
}

MessageBoxAnswers::MessageBoxAnswers(const std::vector<std::string>& answers) {
    std::string text;
    for (const std::string& answer : answers) text += answer + "\n";
    int ends[2];
    if (pipe(ends) != 0) return;
    // The answers are a few bytes: they fit into the pipe before anyone reads.
    ssize_t written = write(ends[1], text.data(), text.size());
    close(ends[1]);
    if (written != static_cast<ssize_t>(text.size())) {
        close(ends[0]);
        return;
    }
    std::fflush(stdin);
    savedInput = dup(0);
    dup2(ends[0], 0);
    close(ends[0]);
    clearerr(stdin);
}

MessageBoxAnswers::~MessageBoxAnswers() {
    if (savedInput < 0) return;
    dup2(savedInput, 0);
    close(savedInput);
    savedInput = -1;
    clearerr(stdin);
}

}  // namespace platform
}  // namespace vorna
