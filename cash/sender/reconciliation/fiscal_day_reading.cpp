#include "cash/sender/reconciliation/fiscal_day_reading.h"

#include "cash/shared/ResultCode.h"

namespace vorna {

namespace {

// Progress is worth telling for a long day only, and then now and again.
constexpr int kProgressStep = 100;

}  // namespace

std::string documentDate(const cash::FiscalDocument& document) {
    return std::string(document.dateTime).substr(0, 10);
}

unsigned FiscalStorage::lastNumber() {
    if (lastKnown_) return last_;
    cash::FiscalDocument last{};
    ++reads_;
    const int result = reader_(0, last);
    if (result != cash::kSuccess)
        throw FiscalStorageUnreadable("номер последнего документа ФН не прочитан (код " +
                                      std::to_string(result) + ")");
    last_ = last.number;
    lastKnown_ = true;
    return last_;
}

const cash::FiscalDocument& FiscalStorage::document(unsigned number) {
    const auto known = read_.find(number);
    if (known != read_.end()) return known->second;
    cash::FiscalDocument document{};
    ++reads_;
    const int result = reader_(number, document);
    if (result != cash::kSuccess)
        throw FiscalStorageUnreadable("документ ФН № " + std::to_string(number) +
                                      " не прочитан (код " + std::to_string(result) + ")");
    // A storage that answers another document than the one asked for cannot be trusted.
    if (document.number != number)
        throw FiscalStorageUnreadable("на запрос документа ФН № " + std::to_string(number) +
                                      " получен документ № " + std::to_string(document.number));
    return read_.emplace(number, document).first->second;
}

FiscalDay FiscalStorage::day(const std::string& date, const FiscalDayProgress& progress) {
    FiscalDay day;
    day.date = date;
    const unsigned last = lastNumber();
    // The first document dated date or later: [low, high) narrows to it;
    // high == last + 1 says there is none. The nearest probe past the day
    // bounds the day's end for the estimate.
    unsigned low = 1, high = last + 1, pastTheDay = last + 1;
    while (low < high) {
        const unsigned middle = low + (high - low) / 2;
        const std::string middleDate = documentDate(document(middle));
        if (middleDate < date) {
            low = middle + 1;
        } else {
            high = middle;
            if (middleDate > date) pastTheDay = middle;
        }
    }
    const int estimate = static_cast<int>(pastTheDay - low);
    int told = 0;
    for (unsigned number = low; number <= last; ++number) {
        const cash::FiscalDocument& d = document(number);
        if (documentDate(d) != date) break;
        day.documents.push_back(d);
        const int read = static_cast<int>(day.documents.size());
        if (progress && read - told >= kProgressStep) {
            progress(read, estimate > read ? estimate : read);
            told = read;
        }
    }
    if (!day.documents.empty()) {
        day.first = day.documents.front().number;
        day.last = day.documents.back().number;
        if (progress && told > 0)
            progress(static_cast<int>(day.documents.size()),
                     static_cast<int>(day.documents.size()));
    }
    return day;
}

}  // namespace vorna
