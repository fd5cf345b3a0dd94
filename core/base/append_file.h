#pragma once
// Appending to a text file that only ever grows (the play history): one line per
// event instead of rewriting the whole file. Only a regular file (or a missing one,
// which is created) is written; a FIFO or a device is refused, and opening never
// blocks on them.
#include <cstdint>
#include <string>
#include <string_view>

namespace tunecrest {

// Appends `data` to `path`; false (with a reason) when it cannot.
bool AppendFileBytes(const std::string& path, std::string_view data, std::string* error = nullptr);

// Appends `data` (whole lines) to a log that stays within `maxBytes`: when it would pass
// them, the log is first moved aside to the name with `olderSuffix` (replacing the older
// one) and starts again, so a log and its predecessor never hold more than twice that.
// Writers of one process take turns. False (with a reason) when it cannot be written.
bool AppendLogBytes(const std::string& path, std::string_view data, int64_t maxBytes, const std::string& olderSuffix,
                    std::string* error = nullptr);

}  // namespace tunecrest
