#include "common/app_exception.h"

#include "common/platform/platform.h"

namespace vorna {

namespace {
const char kChequeCancelledText[] = "Чек был аннулирован.";
}  // namespace

ErrorContext::ErrorContext(const SourceLocation& where) : location(where) {
    // The message of the exception may yet be made from the last error.
    const unsigned long saved = platform::lastError();
    platform::DateTime now;
    if (platform::localTime(now)) {
        date.year = now.year;
        date.month = now.month;
        date.day = now.day;
    }
    computerName = platform::computerName();
    platform::setLastError(saved);
}

app_exception::app_exception(const ErrorContext& context)
    : message_(systemErrorText()), context_(context) {}

app_exception::app_exception(const ErrorContext& context, const std::string& message)
    : message_(message), context_(context) {}

app_exception::app_exception(const ErrorContext& context, ChequeCancelled)
    : message_(kChequeCancelledText), context_(context) {}

app_exception::~app_exception() = default;

const char* app_exception::what() const noexcept { return message_.c_str(); }

ErrorDate app_exception::date() const { return context_.date; }

const char* app_exception::computerName() const { return context_.computerName.c_str(); }

SourceLocation app_exception::location() const { return context_.location; }

const app_exception* app_exception::inner() const { return inner_.get(); }

namespace winapi {

Exception::Exception() : app_exception(ErrorContext()) {}

Exception::Exception(const std::string& message) : app_exception(ErrorContext(), message) {}

Exception::~Exception() = default;

}  // namespace winapi

std::string systemErrorText() { return platform::errorText(platform::lastError()); }

}  // namespace vorna
