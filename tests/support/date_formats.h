#pragma once
// Fixes the locale's date and time formats for the life of the object, so that tests
// expect the same text on every machine.
#include "core/base/date_time.h"

namespace tunecrest::test {

class TscopedDateFormats {
  public:
    explicit TscopedDateFormats(const std::string& shortDate = "%Y-%m-%d",
                                const std::string& longTime = "%H:%M:%S") {
        SetLocaleDateFormats(TlocaleDateFormats{shortDate, longTime});
    }
    ~TscopedDateFormats() { SetLocaleDateFormats(std::nullopt); }
    TscopedDateFormats(const TscopedDateFormats&) = delete;
    TscopedDateFormats& operator=(const TscopedDateFormats&) = delete;
};

}  // namespace tunecrest::test
