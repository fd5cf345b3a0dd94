// The embedded JPEG of an ID3 version 2 tag from arbitrary file starts. The first byte
// picks the file size the reader is told: the bytes given, or a file that goes on past them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/tags/audio_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const uint64_t fileSize = (data[0] & 1) ? file.size() : file.size() + (uint64_t(data[0]) << 16);
    std::string jpeg;
    const bool found = tunecrest::ExtractId3Jpeg(file, fileSize, jpeg);
    // A picture found is a part of the tag, never more bytes than the file start holds.
    if (found && (jpeg.empty() || jpeg.size() > file.size())) std::abort();
    if (!found && !jpeg.empty()) std::abort();
    return 0;
}
