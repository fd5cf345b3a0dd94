#pragma once
// Valid inputs for each fuzz target, built with the system's own writers.
#include <map>
#include <string>
#include <vector>

#include "core/csv_text.h"
#include "core/genre_year_groupings.h"
#include "core/list_file_io.h"
#include "core/playlist_text.h"
#include "core/tag_list_files.h"

namespace tunecrest::fuzz {

inline TaudioTagListPtr SeedList(const std::string& title, int tags) {
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle(title);
    list->SetFilename("/data/" + title + ".dat");
    for (int i = 0; i < tags; ++i) {
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename("/media/u/DISC/" + std::to_string(i) + ".mp3");
        tag->SetArtist("Artist " + std::to_string(i));
        tag->SetTitle(std::string(i == 1 ? 300 : 5, 't'));
        tag->SetDuration(uint32_t(100 + i));
        tag->SetSampleRate(44100);
        tag->SetModDate(40000.25 + i);
        if (i % 2) tag->ExtraFields().Add("Mood=Calm");
        tag->SetStoredPosition(i);
        list->Add(tag);
    }
    return list;
}

inline std::map<std::string, std::vector<std::string>> Seeds() {
    std::map<std::string, std::vector<std::string>> seeds;
    std::string header, row;
    GetCSVHeader(header);
    JoinCSV({"/m/a,b.mp3", "say \"hi\"", "two\r\nlines", " lead", "", "42"}, row);
    seeds["csv"] = {header + "\r\n" + row + "\r\n", "a,b,c\nd,\"e\nf\",g\n"};
    seeds["m3u"] = {std::string(kExtM3UHeader) + "\n" + ExtInfLine(215, "Band - Song") + "\nsong.mp3\n" +
                        ExtInfLine(0, "Dummy Entry") + "\nDoesNotExist\n",
                    "sub\\dir\\x.mp3\r\n../y.mp3\r\n/abs/z.mp3\r\nhttp://radio.example/s\r\n"};

    const auto list = SeedList("Mix", 3);
    TbyteWriter plain;
    const int64_t length = list->SaveToStream(plain);
    TbyteWriter zipped;
    zipped.WriteBytes("ZATL");
    zipped.WriteBytes(ZlibCompressFast(plain.Bytes()));
    zipped.WriteI64(length);
    seeds["tag_list"] = {plain.Bytes(), zipped.Bytes()};

    TbyteWriter lists;
    SaveTagListsToStream({SeedList("A", 0), SeedList("B", 2)}, lists);
    seeds["tag_list_list"] = {lists.Bytes(), "ZALL" + ZlibCompressFast(lists.Bytes())};

    TbyteWriter index;
    list->SaveIndexToStream(index);
    seeds["track_index"] = {index.Bytes()};

    // Grouping index files: the first byte picks albums (0), artists (1), genres (2) or
    // years (3); the tags of SeedList stand at positions 0 .. 2.
    TaudioTagGenreList genres;
    TaudioTagAlbumList albums;
    for (const auto& tag : list->Items()) {
        tag->SetAlbum("Album");
        genres.AddTag(tag);
        albums.AddTag(tag);
    }
    TbyteWriter albumIndex, genreIndex;
    albums.SaveToStream(albumIndex);
    genres.SaveToStream(genreIndex);
    seeds["grouping_index"] = {'\0' + albumIndex.Bytes(), '\2' + genreIndex.Bytes()};
    return seeds;
}

}  // namespace tunecrest::fuzz
