// A loaded library and its entry points; destroying it unloads the library.
#pragma once

#include <memory>
#include <string>

namespace vorna {

class dynamic_library {
public:
    // Loads the library by the name given (a bare name goes through the
    // system's search order); throws app_exception with the system text.
    explicit dynamic_library(const std::string& fileName);
    ~dynamic_library();
    dynamic_library(const dynamic_library&) = delete;
    dynamic_library& operator=(const dynamic_library&) = delete;

    // The address of an entry point; throws app_exception with the system
    // text when the library does not export it.
    void* func_address(const std::string& name) const;
    // The address of an entry point a library may lack; null then.
    void* optional_address(const std::string& name) const;

private:
    class dynamic_library_impl;
    std::unique_ptr<dynamic_library_impl> impl_;
};

}  // namespace vorna
