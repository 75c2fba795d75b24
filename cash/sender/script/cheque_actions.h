// The semantic actions of the cheque grammar. Each holds a pointer to the
// Checks being built; those that change a cheque act on the last one.
#pragma once

#include <string>

#include "cash/shared/checks.h"

namespace vorna {

// The grammar hands the actions the matched text as a pair of iterators.
using ScriptIterator = std::string::const_iterator;

struct SetSeparateCheck {
    explicit SetSeparateCheck(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

struct SetLogEnable {
    explicit SetLogEnable(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

// "~hdr": a new, empty text line.
struct AddTextLine {
    explicit AddTextLine(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

// One piece of a "~hdr" text, normalised and appended to the last line.
struct SetTextLine {
    explicit SetTextLine(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

// The "~dep" text, stored as received.
struct SetSrvText {
    explicit SetSrvText(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

// The "~pos" text, stored as received and split into positions.
struct SetPosInfo {
    explicit SetPosInfo(Checks* checks) : checks_(checks) {}
    void operator()(ScriptIterator first, ScriptIterator last) const;
    Checks* checks_;
};

// Throws the "Container empty" error of SetAttribute_t for one value type.
[[noreturn]] void throwContainerEmpty(unsigned*);
[[noreturn]] void throwContainerEmpty(double*);

// A number of "~srv" or "~pay", handed to a bound setter of the last cheque.
template <class ContainerT, class ElementT, class ValueT, class = void>
struct SetAttribute_t {
    using Setter = void (ElementT::*)(ValueT);
    SetAttribute_t(ContainerT* container, Setter setter) : container_(container), setter_(setter) {}
    void operator()(ValueT value) const {
        if (container_->empty()) throwContainerEmpty(static_cast<ValueT*>(nullptr));
        (container_->back().*setter_)(value);
    }
    ContainerT* container_;
    Setter setter_;
};

}  // namespace vorna
