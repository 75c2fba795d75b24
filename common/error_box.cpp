#include "common/error_box.h"

#include "common/platform/platform.h"

namespace vorna {

void showErrorBox(const std::exception& error) {
    platform::messageBox(error.what(), "Ошибка", platform::Buttons::ok, platform::Icon::error);
}

}  // namespace vorna
