// Mix-in that gives a class one process-wide object.
//
// Use: class Settings : public Patterns::Singleton<Settings> { public: Settings(); ... };
//      Settings::instance().field ...
// The object is made on the first call of instance(); a constructor that
// throws leaves it unmade and the next call tries again. It is destroyed at
// process exit (for a library: when the library is unloaded). The constructor
// must not call instance() of its own class.
#pragma once

namespace vorna {
namespace Patterns {

template <class T>
class Singleton {
public:
    static T& instance() {
        // A function-local static: constructed once, retried after a throwing
        // constructor, its destructor registered at exit.
        static T object;
        return object;
    }

protected:
    Singleton() = default;
    ~Singleton() = default;
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;
};

}  // namespace Patterns
}  // namespace vorna
