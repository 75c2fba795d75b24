// The one-object mix-in: one object, made on first use, retried after a
// throwing constructor.
#include "common/singleton.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vorna {
namespace {

int constructions = 0;
int failuresLeft = 0;

class Counted : public Patterns::Singleton<Counted> {
public:
    Counted() {
        if (failuresLeft > 0) {
            --failuresLeft;
            throw std::runtime_error("not yet");
        }
        ++constructions;
    }
    int value = 42;
};

TEST(Singleton, ThrowingConstructorLeavesItUnmadeAndTheNextCallTriesAgain) {
    failuresLeft = 2;
    EXPECT_THROW(Counted::instance(), std::runtime_error);
    EXPECT_THROW(Counted::instance(), std::runtime_error);
    EXPECT_EQ(constructions, 0);

    Counted& first = Counted::instance();
    Counted& second = Counted::instance();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(constructions, 1);
    first.value = 7;
    EXPECT_EQ(Counted::instance().value, 7);
}

class Other : public Patterns::Singleton<Other> {
public:
    int value = 1;
};

TEST(Singleton, EachClassHasItsOwnObject) {
    EXPECT_NE(static_cast<void*>(&Other::instance()), static_cast<void*>(&Counted::instance()));
    EXPECT_EQ(Other::instance().value, 1);
}

}  // namespace
}  // namespace vorna
