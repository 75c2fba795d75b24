// Calls into a driver library. An exception object thrown there may refer to
// code of that library (on Windows its destructor is reached through the
// library's import thunks), so it must not outlive the library: a failure is
// copied into an exception of ours while the library is still loaded.
#pragma once

#include <exception>

#include "common/app_exception.h"

namespace vorna {

// The text given to a failure of the driver that is no standard exception.
inline constexpr char kUnknownDriverFailure[] = "Неизвестная ошибка в библиотеке драйвера ККТ";

template <typename Call>
auto callDriver(Call call) -> decltype(call()) {
    try {
        return call();
    } catch (const std::exception& e) {
        throw app_exception(ErrorContext(VORNA_SOURCE_LOCATION), e.what());
    } catch (...) {
        throw app_exception(ErrorContext(VORNA_SOURCE_LOCATION), kUnknownDriverFailure);
    }
}

}  // namespace vorna
