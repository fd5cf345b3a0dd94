// An "IXTL" track index from arbitrary bytes, against a master list of 16 tags.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/tags/tag_list_files.h"
#include "fuzz/master_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tunecrest::TaudioTagList* master = &tunecrest::fuzz::MasterList();
    tunecrest::TaudioTagList album;
    tunecrest::TbyteReader r(std::string_view(reinterpret_cast<const char*>(data), size));
    album.LoadIndexFromStream(r, *master);
    if (album.Count() > master->Count() * int(size)) __builtin_trap();
    return 0;
}
