#pragma once
// Tags and tag lists for tests.
#include <memory>
#include <string>
#include <vector>

#include "core/tags/tag_list.h"

namespace tunecrest::test {

// An audio tag; the file name is made from artist and title unless given.
inline TaudioTagPtr MakeTag(const std::string& artist, const std::string& title, uint32_t duration = 0,
                            const std::string& file = "") {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetArtist(artist);
    tag->SetTitle(title);
    tag->SetDuration(duration);
    tag->SetFilename(file.empty() ? "/m/" + artist + " - " + title + ".mp3" : file);
    tag->SetMediaType(mkAudio);
    return tag;
}

// A library track with the fields the groupings file it by.
inline TaudioTagPtr MakeLibraryTag(const std::string& file, const std::string& artist,
                                   const std::string& title, const std::string& album,
                                   const std::string& genre = "", const std::string& date = "",
                                   uint32_t track = 0) {
    auto tag = MakeTag(artist, title, 0, file);
    tag->SetAlbum(album);
    tag->SetGenreString(genre);
    tag->SetDate(date);
    tag->SetTrackNo(track);
    return tag;
}

inline std::vector<std::string> Titles(const TaudioTagList& list) {
    std::vector<std::string> out;
    for (const auto& tag : list.Items()) out.push_back(tag->Title());
    return out;
}

}  // namespace tunecrest::test
