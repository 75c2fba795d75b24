// A hardware fault inside a guarded call ends only that call.
//
// A handler for SIGSEGV, SIGBUS, SIGFPE and SIGILL, installed at the first
// guarded call, returns to the calling thread's recovery point (sigsetjmp,
// the signal mask restored) while that thread is inside a guarded call. A
// fault anywhere else goes to the handler that was there before ours, or
// ends the process as it would have without us.
//
// Why this is safe enough: the body is one call into the foreign library; it
// owns no object with a destructor and holds no lock of ours, so abandoning
// its frames loses nothing of ours. What the library held at the fault stays
// as the fault left it.

#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

#include "platform.h"

namespace vorna {
namespace platform {

namespace {

const int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

struct sigaction previousActions[NSIG];

thread_local sigjmp_buf* activeRecovery = nullptr;
thread_local volatile std::sig_atomic_t caughtSignal = 0;

void onFault(int signal, siginfo_t* info, void* userContext) {
    if (sigjmp_buf* recovery = activeRecovery) {
        caughtSignal = signal;
        siglongjmp(*recovery, 1);
    }
    const struct sigaction& previous = previousActions[signal];
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, userContext);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // Back to the default: the faulting instruction runs again and ends the process.
    std::signal(signal, SIG_DFL);
}

void installFaultHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = &onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFaultSignals) sigaction(signal, &action, &previousActions[signal]);
}

}  // namespace

bool guardedCall(void (*body)(void*), void* context, unsigned long& faultCode) {
    static std::once_flag installed;
    std::call_once(installed, installFaultHandlers);
    sigjmp_buf recovery;
    sigjmp_buf* const outer = activeRecovery;
    if (sigsetjmp(recovery, 1) == 0) {
        activeRecovery = &recovery;
        body(context);
        activeRecovery = outer;
        return true;
    }
    activeRecovery = outer;
    faultCode = static_cast<unsigned long>(caughtSignal);
    return false;
}

std::string faultText(unsigned long faultCode) {
    switch (faultCode) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        default:
            return "signal " + std::to_string(faultCode);
    }
}

}  // namespace platform
}  // namespace vorna
