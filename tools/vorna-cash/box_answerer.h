// Answers the message boxes that the sender library shows during one call, in
// the order given, so that the tool runs unattended. When the answers run out
// the safe choice of each box is taken (No, Cancel, Abort, then OK).
// box_answerer_win32.cpp answers real dialogs with a thread WH_CBT hook;
// box_answerer_posix.cpp feeds the answers to the prompts of the console box.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace tool {

class BoxAnswerer {
public:
    // Starts answering on the calling thread; the answers are yes, no, ok,
    // cancel, abort, retry, ignore, tryagain, continue.
    explicit BoxAnswerer(const std::vector<std::string>& answers);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
};

}  // namespace tool
}  // namespace vorna
