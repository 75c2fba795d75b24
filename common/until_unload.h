// One object of a library's own for its calls until the library is unloaded:
// made on first use, deleted when the library's static objects go (a library
// loaded for every call must not leave one behind each time). After that,
// get() answers null and a static object going later does without it.
//
// Use: one object a type at namespace scope, `UntilUnload<Table> table;`,
// then `if (Table* t = table.get()) ...`.
#pragma once

namespace vorna {

template <class T>
class UntilUnload {
public:
    // Constant-initialised: usable before any constructor of the library runs.
    constexpr UntilUnload() = default;
    UntilUnload(const UntilUnload&) = delete;
    UntilUnload& operator=(const UntilUnload&) = delete;

    // Made by the first call (the local static makes that thread-safe).
    T* get() {
        static T* const first = made_ = new T;
        return unloaded_ ? nullptr : first;
    }

    ~UntilUnload() {
        unloaded_ = true;
        delete made_;
        made_ = nullptr;
    }

private:
    T* made_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace vorna
