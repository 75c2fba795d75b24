#include "cash/sender/dynamic_library.h"

#include "common/app_exception.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {
// The places these failures have always been reported from; log readers
// search for them.
constexpr char kSourceFile[] = "win32\\dynamic_library";
constexpr int kLoadLine = 19;
constexpr int kResolveLine = 31;
}  // namespace

class dynamic_library::dynamic_library_impl {
public:
    explicit dynamic_library_impl(const std::string& fileName)
        : handle_(platform::loadLibrary(fileName)) {
        if (!handle_)
            throw app_exception(ErrorContext(SourceLocation{
                kSourceFile, kLoadLine,
                "vorna::dynamic_library::dynamic_library_impl::dynamic_library_impl"}));
    }
    ~dynamic_library_impl() { platform::freeLibrary(handle_); }
    dynamic_library_impl(const dynamic_library_impl&) = delete;
    dynamic_library_impl& operator=(const dynamic_library_impl&) = delete;

    void* func_address(const std::string& name) const {
        void* address = platform::findSymbol(handle_, name.c_str());
        if (!address)
            throw app_exception(ErrorContext(
                SourceLocation{kSourceFile, kResolveLine,
                               "vorna::dynamic_library::dynamic_library_impl::func_address"}));
        return address;
    }

    void* optional_address(const std::string& name) const {
        return platform::findSymbol(handle_, name.c_str());
    }

private:
    platform::LibraryHandle handle_;
};

dynamic_library::dynamic_library(const std::string& fileName)
    : impl_(std::make_unique<dynamic_library_impl>(fileName)) {}

dynamic_library::~dynamic_library() = default;

void* dynamic_library::func_address(const std::string& name) const {
    return impl_->func_address(name);
}

void* dynamic_library::optional_address(const std::string& name) const {
    return impl_->optional_address(name);
}

}  // namespace vorna
