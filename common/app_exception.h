// The exceptions of both libraries. Each records where and when it was made
// (ErrorContext) besides its message.
//
// Use:
//   throw app_exception(VORNA_SOURCE_LOCATION, "text");          // a message
//   throw app_exception(ErrorContext(VORNA_SOURCE_LOCATION));    // the last system error's text
//   throw app_exception(VORNA_SOURCE_LOCATION, chequeCancelled); // "Чек был аннулирован."
//   throw winapi::Exception();            // a failed system call, its text
//   throw winapi::Exception("text");
// Build the context before anything that may change the last system error;
// making it keeps the last error as it was.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace vorna {

struct SourceLocation {
    std::string file;
    int line = 0;
    std::string function;
};

// The place of the expression that uses it.
#define VORNA_SOURCE_LOCATION \
    ::vorna::SourceLocation { __FILE__, __LINE__, __func__ }

// The date of an exception; the last three fields are always 0.
struct ErrorDate {
    int year = 0;
    int month = 0;
    int day = 0;
    int reserved1 = 0;
    int reserved2 = 0;
    int reserved3 = 0;
};

// Where and when an exception was made: the local date, the computer name
// and the source location. Reading them leaves the last system error as it was.
struct ErrorContext {
    ErrorContext(const SourceLocation& location = SourceLocation());

    ErrorDate date;
    std::string computerName;
    SourceLocation location;
};

// Selects the constructor with the fixed message "Чек был аннулирован.".
struct ChequeCancelled {};
inline constexpr ChequeCancelled chequeCancelled{};

class app_exception : public std::exception {
public:
    // The message is the system's text for the calling thread's last error.
    explicit app_exception(const ErrorContext& context);
    app_exception(const ErrorContext& context, const std::string& message);
    // The message "Чек был аннулирован." (the receipt was cancelled).
    app_exception(const ErrorContext& context, ChequeCancelled);

    // Copies share the inner exception, which is destroyed once, with the
    // last copy of the outer one.
    app_exception(const app_exception&) = default;
    app_exception& operator=(const app_exception&) = default;
    app_exception(app_exception&&) noexcept = default;
    app_exception& operator=(app_exception&&) noexcept = default;

    ~app_exception() override;
    const char* what() const noexcept override;
    virtual ErrorDate date() const;
    virtual const char* computerName() const;
    virtual SourceLocation location() const;
    // The inner exception, null unless set.
    virtual const app_exception* inner() const;

    // Makes a copy of inner (of its own type) the inner exception.
    template <class Inner>
    void setInner(const Inner& inner) {
        inner_ = std::make_shared<const Inner>(inner);
    }

private:
    std::string message_;
    std::shared_ptr<const app_exception> inner_;
    ErrorContext context_;
};

namespace winapi {

// A failed system call.
class Exception : public app_exception {
public:
    // Empty location; the message is the system's text for the last error.
    Exception();
    // Empty location; the message given.
    explicit Exception(const std::string& message);
    ~Exception() override;
};

}  // namespace winapi

// The system's message text for the calling thread's last error; empty when
// the system has none.
std::string systemErrorText();

}  // namespace vorna
