#pragma once
// Appending to a text file that only ever grows (the play history): one line per
// event instead of rewriting the whole file. Only a regular file (or a missing one,
// which is created) is written; a FIFO or a device is refused, and opening never
// blocks on them.
#include <string>
#include <string_view>

namespace tunecrest {

// Appends `data` to `path`; false (with a reason) when it cannot.
bool AppendFileBytes(const std::string& path, std::string_view data, std::string* error = nullptr);

}  // namespace tunecrest
