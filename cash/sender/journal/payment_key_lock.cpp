// The payment key held against every other holder, in this and other
// processes: a byte lock of "<journal>.lock" at an offset made from the key.
#include "cash/sender/journal/payment_journal.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

// 64-bit FNV-1a of the key, within the offsets a byte lock takes.
std::uint64_t keyOffset(const JournalKey& key) {
    std::uint64_t hash = 1469598103934665603ULL;
    const std::string text = key.code + '\x1f' + key.unc + '\x1f' + key.typeOper;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash & ((1ULL << 62) - 1);
}

}  // namespace

struct PaymentKeyLock::Impl {
    std::unique_ptr<platform::ByteLock> lock;
};

PaymentKeyLock::PaymentKeyLock(const std::string& journalPath, const JournalKey& key)
    : impl_(new Impl) {
    const std::string file = journalPath + ".lock";
    impl_->lock = std::make_unique<platform::ByteLock>(file, keyOffset(key));
    switch (impl_->lock->state()) {
        case platform::ByteLock::State::held:
            held_ = true;
            return;
        case platform::ByteLock::State::busy:
            held_ = false;
            return;
        case platform::ByteLock::State::failed:
            break;
    }
    const unsigned long error = impl_->lock->error();
    throw JournalError("Журнал платежей: файл блокировки " + file + ": ошибка системы " +
                       std::to_string(error) + " (" + journalSystemErrorText(error) + ")");
}

PaymentKeyLock::~PaymentKeyLock() = default;

}  // namespace vorna
