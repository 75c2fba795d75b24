// A structured exception inside a guarded call ends only that call.
//
// MinGW has no __try, so guardedCall does what __try compiles to on 32-bit
// Windows: it links an exception registration record of its own into the
// thread's frame chain (FS:[0]) for the length of the call. The system offers
// an exception to the frames of the code below first, so the library still
// handles what it handles itself; only what it leaves reaches our handler.
// The handler unwinds the frames registered below ours (RtlUnwind calls their
// handlers with the unwinding flag, as for any __except) and jumps back to
// the recovery point in guardedCall, which unlinks the record.
//
// Why this is safe enough: the body is one call into the foreign library;
// it owns no object with a destructor and holds no lock of ours, so
// abandoning its frames loses nothing of ours. What the library held at the
// fault stays as the fault left it, exactly as after a __try around the call.
// Only 32-bit builds exist for this system: the record chain in FS:[0] is how
// x86 Windows dispatches exceptions.

#include <windows.h>

#include <cstdio>

#include "platform.h"

static_assert(sizeof(void*) == 4, "the exception frame chain in FS:[0] is 32-bit Windows only");

namespace vorna {
namespace platform {

namespace {

// Laid out as the system's EXCEPTION_REGISTRATION_RECORD, then our own data.
struct GuardFrame {
    GuardFrame* next;
    void* handler;
    void* recovery[5];  // __builtin_setjmp's buffer
    unsigned long code;
};

extern "C" EXCEPTION_DISPOSITION __cdecl guardHandler(EXCEPTION_RECORD* record, void* establisher,
                                                      CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(establisher);
    frame->code = record->ExceptionCode;
    // Unwinds every frame registered below ours and returns here with ours on top.
    RtlUnwind(establisher, nullptr, record, nullptr);
    __builtin_longjmp(frame->recovery, 1);
}

GuardFrame* topFrame() {
    GuardFrame* top;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(top) : : "memory");
    return top;
}

void setTopFrame(GuardFrame* frame) {
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(frame) : "memory");
}

struct KnownFault {
    unsigned long code;
    const char* name;
};

const KnownFault kKnownFaults[] = {
    {EXCEPTION_ACCESS_VIOLATION, "access violation"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, "privileged instruction"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "integer division by zero"},
    {EXCEPTION_INT_OVERFLOW, "integer overflow"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "floating-point division by zero"},
    {EXCEPTION_FLT_INVALID_OPERATION, "invalid floating-point operation"},
    {EXCEPTION_STACK_OVERFLOW, "stack overflow"},
    {EXCEPTION_IN_PAGE_ERROR, "in-page error"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "datatype misalignment"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "array bounds exceeded"},
    {0xE06D7363UL, "C++ exception of the library"},
};

}  // namespace

bool guardedCall(void (*body)(void*), void* context, unsigned long& faultCode) {
    GuardFrame frame;
    frame.handler = reinterpret_cast<void*>(&guardHandler);
    frame.code = 0;
    frame.next = topFrame();
    setTopFrame(&frame);
    bool finished = false;
    if (__builtin_setjmp(frame.recovery) == 0) {
        body(context);
        finished = true;
    }
    setTopFrame(frame.next);
    if (!finished) faultCode = frame.code;
    return finished;
}

std::string faultText(unsigned long faultCode) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", faultCode);
    for (const KnownFault& known : kKnownFaults)
        if (known.code == faultCode) return std::string(text) + " (" + known.name + ")";
    return text;
}

}  // namespace platform
}  // namespace vorna
