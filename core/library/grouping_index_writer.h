#pragma once
// Writes a grouping's index file (albums, artists, titles, genres or years) a bounded
// piece at a time, so that a save on the main thread can stop between pieces. The
// pieces put together are the bytes SaveToStream writes.
#include <cstddef>
#include <string_view>
#include <vector>

namespace tunecrest {

// The head of a block of track positions in every index file.
inline constexpr std::string_view kTrackIndexMagic = "IXTL";

class TaudioTagListList;
class TbyteWriter;

class TindexFileWriter {
public:
    // `grouping` must not change while the file is written.
    explicit TindexFileWriter(const TaudioTagListList& grouping);
    // Writes only the entry `entry` of the grouping's top level, without the file's head.
    TindexFileWriter(const TaudioTagListList& grouping, int entry);
    // Appends the next piece; false once the file is complete (nothing appended then).
    bool WriteNext(TbyteWriter& w);

private:
    enum Tkind { ikAlbums, ikArtists, ikCategories };
    struct Tframe {
        const TaudioTagListList* Lists;
        Tkind Kind;
        int Entry;   // -1 while the head is to be written
        int Part;    // of the entry: 0 its name, 1 its positions, 2.. a category's streams
        size_t Pos;  // the next position of the entry's tracks
        int End;     // the entry it stops before
    };
    void Push(const TaudioTagListList& lists, int entry = -1, int end = -1);
    std::vector<Tframe> Fstack;
};

}  // namespace tunecrest
