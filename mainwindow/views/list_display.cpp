#include "mainwindow/views/list_display.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <optional>

#include "core/base/safe_file.h"

#include "core/tags/audio_tag.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/jukebox_list.h"
#include "core/display/markup_text.h"
#include "core/display/tag_list_display_settings.h"
#include "core/base/text_utils.h"
#include "core/display/tree_nodes.h"
#include "core/library/url_list.h"

namespace tunecrest {

namespace {

struct TformatDefault {
    const char* Name;
    const char* Format;
};
constexpr TformatDefault kFormatDefaults[kListFormatCount] = {
    {"Alphabetical Track List", "%2 - %1 <FDU:[>%t<FDU:]>"},
    {"Artist Track list", "%2 <FDU:[>%t<FDU:]>"},
    {"Genres", "%2 - %1 <FDU:[>%t<FDU:]>"},
    {"Track Numbers", "%6 : "},
    {"Queue List", "%2 - %1 <FDU:[>%t<FDU:]>"},
    {"Song Title (full)", "%1 - %2 [%3 - <FTN:Track> %6]"},
    {"Song Title (no track number)", "%1 - %2 [%3]"},
    {"Song Title (no album)", "%1 - %2"},
};

std::string Plural(int count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

int Digits(int n) {
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

const TmyNode* FixedAncestor(const TmyNode* node) {
    for (const TmyNode* n = node; n; n = n->Parent())
        if (n->Tag >= 0) return n;
    return nullptr;
}

}  // namespace

std::string DurationText(uint64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%d:%2.2d:%2.2d", int(seconds / 3600), int(seconds / 60 % 60),
                      int(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%d:%2.2d", int(seconds / 60), int(seconds % 60));
    return text;
}

void ResetFormatStrings(TformatStringContainer& formats) {
    TformatStringCollection items;
    for (const auto& d : kFormatDefaults) items.Add(d.Name, d.Format);
    formats.SetItems(items);
}

std::string ListFormat(const TformatStringContainer& formats, int index) {
    if (const TformatStringItem* item = formats.Items().Items(index)) return item->formatString;
    return index >= 0 && index < kListFormatCount ? kFormatDefaults[index].Format : "";
}

namespace {
const TfontContainer& ListDefaults() {
    static const TfontContainer defaults = DefaultFontStore(fsLists);
    return defaults;
}
}  // namespace

TFont ListFont(const TfontContainer& store, int index) {
    if (index >= 0 && index < store.Items().Count()) return store.Items().Items(index)->font();
    const TfontContainer& d = ListDefaults();
    return index >= 0 && index < d.Items().Count() ? d.Items().Items(index)->font() : TFont{};
}

TColor ListColor(const TfontContainer& store, int index) {
    if (index >= 0 && index < store.Colors().Count()) return store.Colors().Items(index)->color;
    const TfontContainer& d = ListDefaults();
    return index >= 0 && index < d.Colors().Count() ? d.Colors().Items(index)->color : clBlack;
}

int TtrackRows::Count() const {
    if (Urls) return Urls->Count();
    return int(Tracks.size());
}

namespace {

// The line of a track as a row shows it: numbered by its place (`place` + 1) when rows are
// numbered by position, where a copy carries that number so the library's track keeps its own.
void FormatRow(const TtrackFormat& compiled, const TaudioTag& tag, bool byPlace, uint32_t place, int width,
               std::string_view unknown, std::string& out) {
    if (byPlace && tag.TrackNo() != place + 1) {
        TaudioTag numberedCopy;
        tag.AssignTagInfo(numberedCopy);
        numberedCopy.SetTrackNo(place + 1);
        compiled.Format(numberedCopy, width, unknown, out);
    } else {
        compiled.Format(tag, width, unknown, out);
    }
}

}  // namespace

std::string TtrackRows::Text(int index) const {
    std::string out;
    if (Urls || !Compiled || index < 0 || index >= int(Tracks.size())) return out;
    const size_t i = size_t(index);
    FormatRow(*Compiled, *Tracks[i], ShowNumbers && NumberByPosition, Places.empty() ? uint32_t(i) : Places[i],
              NumberWidth, UnknownArtist, out);
    return out;
}

void FormatTrackRows(const std::vector<TaudioTagPtr>& tracks, const std::string& format, bool numbered,
                     bool byPosition, const TlistContext& context, std::vector<std::string>& texts) {
    const std::string full = numbered ? ListFormat(*context.Formats, lfTrackNumbers) + " " + format : format;
    // Read once (percent codes turned into tags) and applied to every row.
    const TtrackFormat compiled(ConvertLegacyFormat(full), context.Fonts ? &context.Fonts->Items() : nullptr);
    const std::string unknown = context.Settings ? context.Settings->UnknownArtistString() : std::string();
    int highest = byPosition ? int(tracks.size()) : 0;
    if (!byPosition)
        for (const auto& t : tracks) highest = std::max(highest, int(t->TrackNo()));
    // Numbers padded to the widest, so rows sorted by their text stay in number order.
    const int width = numbered ? std::max(2, Digits(highest)) : 0;
    texts.clear();
    texts.reserve(tracks.size());
    std::string line;
    for (size_t i = 0; i < tracks.size(); ++i) {
        line.clear();
        const TaudioTag& tag = *tracks[i];
        if (numbered && byPosition && tag.TrackNo() != uint32_t(i + 1)) {
            // The display number is the position: format a copy that carries it, so the
            // library's track keeps its own number.
            TaudioTag numberedCopy;
            tag.AssignTagInfo(numberedCopy);
            numberedCopy.SetTrackNo(uint32_t(i + 1));
            compiled.Format(numberedCopy, width, unknown, line);
        } else {
            compiled.Format(tag, width, unknown, line);
        }
        texts.push_back(line);
    }
}

namespace {

// The rows of a track list `data` (an album, an artist, a genre, a playlist, the videos);
// `fixed` is the fixed node above it in the tree, if any.
TtrackRows RowsOfList(const std::shared_ptr<TObject>& data, const TmyNode* fixed, bool underFixed,
                      const TlistContext& context) {
    TtrackRows rows;
    auto* list = dynamic_cast<TaudioTagList*>(data.get());
    if (!list) return rows;
    const bool trackNumbers = context.Settings && context.Settings->DisplayTrackNumbers();
    rows.Source = data;
    rows.Format = ListFormat(*context.Formats, lfAlphabeticalTrackList);
    rows.FontIndex = lfnAlbum;
    rows.HintMode = 2;
    rows.Tracks = list->Items();
    if (dynamic_cast<TaudioTagAlbum*>(list)) {
        rows.FontIndex = lfnArtist;
        const TaudioTagSortType sort =
            context.Settings ? context.Settings->SortNoTrackNumbers() : tstTrackTitle;
        rows.NumberByPosition = sort == tstTrackFilename;
        if (rows.NumberByPosition)
            std::stable_sort(rows.Tracks.begin(), rows.Tracks.end(),
                             [](const TaudioTagPtr& a, const TaudioTagPtr& b) {
                                 return CompareText(a->Filename().str(), b->Filename().str()) < 0;
                             });
        const bool anyNumber = std::any_of(rows.Tracks.begin(), rows.Tracks.end(),
                                           [](const TaudioTagPtr& t) { return t->TrackNo() != 0; });
        if (!anyNumber) {
            rows.Format = ListFormat(*context.Formats, lfArtistTrackList);
            rows.ShowNumbers = trackNumbers;
            // Without track numbers the rows count by their place in the album.
            rows.NumberByPosition = true;
        } else if (trackNumbers) {
            rows.HintMode = 6;
            rows.ShowNumbers = true;
        }
    } else if (auto* artist = dynamic_cast<TaudioTagArtist*>(list)) {
        rows.Format = ListFormat(*context.Formats, lfArtistTrackList);
        rows.HintMode = artist->Title() == kCompilationsArtist ? 3 : 4;
    } else if (dynamic_cast<TaudioTagGenre*>(list)) {
        rows.Format = ListFormat(*context.Formats, lfGenres);
        rows.HintMode = 3;
    } else if (fixed && fixed->Tag == bcPlaylists && underFixed) {
        rows.HintMode = 3;
        rows.Playlist = true;
        if (trackNumbers) {
            rows.ShowNumbers = true;
            rows.NumberByPosition = true;
        }
    }
    if (fixed && fixed->Tag == bcVideos) {
        rows.Format = kVideoTrackFormat;
        rows.HintMode = 4;
    }
    FormatTrackRows(rows, context);
    return rows;
}

}  // namespace

namespace {

// From this many rows on, the texts are made on several threads, each a run of rows.
constexpr size_t kThreadedRows = 20000;
constexpr size_t kMaxRowThreads = 4;

// The texts of a run of rows, one after another in a block of their own (from the system's
// large pages, given back whole once the rows are ordered), and where each ends.
struct TrowTexts {
    std::vector<char, TlargeBlockAllocator<char>> Bytes;
    std::vector<uint32_t> Ends;
    size_t First = 0;
    std::string_view Text(size_t row) const {
        const size_t k = row - First;
        const uint32_t start = k == 0 ? 0 : Ends[k - 1];
        return {Bytes.data() + start, Ends[k] - start};
    }
};

// The order of the rows by their texts, as a stable sort by CompareText gives it: each
// row carries the first eight bytes after the start all texts share as a number (most
// comparisons end there), then the rest is compared, then the place.
//
// The texts are compared as `sortFormat` makes them: the row format with its font tags
// left as written ("<FTI>", a few bytes, where a resolved tag takes sixty). That gives the
// same order as the texts with their fonts, provided every font tag resolves to a tag and
// no extra field is shown (its written form closes with a ">" of its own): a value never
// holds "<" (values are escaped), so where two texts part, either both are in the same
// value, or one value ends at a tag ("<" in either form) and the other goes on with a
// letter; texts equal up to a tag hold the same tag there (the same segment of the same
// format), in either form.
std::vector<uint32_t> TextOrder(const TtrackRows& rows, const TtrackFormat& sortFormat) {
    const size_t count = rows.Tracks.size();
    const size_t parts = count < kThreadedRows ? 1 : kMaxRowThreads;
    std::vector<TrowTexts> texts(parts);
    auto make = [&](size_t p) {
        TrowTexts& part = texts[p];
        part.First = count * p / parts;
        const size_t last = count * (p + 1) / parts;
        part.Ends.reserve(last - part.First);
        part.Bytes.reserve((last - part.First) * 96);
        std::string line;
        for (size_t i = part.First; i < last; ++i) {
            line.clear();
            FormatRow(sortFormat, *rows.Tracks[i], rows.ShowNumbers && rows.NumberByPosition, uint32_t(i),
                      rows.NumberWidth, rows.UnknownArtist, line);
            part.Bytes.insert(part.Bytes.end(), line.begin(), line.end());
            part.Ends.push_back(uint32_t(std::min<size_t>(part.Bytes.size(), UINT32_MAX)));
        }
    };
    std::vector<std::future<void>> helpers;
    for (size_t p = 1; p < parts; ++p) helpers.push_back(std::async(std::launch::async, make, p));
    make(0);
    for (auto& helper : helpers) helper.get();
    // Every row's part is found from its number (the parts split the rows evenly), with a
    // step back or on where the split's rounding puts the row in the next part.
    const auto textOf = [&](uint32_t row) {
        size_t p = std::min(parts - 1, size_t(row) * parts / std::max<size_t>(count, 1));
        while (p > 0 && texts[p].First > row) --p;
        while (p + 1 < parts && texts[p + 1].First <= row) ++p;
        return texts[p].Text(row);
    };
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = uint32_t(i);
    if (count < 2) return order;
    // Already in order (a genre's tracks by title, an album's by number): left as it is.
    bool ordered = true;
    for (size_t i = 1; i < count && ordered; ++i)
        ordered = CompareText(textOf(uint32_t(i - 1)), textOf(uint32_t(i))) <= 0;
    if (ordered) return order;
    // The start all texts share (their font tags) is left out of the keys.
    const std::string_view first = textOf(0);
    size_t shared = first.size();
    for (size_t i = 1; i < count && shared > 0; ++i) {
        const std::string_view t = textOf(uint32_t(i));
        size_t k = 0;
        while (k < shared && k < t.size() && t[k] == first[k]) ++k;
        shared = k;
    }
    struct Tkey {
        uint64_t Prefix;
        uint32_t Row;
    };
    std::vector<Tkey> keys(count);
    const auto less = [&](const Tkey& a, const Tkey& b) {
        if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix;
        const int c = CompareText(textOf(a.Row).substr(shared), textOf(b.Row).substr(shared));
        return c != 0 ? c < 0 : a.Row < b.Row;
    };
    // Each part's rows are keyed and sorted on its thread, then the parts are merged.
    const auto sortPart = [&](size_t p) {
        const size_t from = texts[p].First, to = p + 1 < parts ? texts[p + 1].First : count;
        for (size_t i = from; i < to; ++i) keys[i] = {TextSortPrefix(textOf(uint32_t(i)).substr(shared)), uint32_t(i)};
        std::sort(keys.begin() + long(from), keys.begin() + long(to), less);
    };
    helpers.clear();
    for (size_t p = 1; p < parts; ++p) helpers.push_back(std::async(std::launch::async, sortPart, p));
    sortPart(0);
    for (auto& helper : helpers) helper.get();
    for (size_t width = 1; width < parts; width *= 2)
        for (size_t p = 0; p + width < parts; p += 2 * width) {
            const size_t from = texts[p].First, middle = texts[p + width].First;
            const size_t to = p + 2 * width < parts ? texts[p + 2 * width].First : count;
            std::inplace_merge(keys.begin() + long(from), keys.begin() + long(middle), keys.begin() + long(to), less);
        }
    for (size_t i = 0; i < count; ++i) order[i] = keys[i].Row;
    return order;
}

}  // namespace

void FormatTrackRows(TtrackRows& rows, const TlistContext& context) {
    const std::string full =
        rows.ShowNumbers ? ListFormat(*context.Formats, lfTrackNumbers) + " " + rows.Format : rows.Format;
    rows.Compiled =
        std::make_shared<TtrackFormat>(ConvertLegacyFormat(full), context.Fonts ? &context.Fonts->Items() : nullptr);
    rows.UnknownArtist = context.Settings ? context.Settings->UnknownArtistString() : std::string();
    int highest = rows.NumberByPosition ? int(rows.Tracks.size()) : 0;
    if (!rows.NumberByPosition)
        for (const auto& t : rows.Tracks) highest = std::max(highest, int(t->TrackNo()));
    // Numbers padded to the widest, so rows ordered by their text stay in number order.
    rows.NumberWidth = rows.ShowNumbers ? std::max(2, Digits(highest)) : 0;
    rows.Places.clear();
    // The rows in the order of their text; the library's list itself keeps its order. The
    // texts are ordered in their short form (font tags as written) where every font tag
    // resolves to one, as it does with a store that holds a font (see TextOrder).
    const bool shortForm = context.Fonts && context.Fonts->Items().Count() > 0 && !rows.Compiled->HasExtraFields();
    const std::optional<TtrackFormat> sortFormat =
        shortForm ? std::optional<TtrackFormat>(std::in_place, ConvertLegacyFormat(full), nullptr) : std::nullopt;
    const std::vector<uint32_t> order = TextOrder(rows, sortFormat ? *sortFormat : *rows.Compiled);
    std::vector<TaudioTagPtr> tracks;
    tracks.reserve(order.size());
    for (uint32_t i : order) tracks.push_back(std::move(rows.Tracks[i]));
    rows.Tracks = std::move(tracks);
    // A row numbered by position keeps the number of its place before the order.
    if (rows.ShowNumbers && rows.NumberByPosition) rows.Places = order;
}

TtrackRows ChooseTrackRows(const TmyNode* node, const TlistContext& context) {
    TtrackRows rows;
    if (!node || !node->Data) return rows;
    const TtreeViewDisplayMode mode = context.DisplayMode;
    // Albums without titles: an artist directly under a letter shows no tracks.
    if (InDisplayMode(mode, dmAlbums) && !InDisplayMode(mode, dmTitles) && node->DataAs<TaudioTagArtist>() &&
        !(node->Parent() && node->Parent()->Data))
        return rows;
    if (auto* urls = node->DataAs<TurlList>()) {
        rows.Urls = urls;
        rows.Source = node->Data;
        rows.MultiSelect = false;
        return rows;
    }
    const TmyNode* fixed = FixedAncestor(node);
    return RowsOfList(node->Data, fixed, fixed != node, context);
}

TtrackRows ChooseAlbumRows(const TaudioTagAlbumPtr& album, const TlistContext& context) {
    if (!album) return {};
    return RowsOfList(album, nullptr, false, context);
}

TqueueRows MakeQueueRows(const TaudioTagList& queue, const TlistContext& context, bool keepTrackCount,
                         const TqueueRows* previous) {
    TqueueRows rows;
    rows.Tracks = queue.Items();
    const bool numbered = context.Settings && context.Settings->DisplayTrackNumbers();
    rows.Numbers.resize(rows.Tracks.size());
    int next = 1;
    if (keepTrackCount && previous)
        for (int n : previous->Numbers) next = std::max(next, n + 1);
    for (size_t i = 0; i < rows.Tracks.size(); ++i) {
        int number = int(i + 1);
        if (keepTrackCount && previous) {
            // The entry keeps the number it had; a new entry takes the next one.
            number = 0;
            for (size_t j = 0; j < previous->Tracks.size() && !number; ++j)
                if (previous->Tracks[j] == rows.Tracks[i]) number = previous->Numbers[j];
            if (!number) number = next++;
        }
        rows.Numbers[i] = number;
    }
    const std::string format = ListFormat(*context.Formats, lfQueueList);
    const std::string full = numbered ? ListFormat(*context.Formats, lfTrackNumbers) + " " + format : format;
    const TtrackFormat compiled(ConvertLegacyFormat(full), context.Fonts ? &context.Fonts->Items() : nullptr);
    const std::string unknown = context.Settings ? context.Settings->UnknownArtistString() : std::string();
    int highest = 0;
    for (int n : rows.Numbers) highest = std::max(highest, n);
    const int width = numbered ? std::max(2, Digits(highest)) : 0;
    rows.Texts.reserve(rows.Tracks.size());
    for (size_t i = 0; i < rows.Tracks.size(); ++i) {
        const TaudioTag& tag = *rows.Tracks[i];
        if (numbered && tag.TrackNo() != uint32_t(rows.Numbers[i])) {
            TaudioTag copy;
            tag.AssignTagInfo(copy);
            copy.SetTrackNo(uint32_t(rows.Numbers[i]));
            rows.Texts.push_back(compiled.Format(copy, width, unknown));
        } else {
            rows.Texts.push_back(compiled.Format(tag, width, unknown));
        }
    }
    return rows;
}

std::string StationRowText(const TfontContainer& fonts, const std::string& name) {
    const TfontItem* item = fonts.Items().Items(lfnArtist);
    return (item ? item->HTMLTag() : std::string()) + EscapeMarkup(name);
}

std::string TrackHintText(const TaudioTag& tag, bool showIndex, bool extended) {
    std::vector<std::string> lines;
    if (showIndex) lines.push_back("Index : " + std::to_string(tag.TrackIndex()));
    lines.push_back("File : " + tag.Filename());
    lines.push_back("Artist : " + tag.Artist());
    lines.push_back("Title : " + tag.Title());
    std::string album = "Album : " + tag.Album();
    if (tag.TrackNo() != 0) album += " (Track " + std::to_string(tag.TrackNo()) + ")";
    lines.push_back(album);
    lines.push_back("Genre : " + tag.GenreString());
    lines.push_back("Comment : " + tag.Comment());
    lines.push_back("Year : " + tag.Date());
    lines.push_back("Length : " + DurationText(tag.Duration()));
    lines.push_back("Bit Rate : " + std::to_string(tag.BitRate()) + "kbps");
    lines.push_back("Sample Rate : " + std::to_string(tag.SampleRate()) + "Hz");
    if (extended && tag.ExtraFields().Count() > 0) {
        lines.push_back("-------------------");
        for (int i = 0; i < tag.ExtraFields().Count(); ++i) lines.push_back(tag.ExtraFields().Strings(i));
    }
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\r';
        text += lines[i];
    }
    return text;
}

std::string StationHintText(const std::string& url) {
    return "URL: " + url;
}

std::string QueueHeaderText(const TfontContainer& fonts, int count, uint64_t seconds) {
    const TfontItem* f2 = fonts.Items().Items(lfnArtist);
    const TfontItem* f4 = fonts.Items().Items(lfnTitle);
    return (f2 ? f2->HTMLTag() : std::string()) + "Up Next " + (f4 ? f4->HTMLTag() : std::string()) + "(" +
           std::to_string(count) + " Track" + (count == 1 ? "" : "s") + ", Duration " +
           DurationText(seconds) + ")";
}

std::string StackerTitleText(const TfontContainer& fonts, const std::string& state) {
    if (state.empty()) return "";
    const TfontItem* f5 = fonts.Items().Items(lfnDetails);
    return (f5 ? f5->HTMLTag() : std::string()) + EscapeMarkup(state);
}

std::string TrackListHeaderText(const TfontContainer& fonts, const TObject* shown) {
    std::string name;
    if (auto* album = dynamic_cast<const TaudioTagAlbum*>(shown))
        name = album->Title() + " (" + CoverArtistLine(*album) + ")";
    else if (auto* artist = dynamic_cast<const TaudioTagArtist*>(shown))
        name = artist->Title();
    else if (auto* genre = dynamic_cast<const TaudioTagGenre*>(shown))
        name = genre->Title();
    const TfontItem* f2 = fonts.Items().Items(lfnArtist);
    const TfontItem* f3 = fonts.Items().Items(lfnAlbum);
    return (f2 ? f2->HTMLTag() : std::string()) + "Track List " + (f3 ? f3->HTMLTag() : std::string()) +
           EscapeMarkup(name) + (name.empty() ? "" : " : ");
}

std::string NodeCaption(const TmyNode& node, TcustomJukeboxList* library, const TfontContainer* fonts,
                        bool selected) {
    const TfontCollection* items = fonts ? &fonts->Items() : nullptr;
    auto group = [&](const std::string& name, const std::string& count) {
        return GroupCaption(items, name, count, selected);
    };
    if (node.Tag >= 0) {
        std::string name = CategoryCaption(node.Tag);
        const int children = node.Children().Count();
        switch (node.Tag) {
            case bcCompilations: {
                int albums = 0;
                for (int i = 0; i < children; ++i)
                    if (auto* a = node.Children().Items(i)->DataAs<TaudioTagArtist>())
                        albums += a->Albums().Count();
                return group(name, "(" + Plural(albums, "Album") + ")");
            }
            case bcPlaylists:
                return group(name, "(" + Plural(children, "Playlist") + ")");
            case bcGenres:
                return group(name, "(" + Plural(children, "Genre") + ")");
            case bcYears: {
                const bool decades = library && library->YearList().Mode == ymDecades;
                return group(decades ? "[Decades]" : name,
                             "(" + Plural(children, decades ? "Decade" : "Year") + ")");
            }
            case bcTracksArtists:
                return group(name, "(" + Plural(children, "Artist") + ")");
            case bcVideos: {
                const int videos = library ? library->VideoList().Count() : 0;
                return group(name, "(" + Plural(videos, "Video") + ")");
            }
            case bcInternetRadio: {
                const int stations = library ? library->URLList().Count() : 0;
                return group(name, "(" + Plural(stations, "Station") + ")");
            }
            case bcNoArtist:
                return group("[Not Tagged]", "");
            default:
                return group(name, "(" + std::to_string(children) + ")");
        }
    }
    if (auto* album = node.DataAs<TaudioTagAlbum>()) {
        const std::string name = album->Title().empty() ? "[]" : album->Title();
        std::string suffix;
        if (album->Compilation) {
            std::vector<std::string> artists;
            for (const auto& t : album->Items())
                if (std::find(artists.begin(), artists.end(), t->Artist()) == artists.end())
                    artists.push_back(t->Artist());
            suffix = ", " + Plural(int(artists.size()), "Artist");
        }
        return AlbumCaption(items, name, album->Count(), int64_t(album->TotalDuration()), suffix);
    }
    if (auto* artist = node.DataAs<TaudioTagArtist>()) {
        std::string name = artist->Title().empty() ? "[]" : artist->Title();
        const int albums = artist->Albums().Count();
        if (albums > 0) return ArtistAlbumsCaption(items, name, albums, selected, "");
        return ArtistAlbumsTracksCaption(items, name, 0, artist->Count(), selected, "");
    }
    if (auto* category = node.DataAs<TaudioTagCategory>()) {
        const std::string name = category->Title().empty() ? "[]" : category->Title();
        return group(name, "(" + Plural(category->Count(), "Track") + ")");
    }
    if (auto* list = node.DataAs<TaudioTagList>())
        return TrackListCaption(items, list->Title().empty() ? "[]" : list->Title(), list->Count(),
                                int64_t(list->TotalDuration()), false, selected ? 1 : 0);
    return GroupCaption(items, node.Caption.empty() ? "[]" : node.Caption, "", selected);
}

// --- the cover views ----------------------------------------------------------------------

TcoverAlbums AllCoverAlbums(TcustomJukeboxList& library) {
    TcoverAlbums albums;
    const TaudioTagAlbumList& list = library.AlbumList();
    albums.reserve(size_t(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        if (auto album = list.GetAlbum(i)) albums.push_back(album);
    std::stable_sort(albums.begin(), albums.end(),
                     [](const TaudioTagAlbumPtr& a, const TaudioTagAlbumPtr& b) {
                         const bool ba = !a->Title().empty() && a->Title()[0] == '[';
                         const bool bb = !b->Title().empty() && b->Title()[0] == '[';
                         if (ba != bb) return bb;
                         return CompareText(a->Title(), b->Title()) < 0;
                     });
    return albums;
}

TcoverAlbums ArtistCoverAlbums(const TmyNode* selected, TcustomJukeboxList& library) {
    TcoverAlbums albums;
    if (!selected) return albums;
    const TaudioTagArtist* artist = selected->DataAs<TaudioTagArtist>();
    if (!artist && selected->Tag == bcCompilations) {
        const TaudioTagArtistPtr entry = library.ArtistList().FindArtist(kCompilationsArtist);
        artist = entry.get();
        if (artist) {
            for (int i = 0; i < artist->Albums().Count(); ++i)
                if (auto a = artist->Albums().GetAlbum(i)) albums.push_back(a);
        }
        return albums;
    }
    if (artist)
        for (int i = 0; i < artist->Albums().Count(); ++i)
            if (auto a = artist->Albums().GetAlbum(i)) albums.push_back(a);
    return albums;
}

int ClampFirstCover(int first, int count, int regions) {
    if (count <= 0 || regions <= 0) return 0;
    if (first >= count) return 0;
    if (first < 0) return std::max(0, std::min(count / regions * regions, count - regions));
    return first;
}

int CoverPageForChar(const TcoverAlbums& albums, char ch, int regions) {
    if (regions <= 0) return -1;
    // Names are compared upper-cased, so the typed letter is too: a lower-case key finds
    // the same page as its capital.
    const char want = (ch >= 'a' && ch <= 'z') ? char(ch - 'a' + 'A') : ch;
    for (size_t i = 0; i < albums.size(); ++i) {
        const std::string upper = UpperCase(albums[i]->Title());
        if (!upper.empty() && upper[0] == want) return int(i) / regions * regions;
    }
    return -1;
}

std::string CoverArtistLine(const TaudioTagAlbum& album) {
    if (album.Compilation) return "Various Artists";
    if (!album.AlbumArtist.empty()) return album.AlbumArtist;
    return album.Count() > 0 ? album.GetTag(0)->Artist() : std::string();
}

}  // namespace tunecrest
