// A list-of-lists file ("UALL" or "ZALL") from arbitrary bytes: unpacked whole and read
// as a stream, and read as a file is (a "ZALL" file inflated step by step as its lists
// are read).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/tags/tag_list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::string stream, error;
    std::vector<tunecrest::TaudioTagListPtr> fromFile;
    tunecrest::LoadTagListsFromFileBytes(std::string(file), fromFile, &error);
    if (!tunecrest::UnpackTagListsFile(file, stream, &error)) return 0;
    std::vector<tunecrest::TaudioTagListPtr> lists;
    tunecrest::TbyteReader r(stream);
    tunecrest::LoadTagListsFromStream(r, lists, &error);
    return 0;
}
