// Filing a whole library into the groupings: a shuffled library with awkward names
// (case twins, accents, "The " artists, empty fields, compilations, one album title in
// several folders) comes out exactly as a plain one-by-one filing describes it, and the
// index files written from it keep their bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <random>

#include "core/library/jukebox_list.h"
#include "core/base/safe_file.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

// The pick of a fixed generator (no library distribution: its results may differ
// between standard libraries).
struct Tpicker {
    std::mt19937 Rng{20261209};
    template <size_t N>
    const char* From(const char* const (&items)[N]) {
        return items[Rng() % N];
    }
    int Below(int n) { return int(Rng() % uint32_t(n)); }
};

std::vector<TaudioTagPtr> AwkwardLibrary() {
    static const char* const kArtists[] = {
        "ABBA", "abba", "Abba", "The Band", "the band", "THE BAND", "The The", "The", "Theodore",
        "\xc3\x89lan Vital", "\xc3\xa9lan vital", "Se\xc3\xb1or Coconut", "", "", "Zed", "zed", "10cc", "!!!",
        "[compilations]", "Tom Waits", "tom waits", "Various"};
    static const char* const kAlbums[] = {"Greatest Hits", "greatest hits", "GREATEST HITS", "", "Live",
                                          "\xc3\x89lan", "\xc3\xa9lan", "Blue", "blue", "The Album", "1999",
                                          "Zz", "zZ"};
    static const char* const kTitles[] = {"", "apple", "Apple", "APPLE", "1999", "~tilde", "\xc3\xa9lan",
                                          "Zebra", "zebra", "(Intro)", "the end", "The End", "Blue", "b",
                                          "Intro", "intro", "9 to 5", "[bracket]", "Ärger", "x"};
    static const char* const kGenres[] = {"Rock", "rock", "ROCK", "", "Jazz", "jazz", "\xc3\x89lan",
                                          "Pop/Rock", "Blues", "[undefined]"};
    static const char* const kDates[] = {"", "1987", "1987-05-01", "May 1962", "87", "2001", "0000",
                                         "19", "1962", "1969", "1960", "2010"};
    Tpicker pick;
    std::vector<TaudioTagPtr> tags;
    int fileNo = 0;
    for (int album = 0; album < 160; ++album) {
        const std::string albumArtist = pick.From(kArtists);
        const std::string title = pick.From(kAlbums);
        // Albums of one title share folders now and then, and compilations mix artists.
        const bool compilation = pick.Below(6) == 0;
        const std::string folder = "/m/" + std::to_string(pick.Below(40)) + "/" + title + "/";
        const std::string genre = pick.From(kGenres);
        const std::string date = pick.From(kDates);
        const int tracks = 1 + pick.Below(12);
        for (int t = 0; t < tracks; ++t) {
            std::string artist = compilation ? pick.From(kArtists) : albumArtist;
            // Case twins of the album artist do not make a compilation.
            if (!compilation && pick.Below(7) == 0) artist = LowerCase(artist);
            auto tag = test::MakeLibraryTag(folder + std::to_string(fileNo++) + ".mp3", artist, pick.From(kTitles),
                                            title, pick.Below(9) == 0 ? pick.From(kGenres) : genre,
                                            pick.Below(9) == 0 ? pick.From(kDates) : date,
                                            uint32_t(pick.Below(5)));
            tags.push_back(std::move(tag));
        }
    }
    // The same file twice: the file index keeps one line for it.
    tags.push_back(tags[3]->Clone());
    for (size_t i = tags.size(); i-- > 1;) std::swap(tags[i], tags[size_t(pick.Below(int(i) + 1))]);
    return tags;
}

// ---- the plain filing the groupings must match -------------------------------------

// A grouping as plain data: member titles in order, each with its tracks' positions.
struct Tgroup {
    std::string Title, AlbumArtist;
    std::vector<int> Positions;
    bool operator==(const Tgroup&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tgroup& g) {
    os << "\"" << g.Title << "\" (" << g.AlbumArtist << "):";
    for (int p : g.Positions) os << ' ' << p;
    return os;
}

// Groups found by a key that ignores case, created in order of first track, the first
// track's text as the title, then put in title order keeping the creation order of
// equal titles.
struct Tgrouper {
    std::map<std::string, size_t> Index;
    std::vector<Tgroup> Groups;
    Tgroup& Of(const std::string& key, const std::string& title) {
        const auto [it, added] = Index.emplace(key, Groups.size());
        if (added) Groups.push_back(Tgroup{title, "", {}});
        return Groups[it->second];
    }
    std::vector<Tgroup> Sorted() const {
        std::vector<Tgroup> out = Groups;
        std::stable_sort(out.begin(), out.end(),
                         [](const Tgroup& a, const Tgroup& b) { return CompareText(a.Title, b.Title) < 0; });
        return out;
    }
};

std::string FolderOf(const std::string& file) { return file.substr(0, file.rfind('/') + 1); }

// Positions in the order of a stable sort by the given compare.
template <typename Less>
std::vector<int> SortedPositions(std::vector<int> positions, const std::vector<TaudioTagPtr>& tags, Less less) {
    std::stable_sort(positions.begin(), positions.end(),
                     [&](int a, int b) { return less(*tags[size_t(a)], *tags[size_t(b)]); });
    return positions;
}

bool ByTitle(const TaudioTag& a, const TaudioTag& b) { return CompareText(a.Title(), b.Title()) < 0; }
bool ByTrackThenTitle(const TaudioTag& a, const TaudioTag& b) {
    if (a.TrackNo() != b.TrackNo()) return a.TrackNo() < b.TrackNo();
    return ByTitle(a, b);
}

// Albums of the given tracks: by title and folder, a second artist (not a case twin)
// makes a compilation, tracks by number then title.
std::vector<Tgroup> PlainAlbums(const std::vector<int>& positions, const std::vector<TaudioTagPtr>& tags) {
    Tgrouper albums;
    for (int p : positions) {
        const TaudioTag& tag = *tags[size_t(p)];
        if (tag.Album().empty()) continue;
        const bool added = !albums.Index.count(UpperCase(tag.Album()) + "\n" + FolderOf(tag.Filename().str()));
        Tgroup& album = albums.Of(UpperCase(tag.Album()) + "\n" + FolderOf(tag.Filename().str()), tag.Album());
        if (added) album.AlbumArtist = tag.Artist();
        if (!album.AlbumArtist.empty() && !SameText(album.AlbumArtist, tag.Artist()))
            album.AlbumArtist = "[Compilations]";
        album.Positions.push_back(p);
    }
    auto sorted = albums.Sorted();
    for (auto& album : sorted) album.Positions = SortedPositions(album.Positions, tags, ByTrackThenTitle);
    return sorted;
}

// Artists (or first letters of titles) of the given tracks, tracks in library order.
std::vector<Tgroup> PlainArtists(const std::vector<int>& positions, const std::vector<TaudioTagPtr>& tags,
                                 bool letters) {
    Tgrouper artists;
    for (int p : positions) {
        const TaudioTag& tag = *tags[size_t(p)];
        std::string key = tag.Artist().empty() ? "[Not Tagged]" : tag.Artist();
        if (letters) {
            if (tag.Title().empty()) continue;
            const char c = UpperCase(tag.Title().substr(0, 1))[0];
            key = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? std::string(1, c) : "~";
        }
        artists.Of(UpperCase(key), key).Positions.push_back(p);
    }
    return artists.Sorted();
}

// The artists a grouping lists once the albums are linked: the filed ones and, when
// missing, the two made-up artists.
std::vector<Tgroup> WithMadeUpArtists(std::vector<Tgroup> artists, bool notTagged) {
    Tgrouper all;
    for (const auto& artist : artists) all.Of(UpperCase(artist.Title), artist.Title) = artist;
    all.Of("[COMPILATIONS]", "[Compilations]");
    if (notTagged) all.Of("[NOT TAGGED]", "[Not Tagged]");
    return all.Sorted();
}

std::vector<Tgroup> PlainCategories(const std::vector<TaudioTagPtr>& tags,
                                    const std::function<std::string(const TaudioTag&)>& keyOf) {
    Tgrouper categories;
    for (size_t p = 0; p < tags.size(); ++p) {
        const std::string key = keyOf(*tags[p]);
        categories.Of(UpperCase(key), key).Positions.push_back(int(p));
    }
    auto sorted = categories.Sorted();
    for (auto& category : sorted) category.Positions = SortedPositions(category.Positions, tags, ByTitle);
    return sorted;
}

// ---- the groupings as filed ---------------------------------------------------------

std::vector<Tgroup> Groups(const TaudioTagListList& lists) {
    std::vector<Tgroup> out;
    for (int i = 0; i < lists.Count(); ++i) {
        const auto list = lists.GetList(i);
        Tgroup group{list->Title(), "", {}};
        if (const auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(list)) group.AlbumArtist = album->AlbumArtist;
        for (const auto& tag : list->Items()) group.Positions.push_back(tag->StoredPosition());
        out.push_back(std::move(group));
    }
    return out;
}

// Every name and link the browse trees and searches read, as text.
std::string Links(const TaudioTagArtistList& artists) {
    std::string text;
    for (int i = 0; i < artists.DisplayNames().Count(); ++i)
        text += artists.DisplayNames().Strings(i) + "=" +
                std::static_pointer_cast<TaudioTagList>(artists.DisplayNames().Objects(i))->Title() + "\n";
    TmyStringList links;
    artists.GetArtistNames(links);
    for (int i = 0; i < links.Count(); ++i)
        text += links.Strings(i) + "|" + std::static_pointer_cast<TaudioTagList>(links.Objects(i))->Title() + "\n";
    for (int i = 0; i < artists.Count(); ++i)
        text += std::to_string(artists.GetArtist(i)->Albums().Count()) + (artists.GetArtist(i)->IsAlpha ? "a" : "") + ",";
    return text;
}

std::string Image(TcustomJukeboxList& lib) {
    std::string text = Links(lib.ArtistList()) + Links(lib.TitleList());
    for (auto* categories : {static_cast<TaudioTagCategoryList*>(&lib.GenreList()),
                             static_cast<TaudioTagCategoryList*>(&lib.YearList())}) {
        for (int i = 0; i < categories->Names().Count(); ++i) text += categories->Names().Strings(i) + ";";
        for (int c = 0; c < categories->Count(); ++c) text += Links(categories->GetCategory(c)->Artists());
    }
    for (int i = 0; i < lib.AlbumList().Count(); ++i) {
        const auto album = lib.AlbumList().GetAlbum(i);
        text += std::to_string(album->Compilation) + std::to_string(album->SortByTrack) + ",";
    }
    for (int i = 0; i < lib.FileIndex().Count(); ++i)
        text += lib.FileIndex().Strings(i) + ">" +
                std::to_string(lib.FileIndex().Tag(i)->StoredPosition()) + "\n";
    for (const auto& tag : lib.GlobalList().Items())
        text += tag->Title() + "#" + std::to_string(tag->TrackIndex()) + "\n";
    return text;
}

std::string IndexFileBytes(const test::TempDir& dir) {
    std::string all;
    for (const char* name : {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"}) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(dir.File(name), bytes)) << name;
        all += bytes;
    }
    return all;
}

uint32_t Crc(const std::string& bytes) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

struct Tsetup {
    bool MapThe = false;
    bool Decades = false;
    bool NoDuplicates = false;
    std::vector<std::string> Mappings;
    uint32_t FirstImageCrc = 0, FirstIndexCrc = 0, ImageCrc = 0, IndexCrc = 0;
};

class GroupingFiling : public testing::TestWithParam<Tsetup> {};

// The library is filed as it loads and again by ReprocessTags over the groupings of the
// first filing. Both times the written index files and every name and link hash to what
// the filing has always given (the two differ a little: an untitled track with an artist
// takes its file name as title only when filed under "[Undefined]", after the title
// index passed it). The second filing is the plain filing's, element by element.
TEST_P(GroupingFiling, ShuffledAwkwardLibraryFilesAsThePlainFilingDoes) {
    const Tsetup& setup = GetParam();
    test::TempDir dir;
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    lib.SetSaveInBackground(false);
    lib.AutoSaveGlobal = false;
    lib.ArtistList().MapThe = setup.MapThe;
    lib.ArtistList().MappingsNoDuplicates = setup.NoDuplicates;
    lib.ArtistList().SetMappings(setup.Mappings);
    lib.YearList().Mode = setup.Decades ? ymDecades : ymYears;
    const auto tags = AwkwardLibrary();
    lib.GlobalList().BeginUpdate();
    for (const auto& tag : tags) lib.GlobalList().Add(tag);
    lib.GlobalList().EndUpdate();
    const std::string first = Image(lib), firstFiles = IndexFileBytes(dir);
    lib.ReprocessTags();
    const std::string image = Image(lib), files = IndexFileBytes(dir);
    EXPECT_EQ(Crc(first), setup.FirstImageCrc) << first.size();
    EXPECT_EQ(Crc(firstFiles), setup.FirstIndexCrc) << firstFiles.size();
    EXPECT_EQ(Crc(image), setup.ImageCrc) << image.size();
    EXPECT_EQ(Crc(files), setup.IndexCrc) << files.size();

    // The plain filing. Untitled tracks without artist or genre took their file names.
    std::vector<int> all(tags.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    EXPECT_EQ(tags[0]->StoredPosition(), 0);
    EXPECT_EQ(Groups(lib.AlbumList()), PlainAlbums(all, tags));
    EXPECT_EQ(Groups(lib.ArtistList()), WithMadeUpArtists(PlainArtists(all, tags, false), true));
    EXPECT_EQ(Groups(lib.TitleList()), PlainArtists(all, tags, true));
    for (const auto& tag : tags) EXPECT_FALSE(tag->Artist().empty() && tag->Title().empty());
    const auto genreOf = [](const TaudioTag& tag) {
        return tag.GenreString().empty() ? std::string("[Undefined]") : tag.GenreString();
    };
    const auto yearOf = [&](const TaudioTag& tag) {
        const int year = YearOfDateText(tag.Date());
        if (year <= 0) return std::string(setup.Decades ? "[No Decade]" : "[No Year]");
        return setup.Decades ? std::to_string(year / 10) + "0's" : std::to_string(year);
    };
    for (auto [categories, keyOf] :
         {std::pair{static_cast<TaudioTagCategoryList*>(&lib.GenreList()),
                    std::function<std::string(const TaudioTag&)>(genreOf)},
          std::pair{static_cast<TaudioTagCategoryList*>(&lib.YearList()),
                    std::function<std::string(const TaudioTag&)>(yearOf)}}) {
        const auto plain = PlainCategories(tags, keyOf);
        ASSERT_EQ(Groups(*categories), plain);
        for (int c = 0; c < categories->Count(); ++c) {
            const auto category = categories->GetCategory(c);
            std::vector<int> inLibraryOrder = plain[size_t(c)].Positions;
            std::sort(inLibraryOrder.begin(), inLibraryOrder.end());
            EXPECT_EQ(Groups(category->Albums()), PlainAlbums(inLibraryOrder, tags)) << category->Title();
            EXPECT_EQ(Groups(category->Artists()),
                      WithMadeUpArtists(PlainArtists(inLibraryOrder, tags, false), false))
                << category->Title();
        }
    }
    // Each artist lists the albums of its name in title order.
    for (int i = 0; i < lib.ArtistList().Count(); ++i) {
        const auto artist = lib.ArtistList().GetArtist(i);
        std::vector<std::string> expected;
        for (const auto& album : PlainAlbums(all, tags))
            if (SameText(album.AlbumArtist, artist->Title()) &&
                lib.ArtistList().FindArtist(album.AlbumArtist) == artist)
                expected.push_back(album.Title);
        EXPECT_EQ(artist->Albums().GetTitles(), expected) << artist->Title();
    }
}

// A grouping switched off stays empty and changes nothing in the others: genres and
// years file their own artists and albums, and untitled tracks take their file names,
// all the same.
TEST(GroupingFilingSwitches, OtherGroupingsComeOutAsWithEveryGroupingOn) {
    const auto filed = [](bool artistsAlbums, bool genres, bool years) {
        TlocalJukeboxList lib;
        lib.LoadArtistsAlbums = artistsAlbums;
        lib.LoadGenres = genres;
        lib.LoadYears = years;
        lib.GlobalList().BeginUpdate();
        for (const auto& tag : AwkwardLibrary()) lib.GlobalList().Add(tag);
        lib.GlobalList().EndUpdate();
        lib.ReprocessTags();
        std::vector<std::string> parts(4);
        TbyteWriter w;
        lib.AlbumList().SaveToStream(w);
        lib.ArtistList().SaveToStream(w);
        lib.TitleList().SaveToStream(w);
        parts[0] = w.Bytes() + Links(lib.ArtistList());
        TbyteWriter g, y;
        lib.GenreList().SaveToStream(g);
        lib.YearList().SaveToStream(y);
        parts[1] = g.Bytes();
        parts[2] = y.Bytes();
        for (const auto& tag : lib.GlobalList().Items()) parts[3] += tag->Title() + "\n";
        return parts;
    };
    const auto all = filed(true, true, true);
    // (Without genres, untitled tracks of no genre keep their empty titles, so the
    // other groupings order them differently; that is how filing has always been.)
    const auto noArtists = filed(false, true, true), noYears = filed(true, true, false);
    EXPECT_EQ(noArtists[0], filed(false, false, false)[0]);
    EXPECT_EQ(noArtists[1], all[1]);
    EXPECT_EQ(noArtists[2], all[2]);
    EXPECT_EQ(noArtists[3], all[3]);
    EXPECT_EQ(noYears[0], all[0]);
    EXPECT_EQ(noYears[1], all[1]);
    EXPECT_EQ(noYears[3], all[3]);
}

// Large lists sort on kept keys of their first eight letters: titles that share them,
// differ only by case, run shorter or longer, hold accents or bytes below a space must
// come out as the plain stable sort by the same compare puts them, either way round.
TEST(GroupingSorts, LargeSortsByTitleOrderAsThePlainCompare) {
    static const char* const kTitles[] = {"Midnight Special", "MIDNIGHT SPECIAL", "midnight", "Midnigh", "Midnight",
                                          "Midnight Specia", "", "a", "A", "\x01x", "Midnight\x01", "Midnight ",
                                          "\xc3\x89t\xc3\xa9", "\xc3\xa9t\xc3\xa9", "zz", "ZZ top", "12345678",
                                          "1234567", "123456789", "[x]", "_y", "~", "Midnight Special Express",
                                          "MIDNIGHT SPECIAL EXPRESs", "Midnight Special\x01", "Midnight Specials"};
    Tpicker pick;
    for (TaudioTagSortType type : {tstTitle, tstTrackTitle})
        for (TaudioTagSortOrder order : {tsoAscending, tsoDescending}) {
            TaudioTagList list;
            for (int i = 0; i < 700; ++i) {
                auto tag = test::MakeTag("x", pick.From(kTitles), 0, "/m/" + std::to_string(i));
                tag->SetTrackNo(uint32_t(pick.Below(4)));
                list.Add(tag);
            }
            // A sorted run at the front is kept and the rest merged in.
            std::vector<TaudioTagPtr> expected = list.Items();
            const auto less = [&](const TaudioTagPtr& a, const TaudioTagPtr& b) {
                int c = 0;
                if (type == tstTrackTitle && a->TrackNo() != b->TrackNo()) c = a->TrackNo() < b->TrackNo() ? -1 : 1;
                if (c == 0) c = CompareText(a->Title(), b->Title());
                return (order == tsoAscending ? c : -c) < 0;
            };
            std::stable_sort(expected.begin(), expected.end(), less);
            list.SetSortOrder(order);
            list.SortBy(type);
            ASSERT_EQ(list.Items(), expected) << type << " " << order;
        }
}

// The kept keys order any two bytes (and a byte against the end of a text) as the
// compare does, and fold exactly the ASCII letters.
TEST(GroupingSorts, SortKeysAgreeWithTheCompareForEveryByte) {
    for (int a = 0; a < 256; ++a) {
        const std::string one(1, char(a)), two = std::string("Ab") + char(a) + "cdefghij";
        const int folded = a >= 'a' && a <= 'z' ? a - 32 : a;
        EXPECT_EQ(TextSortPrefix(one), uint64_t(folded) << 56) << a;
        for (int b = 0; b < 256; ++b) {
            const std::string other(1, char(b)), otherTwo = std::string("aB") + char(b) + "CDEFGHIJ";
            for (const auto& [x, y] : {std::pair{one, other}, std::pair{two, otherTwo}, std::pair{two, std::string("AB")}}) {
                const uint64_t kx = TextSortPrefix(x), ky = TextSortPrefix(y);
                const int c = CompareText(x, y);
                if (kx != ky) {
                    ASSERT_EQ(kx < ky, c < 0) << a << " " << b;
                }
                if (c == 0) {
                    ASSERT_EQ(kx, ky) << a << " " << b;
                }
            }
        }
    }
}

// Many albums at once put themselves in title order on the kept keys as well.
TEST(GroupingSorts, ManyNewListsSortAsTheInsertsWould) {
    static const char* const kNames[] = {"Greatest Hits", "greatest hits", "Greatest", "GREATEST HITS VOL 2", "",
                                         "Live", "live", "\xc3\x89lan", "b", "B", "Greatest\x01"};
    Tpicker pick;
    TaudioTagListList lists;
    TaudioTagListList plain;  // the same lists added one by one outside a bracket
    lists.BeginUpdate();
    for (int i = 0; i < 300; ++i) {
        auto list = std::make_shared<TaudioTagList>();
        list->SetTitle(pick.From(kNames));
        lists.AddList(list, false);
        plain.AddList(list, false);
    }
    lists.EndUpdate();
    for (int i = 0; i < lists.Count(); ++i) ASSERT_EQ(lists.GetList(i), plain.GetList(i)) << i;
}

std::string SetupName(const testing::TestParamInfo<Tsetup>& info) {
    static const char* const kNames[] = {"Plain", "MappingsAndDecades", "TheAndMappings"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(
    Setups, GroupingFiling,
    testing::Values(Tsetup{false, false, false, {}, 4135732179u, 810553368u, 1199085972u, 1934302668u},
                    Tsetup{true, true, true, {"ABBA=", "Se\xc3\xb1or Coconut=Coconut, Se\xc3\xb1or", "the band=Band"},
                           3713611985u, 3009646164u, 443798885u, 1571795354u},
                    Tsetup{true, false, false, {"zed=Zed, the", "tom waits="}, 3630655811u, 810553368u, 102231671u, 1934302668u}),
    SetupName);

}  // namespace
}  // namespace tunecrest
