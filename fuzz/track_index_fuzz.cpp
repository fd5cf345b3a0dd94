// An "IXTL" track index from arbitrary bytes, against a master list of 16 tags.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/tag_list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tunecrest::TaudioTagList* master = [] {
        auto* list = new tunecrest::TaudioTagList;
        for (int i = 0; i < 16; ++i) {
            auto tag = std::make_shared<tunecrest::TaudioTag>();
            tag->SetFilename("/m/" + std::to_string(i) + ".mp3");
            list->Add(tag);
        }
        return list;
    }();
    tunecrest::TaudioTagList album;
    tunecrest::TbyteReader r(std::string_view(reinterpret_cast<const char*>(data), size));
    tunecrest::LoadTagListIndexFromStream(album, r, *master);
    if (album.Count() > master->Count() * int(size)) __builtin_trap();
    return 0;
}
