#pragma once
// The global list the index readers are fuzzed against: 16 tags of two artists.
#include <memory>
#include <string>

#include "core/tags/tag_list.h"

namespace tunecrest::fuzz {

inline const TaudioTagList& MasterList() {
    static const TaudioTagList* master = [] {
        auto* list = new TaudioTagList;
        for (int i = 0; i < 16; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            tag->SetFilename("/m/" + std::to_string(i) + ".mp3");
            tag->SetArtist(i % 2 ? "A" : "B");
            list->Add(tag);
        }
        return list;
    }();
    return *master;
}

}  // namespace tunecrest::fuzz
