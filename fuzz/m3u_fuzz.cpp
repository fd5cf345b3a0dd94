// Text and M3U playlist entries from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/tags/playlist_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)tunecrest::ParsePlaylistEntries(text, "/music/lists");
    return 0;
}
