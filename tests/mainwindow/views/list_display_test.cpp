#include "mainwindow/views/list_display.h"

#include <gtest/gtest.h>

#include "core/library/jukebox_list.h"
#include "core/display/markup_text.h"
#include "core/display/tag_list_display_settings.h"
#include "core/base/text_utils.h"
#include "core/display/tree_nodes.h"
#include "core/library/url_list.h"
#include "tests/support/tree_find.h"
#include "tests/support/browse_library.h"
#include "tests/support/tags.h"

namespace tunecrest {
namespace {

using test::BrowseLibrary;
using test::MakeLibraryTag;

// The rows as plain text: the markup's font tags dropped.
std::string Plain(const std::string& markup) {
    std::string out;
    bool inTag = false;
    for (char c : markup) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            out += c;
    }
    // Entities back to their characters.
    std::string text;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out.compare(i, 4, "&lt;") == 0)
            text += '<', i += 3;
        else if (out.compare(i, 4, "&gt;") == 0)
            text += '>', i += 3;
        else if (out.compare(i, 5, "&amp;") == 0)
            text += '&', i += 4;
        else
            text += out[i];
    }
    return text;
}

struct Context {
    TformatStringContainer formats;
    TfontContainer fonts;
    TtagListDisplaySettings settings;
    TlistContext ctx;
    Context(bool numbers = true) {
        ResetFormatStrings(formats);
        fonts.Assign(DefaultFontStore(fsLists));
        settings.SetDisplayTrackNumbers(numbers);
        settings.SetUnknownArtistString("Unknown Artist");
        ctx.Formats = &formats;
        ctx.Fonts = &fonts;
        ctx.Settings = &settings;
        ctx.DisplayMode = DisplayModes({dmArtists, dmTitles, dmAlbums, dmPlaylists, dmCompilations, dmInvalid,
                                        dmGenres, dmVideo, dmRadioStations});
    }
};

TmyNode* Find(TmyNodeList& nodes, const std::function<bool(const TmyNode&)>& match) {
    return test::FindNode(nodes, [&](const TmyNode* node) { return match(*node); });
}

TmyNode* FindData(TmyNodeList& nodes, const std::string& title) {
    return Find(nodes, [&](const TmyNode& n) {
        auto* list = n.DataAs<TaudioTagList>();
        return list && list->Title() == title;
    });
}

std::vector<std::string> PlainRows(const TtrackRows& rows) {
    std::vector<std::string> out;
    for (int i = 0; i < rows.Count(); ++i) out.push_back(Plain(rows.Text(i)));
    return out;
}

TEST(ListFormats, EightNamedDefaultsAndTheirFallback) {
    TformatStringContainer formats;
    ResetFormatStrings(formats);
    ASSERT_EQ(formats.Items().Count(), kListFormatCount);
    const char* names[] = {"Alphabetical Track List",
                           "Artist Track list",
                           "Genres",
                           "Track Numbers",
                           "Queue List",
                           "Song Title (full)",
                           "Song Title (no track number)",
                           "Song Title (no album)"};
    const char* defaults[] = {"%2 - %1 <FDU:[>%t<FDU:]>",
                              "%2 <FDU:[>%t<FDU:]>",
                              "%2 - %1 <FDU:[>%t<FDU:]>",
                              "%6 : ",
                              "%2 - %1 <FDU:[>%t<FDU:]>",
                              "%1 - %2 [%3 - <FTN:Track> %6]",
                              "%1 - %2 [%3]",
                              "%1 - %2"};
    for (int i = 0; i < kListFormatCount; ++i) {
        EXPECT_EQ(formats.Items().Items(i)->NiceName, names[i]);
        EXPECT_EQ(formats.Items().Items(i)->formatString, defaults[i]);
    }
    // A store that lost entries still formats with the defaults.
    TformatStringContainer empty;
    EXPECT_EQ(ListFormat(empty, lfQueueList), defaults[lfQueueList]);
    EXPECT_EQ(ListFormat(empty, 99), "");
}

TEST(ListFonts, StoreHasTheNamedFontsColoursAndMasks) {
    TfontContainer fonts;
    fonts.Assign(DefaultFontStore(fsLists));
    EXPECT_EQ(fonts.NiceName, "Lists");
    ASSERT_EQ(fonts.Items().Count(), 11);
    EXPECT_EQ(fonts.Items().Items(0)->NiceName, "Heading");
    EXPECT_EQ(fonts.Items().Items(0)->Mask, "HD");
    EXPECT_EQ(fonts.Items().FindByName("Artist")->Mask, "FAR");
    EXPECT_EQ(fonts.Items().FindByName("Duration/Details")->Mask, "FDU");
    EXPECT_EQ(fonts.Items().FindByName("Extra Fields")->Mask, "FXT");
    ASSERT_EQ(fonts.Colors().Count(), 5);
    EXPECT_EQ(fonts.Colors().Items(2)->NiceName, "Tree Line");
    EXPECT_EQ(fonts.Colors().Items(4)->NiceName, "Highlight Font Background");
    // A font renamed by a skin keeps no stale mask once the masks are set again.
    fonts.Items().FindByName("Album")->Mask = "XX";
    SetFontMasks(fonts);
    EXPECT_EQ(fonts.Items().FindByName("Album")->Mask, "FAL");
    // Short stores answer plain defaults instead of reading past their end.
    TfontContainer none;
    EXPECT_GE(ListFont(none, lfnTitle).Size, 8);
    EXPECT_NE(ListColor(none, lcHighlightFontBackground), ListColor(none, lcBackground));
}

TEST(TrackRows, AlbumsArtistsGenresAndTheNumbering) {
    BrowseLibrary library;
    TcustomJukeboxListViewer2 viewer;
    TmyTreeModel tree;
    viewer.SetJukeboxList(library.lib.get());
    Context c;
    viewer.SetDisplayMode(c.ctx.DisplayMode);
    viewer.Rebuild(tree);

    // An album with track numbers: numbered by them, padded, title before artist.
    TtrackRows gold = ChooseTrackRows(FindData(tree.Nodes(), "Gold"), c.ctx);
    ASSERT_EQ(gold.Count(), 2);
    EXPECT_TRUE(gold.ShowNumbers);
    EXPECT_EQ(gold.HintMode, 6);
    EXPECT_EQ(gold.FontIndex, lfnArtist);
    EXPECT_EQ(PlainRows(gold), (std::vector<std::string>{"01 :  Dancing Queen - Abba [0:00]",
                                                         "02 :  Waterloo - Abba [0:00]"}));
    // An album without track numbers, numbers on: rows start with their position.
    TtrackRows lexicon = ChooseTrackRows(FindData(tree.Nodes(), "Lexicon"), c.ctx);
    ASSERT_EQ(lexicon.Count(), 1);
    EXPECT_EQ(Plain(lexicon.Text(0)), "01 :  Poison Arrow [0:00]");
    EXPECT_EQ(library.lib->GlobalList().Items()[2]->TrackNo(), 0u);  // the library's track keeps its number

    // An artist: format 1; a genre: format 2 and sorted by the row text.
    Context off(false);
    TtrackRows band = ChooseTrackRows(
        Find(tree.Nodes(),
             [](const TmyNode& n) { return n.DataAs<TaudioTagArtist>() && n.Caption == "The Band"; }),
        off.ctx);
    EXPECT_EQ(band.HintMode, 4);
    EXPECT_EQ(PlainRows(band), std::vector<std::string>{"The Weight [0:00]"});
    TtrackRows pop = ChooseTrackRows(FindData(tree.Nodes(), "Pop"), off.ctx);
    EXPECT_EQ(pop.HintMode, 3);
    ASSERT_GE(pop.Count(), 3);
    for (int i = 1; i < pop.Count(); ++i)
        EXPECT_LE(CompareText(pop.Text(i - 1), pop.Text(i)), 0);

    // Titles are escaped: a "<" in a title never becomes markup.
    auto odd = MakeLibraryTag("/m/x.mp3", "A<b>", "1 < 2 & more", "Odd", "", "", 1);
    TaudioTagList odds;
    odds.Add(odd);
    std::vector<std::string> texts;
    FormatTrackRows(odds.Items(), ListFormat(c.formats, lfAlphabeticalTrackList), false, false, c.ctx, texts);
    EXPECT_NE(texts[0].find("1 &lt; 2 &amp; more"), std::string::npos);
    EXPECT_EQ(Plain(texts[0]), "1 < 2 & more - A<b> [0:00]");

    // Albums without titles: an artist right under its letter shows nothing.
    Context albumsOnly;
    albumsOnly.ctx.DisplayMode = DisplayModes({dmArtists, dmAlbums});
    EXPECT_EQ(ChooseTrackRows(Find(tree.Nodes(),
                                   [](const TmyNode& n) {
                                       return n.DataAs<TaudioTagArtist>() && n.Caption == "Beatles";
                                   }),
                              albumsOnly.ctx)
                  .Count(),
              0);
    EXPECT_EQ(ChooseTrackRows(nullptr, c.ctx).Count(), 0);
}

TEST(TrackRows, MissingArtistVideosPlaylistsAndStations) {
    BrowseLibrary library;
    TcustomJukeboxListViewer2 viewer;
    TmyTreeModel tree;
    viewer.SetJukeboxList(library.lib.get());
    Context c;
    viewer.SetDisplayMode(c.ctx.DisplayMode);
    viewer.Rebuild(tree);

    // The untagged file is listed; a track without artist shows the unknown-artist text.
    EXPECT_EQ(ChooseTrackRows(viewer.NodeOfKind(bcNoArtist), c.ctx).Count(), 1);
    TaudioTagList noArtist;
    noArtist.Add(MakeLibraryTag("/m/n.mp3", "", "Nameless", ""));
    std::vector<std::string> texts;
    FormatTrackRows(noArtist.Items(), ListFormat(c.formats, lfQueueList), false, false, c.ctx, texts);
    EXPECT_EQ(Plain(texts[0]), "Nameless - Unknown Artist [0:00]");

    // Videos: the video format and the video icon's media kind.
    TtrackRows videos = ChooseTrackRows(viewer.NodeOfKind(bcVideos), c.ctx);
    ASSERT_EQ(videos.Count(), 1);
    EXPECT_EQ(videos.Format, kVideoTrackFormat);
    EXPECT_EQ(Plain(videos.Text(0)), "Clip [0:00]");

    // A playlist: numbered by position, and its own order is left alone.
    auto& party = *library.lib->Playlists().FindList("Party");
    party.Add(library.lib->GlobalList().GetTag(4));  // "Something" after "Dancing Queen"
    party.Add(library.lib->GlobalList().GetTag(1));
    viewer.Rebuild(tree);
    const std::vector<std::string> before = test::Titles(party);
    TtrackRows rows = ChooseTrackRows(FindData(tree.Nodes(), "Party"), c.ctx);
    EXPECT_TRUE(rows.Playlist);
    EXPECT_TRUE(rows.NumberByPosition);
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(Plain(rows.Text(0)).substr(0, 5), "01 : ");
    EXPECT_EQ(Plain(rows.Text(2)).substr(0, 5), "03 : ");
    EXPECT_EQ(test::Titles(party), before);

    // A station node: single selection, the name in the artist font, escaped.
    TtrackRows stations = ChooseTrackRows(viewer.NodeOfKind(bcInternetRadio), c.ctx);
    ASSERT_NE(stations.Urls, nullptr);
    EXPECT_FALSE(stations.MultiSelect);
    EXPECT_EQ(stations.Count(), 1);
    EXPECT_EQ(StationRowText(c.fonts, "R&B <Live>"),
              c.fonts.Items().Items(lfnArtist)->HTMLTag() + "R&amp;B &lt;Live&gt;");
}

// The rows of a large list (made on several threads, ordered by the short form of their
// texts and eight-byte keys) come in the order of their full texts sorted one by one,
// equal texts in the list's order: titles that are prefixes of one another, that differ in
// case or only past their first eight letters, hold spaces, dashes and markup characters;
// with the track numbers of an album; with custom formats (an extra field, plain text
// between the fields); and with a store that has no fonts.
TEST(TrackRows, ALargeListIsInTheOrderOfItsTextsSortedOneByOne) {
    const std::vector<std::string> words = {"a", "A", "ab", "Ab ", " ", "-", "- ", "<", "&", "zz", "Zebra crossing",
                                            "Zebra crossinG", "\xC3\xA9t\xC3\xA9", "1", "10", "Love", "Love -"};
    uint32_t seed = 5;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    auto text = [&](uint32_t most) {
        std::string t;
        for (uint32_t k = next(most); k > 0; --k) t += words[next(uint32_t(words.size()))];
        return t;
    };
    TaudioTagList list;
    list.BeginUpdate();
    for (int i = 0; i < 24000; ++i) {
        auto tag = MakeLibraryTag("/m/" + std::to_string(i) + ".mp3", text(3), text(4), "Album", "", "",
                                  next(30));
        tag->SetDuration(next(3) * 60);
        if (next(7) == 0) tag->ExtraFields().Add("Mood=" + text(2));
        list.Add(tag);
    }
    list.EndUpdate();
    // The expected order: every full text made, then sorted stably as texts.
    auto expected = [&](const TtrackRows& rows, const TlistContext& ctx) {
        std::vector<std::string> texts;
        FormatTrackRows(list.Items(), rows.Format, rows.ShowNumbers, rows.NumberByPosition, ctx, texts);
        std::vector<size_t> order(texts.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return CompareText(texts[a], texts[b]) < 0; });
        std::vector<TaudioTagPtr> tracks;
        for (size_t i : order) tracks.push_back(list.Items()[i]);
        return tracks;
    };
    Context numbered;
    TfontContainer noFonts;
    struct Tcase {
        const char* Format;
        bool Numbers;
        bool ByPosition;
        bool Fonts;
    };
    const Tcase cases[] = {{"%2 - %1 <FDU:[>%t<FDU:]>", false, false, true},
                           {"%2 <FDU:[>%t<FDU:]>", true, false, true},
                           {"%2 <FDU:[>%t<FDU:]>", true, true, true},
                           {"<FTI><TI><FCH> - <FAR><AR> <FXT><X:Mood>", false, false, true},
                           {"<TI> - <AR>", false, false, true},
                           {"%2 - %1", false, false, false}};
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.Format);
        TlistContext ctx = numbered.ctx;
        if (!c.Fonts) ctx.Fonts = &noFonts;
        TtrackRows rows;
        rows.Tracks = list.Items();
        rows.Format = c.Format;
        rows.ShowNumbers = c.Numbers;
        rows.NumberByPosition = c.ByPosition;
        FormatTrackRows(rows, ctx);
        const std::vector<TaudioTagPtr> want = expected(rows, ctx);
        ASSERT_EQ(rows.Tracks.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(rows.Tracks[i], want[i]) << "row " << i << ": " << Plain(rows.Text(int(i)));
    }
}

TEST(QueueRows, NumbersFollowPositionsOrKeepTheirCount) {
    Context c;
    TaudioTagList queue;
    for (const char* title : {"One", "Two", "Three"}) queue.Add(test::MakeTag("Band", title, 61));
    TqueueRows rows = MakeQueueRows(queue, c.ctx, false, nullptr);
    ASSERT_EQ(rows.Texts.size(), 3u);
    EXPECT_EQ(Plain(rows.Texts[0]), "01 :  One - Band [1:01]");
    EXPECT_EQ(rows.Numbers, (std::vector<int>{1, 2, 3}));
    // A move renumbers by position...
    queue.Move(2, 0);
    EXPECT_EQ(MakeQueueRows(queue, c.ctx, false, &rows).Numbers, (std::vector<int>{1, 2, 3}));
    // ...unless the count is kept: each entry keeps its number, a new one takes the next.
    TqueueRows kept = MakeQueueRows(queue, c.ctx, true, &rows);
    EXPECT_EQ(kept.Numbers, (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(Plain(kept.Texts[0]), "03 :  Three - Band [1:01]");
    queue.Add(test::MakeTag("Band", "Four"));
    EXPECT_EQ(MakeQueueRows(queue, c.ctx, true, &kept).Numbers, (std::vector<int>{3, 1, 2, 4}));
    // Numbers off: the queue format alone.
    Context off(false);
    EXPECT_EQ(Plain(MakeQueueRows(queue, off.ctx, false, nullptr).Texts[1]), "One - Band [1:01]");

    // The heading counts "Track" without "s" for one.
    EXPECT_EQ(Plain(QueueHeaderText(c.fonts, 1, 61)), "Up Next (1 Track, Duration 1:01)");
    EXPECT_EQ(Plain(QueueHeaderText(c.fonts, 2, 3725)), "Up Next (2 Tracks, Duration 1:02:05)");
    EXPECT_EQ(Plain(TrackListHeaderText(c.fonts, nullptr)), "Track List ");
}

TEST(Hints, TrackDetailsLinesAndExtendedFields) {
    auto tag = MakeLibraryTag("/m/a.mp3", "Abba", "Waterloo", "Gold", "Pop", "1974", 2);
    tag->SetDuration(166);
    tag->SetBitRate(192);
    tag->SetSampleRate(44100);
    tag->SetTrackIndex(7);
    EXPECT_EQ(TrackHintText(*tag, false, false),
              "File : /m/a.mp3\rArtist : Abba\rTitle : Waterloo\rAlbum : Gold (Track 2)\rGenre : Pop\r"
              "Comment : \rYear : 1974\rLength : 2:46\rBit Rate : 192kbps\rSample Rate : 44100Hz");
    tag->SetTrackNo(0);
    tag->ExtraFields().Add("Mood=Happy");
    const std::string extended = TrackHintText(*tag, true, true);
    EXPECT_EQ(extended.substr(0, 10), "Index : 7\r");
    EXPECT_NE(extended.find("Album : Gold\r"), std::string::npos);
    EXPECT_NE(extended.find("\r-------------------\rMood=Happy"), std::string::npos);
    EXPECT_EQ(TrackHintText(*tag, false, false).find("Mood"), std::string::npos);
    EXPECT_EQ(StationHintText("http://127.0.0.1/s"), "URL: http://127.0.0.1/s");
}

TEST(NodeCaptions, FixedNodesCountWithTheirWords) {
    BrowseLibrary library;
    TcustomJukeboxListViewer2 viewer;
    TmyTreeModel tree;
    viewer.SetJukeboxList(library.lib.get());
    Context c;
    viewer.SetDisplayMode(c.ctx.DisplayMode | DisplayModeBit(dmYears));
    viewer.Rebuild(tree);
    TcustomJukeboxList* lib = library.lib.get();
    // One compilation album: the count without "s".
    EXPECT_EQ(Plain(NodeCaption(*viewer.NodeOfKind(bcCompilations), lib, &c.fonts, false)),
              "[Compilations] (1 Album)");
    EXPECT_EQ(Plain(NodeCaption(*viewer.NodeOfKind(bcPlaylists), lib, &c.fonts, false)),
              "[Playlists] (2 Playlists)");
    EXPECT_EQ(Plain(NodeCaption(*viewer.NodeOfKind(bcVideos), lib, &c.fonts, false)), "[Videos] (1 Video)");
    EXPECT_EQ(Plain(NodeCaption(*viewer.NodeOfKind(bcInternetRadio), lib, &c.fonts, false)),
              "[Internet Radio] (1 Station)");
    const std::string years = Plain(NodeCaption(*viewer.NodeOfKind(bcYears), lib, &c.fonts, false));
    EXPECT_EQ(years.substr(0, 9), "[Years] (") << years;
    lib->YearList().Mode = ymDecades;
    EXPECT_NE(Plain(NodeCaption(*viewer.NodeOfKind(bcYears), lib, &c.fonts, false)).find("[Decades] ("),
              std::string::npos);
    EXPECT_EQ(Plain(NodeCaption(*viewer.NodeOfKind(bcNoArtist), lib, &c.fonts, false)), "[Not Tagged] ");
    // Artists and albums count what they hold; an artist's name is escaped.
    TmyNode* abba = Find(tree.Nodes(),
                         [](const TmyNode& n) { return n.Caption == "Abba" && n.DataAs<TaudioTagArtist>(); });
    ASSERT_NE(abba, nullptr);
    EXPECT_EQ(Plain(NodeCaption(*abba, lib, &c.fonts, false)), "Abba (1 Album)");
    EXPECT_EQ(Plain(NodeCaption(*FindData(tree.Nodes(), "Gold"), lib, &c.fonts, false)),
              "Gold (2 Tracks [0:00])");
    TmyNode* hed = Find(tree.Nodes(), [](const TmyNode& n) { return n.Caption == "(Hed) P.E."; });
    ASSERT_NE(hed, nullptr);
    EXPECT_EQ(Plain(NodeCaption(*hed, lib, &c.fonts, false)).substr(0, 11), "(Hed) P.E. ");
}

TEST(CoverList, OrderPagingAndClamping) {
    BrowseLibrary library;
    TcoverAlbums all = AllCoverAlbums(*library.lib);
    ASSERT_GE(all.size(), 6u);
    for (size_t i = 1; i < all.size(); ++i) {
        const bool prev = all[i - 1]->Title()[0] == '[', cur = all[i]->Title()[0] == '[';
        EXPECT_FALSE(prev && !cur) << "names beginning with [ come last";
        if (prev == cur) {
            EXPECT_LE(CompareText(all[i - 1]->Title(), all[i]->Title()), 0);
        }
    }
    // Uneven pages: 10 albums in cells of 4.
    EXPECT_EQ(ClampFirstCover(0, 10, 4), 0);
    EXPECT_EQ(ClampFirstCover(8, 10, 4), 8);
    EXPECT_EQ(ClampFirstCover(12, 10, 4), 0);  // past the end wraps to the first page
    EXPECT_EQ(ClampFirstCover(-4, 10, 4), 6);  // before the start: the last full page
    EXPECT_EQ(ClampFirstCover(-4, 12, 4), 8);
    // Fewer albums than cells: paging back never makes a negative index.
    EXPECT_EQ(ClampFirstCover(-9, 3, 9), 0);
    EXPECT_EQ(ClampFirstCover(-1, 0, 9), 0);
    EXPECT_EQ(ClampFirstCover(5, 3, 0), 0);
    // A typed letter finds the page of the first album that begins with it, either case.
    const int page = CoverPageForChar(all, 'S', 2);
    ASSERT_GE(page, 0);
    EXPECT_EQ(page % 2, 0);
    EXPECT_EQ(CoverPageForChar(all, 's', 2), page);
    EXPECT_EQ(CoverPageForChar(all, '#', 2), -1);

    // Artists with covers: the artist's albums, the compilation entry for its node.
    TcustomJukeboxListViewer2 viewer;
    TmyTreeModel tree;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(DisplayModes({dmArtists, dmCompilations}));
    viewer.Rebuild(tree);
    TmyNode* abba = Find(tree.Nodes(), [](const TmyNode& n) { return n.Caption == "Abba"; });
    ASSERT_NE(abba, nullptr);
    ASSERT_EQ(ArtistCoverAlbums(abba, *library.lib).size(), 1u);
    EXPECT_EQ(ArtistCoverAlbums(abba, *library.lib)[0]->Title(), "Gold");
    const TcoverAlbums compilations = ArtistCoverAlbums(viewer.NodeOfKind(bcCompilations), *library.lib);
    ASSERT_EQ(compilations.size(), 1u);
    EXPECT_EQ(compilations[0]->Title(), "Hits");
    EXPECT_EQ(CoverArtistLine(*compilations[0]), "Various Artists");
    EXPECT_TRUE(ArtistCoverAlbums(viewer.NodeOfKind(bcPlaylists), *library.lib).empty());
}

}  // namespace
}  // namespace tunecrest
