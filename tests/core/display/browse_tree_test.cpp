// The browse-tree builder over a fixture library: every display mode alone and in the
// main window's default set, the categories' captions and order, letter, digit and
// "[Other]" placement, compilations, playlists, CD lists, genres, years and decades,
// videos, radio, empty letters, progress, and a library freed under the viewer; the
// same tree built a step at a time beside a shown one, with the library changed or
// freed between the steps.
#include "core/display/browse_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/base/services.h"
#include "core/library/jukebox_list.h"
#include "core/display/tree_nodes.h"
#include "support/tree_text.h"
#include "tests/support/browse_library.h"

namespace tunecrest {
namespace {

using test::BrowseLibrary;
using Lines = std::vector<std::string>;

constexpr TtreeViewDisplayMode kMainWindowDefault = 0xCFF;

Lines Children(const TmyNodeList& list) {
    Lines out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i)->Caption);
    return out;
}

TmyNode* Find(const TmyNodeList& list, const std::string& caption) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i)->Caption == caption) return list.Items(i);
    return nullptr;
}

// A genre's or year's node gets its artists when it is opened, as a touch opens it.
TmyNode* Opened(TmyNode* node) {
    if (node) node->SetExpanded(true);
    return node;
}

Lines LettersDigitsOther() {
    Lines out;
    for (int c = 0; c <= bcOther; ++c) out.push_back(CategoryCaption(c));
    return out;
}

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Viewer {
    BrowseLibrary library;
    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    Viewer() { viewer.SetJukeboxList(library.lib.get()); }
    const TmyNodeList& Build(TtreeViewDisplayMode mode) {
        viewer.SetDisplayMode(mode);
        viewer.Rebuild(tree);
        return tree.Nodes();
    }
};

TEST(BrowseTree, CategoryCaptionsAndTheEmptyLettersOfAnEmptyLibrary) {
    EXPECT_EQ(CategoryCaption(0), "[A]");
    EXPECT_EQ(CategoryCaption(25), "[Z]");
    EXPECT_EQ(CategoryCaption(26), "[0]");
    EXPECT_EQ(CategoryCaption(35), "[9]");
    EXPECT_EQ(CategoryCaption(bcNoArtist), "[No Artist]");
    EXPECT_EQ(CategoryCaption(bcInternetRadio), "[Internet Radio]");
    for (int c = 45; c < kCategorySlots; ++c) EXPECT_EQ(CategoryCaption(c), "");

    test::TempDir dir;
    TlocalJukeboxList empty;
    empty.SetDataFolder(dir.Path().string());
    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    EXPECT_TRUE(viewer.ShowEmptyAlphas);
    EXPECT_TRUE(viewer.ShowCDLists);
    viewer.SetJukeboxList(&empty);
    viewer.SetDisplayMode(DisplayModes({dmArtists}));
    viewer.Rebuild(tree);
    EXPECT_EQ(Children(tree.Nodes()), LettersDigitsOther());
    viewer.ShowEmptyAlphas = false;
    viewer.Rebuild(tree);
    EXPECT_EQ(tree.Nodes().Count(), 0);
    // With no letter-holding kind no letter is made, even with empty letters shown.
    viewer.ShowEmptyAlphas = true;
    viewer.SetDisplayMode(DisplayModes({dmPlaylists, dmGenres}));
    viewer.Rebuild(tree);
    EXPECT_EQ(Children(tree.Nodes()), (Lines{"[Playlists]", "[Genres]"}));
    viewer.SetDisplayMode(0);
    viewer.Rebuild(tree);
    EXPECT_EQ(tree.Nodes().Count(), 0);
}

TEST(BrowseTree, MainWindowDefaultSetPlacesEveryArtistByItsFirstCharacter) {
    Viewer v;
    const auto& top = v.Build(kMainWindowDefault);
    EXPECT_EQ(Children(top), Concat(LettersDigitsOther(), {"[No Artist]", "[Compilations]", "[Playlists]",
                                                           "[Genres]", "[Videos]"}));
    // Upper- and lower-case first letters share a letter; "The ..." files under T;
    // the title index adds its letter groups after the artists.
    EXPECT_EQ(Children(Find(top, "[A]")->Children()), (Lines{"Abba", "abc"}));
    EXPECT_EQ(Children(Find(top, "[T]")->Children()), (Lines{"The Band", "T"}));
    EXPECT_EQ(Children(Find(top, "[1]")->Children()), (Lines{"10cc"}));
    EXPECT_EQ(Children(Find(top, "[Z]")->Children()), (Lines{"Zed", "Z"}));
    // A bracket, an accented letter and the title index's "~" group go to "[Other]".
    EXPECT_EQ(Children(Find(top, "[Other]")->Children()), (Lines{"(Hed) P.E.", "\xC3\x89lan", "~"}));
    // Albums below their artists; the compilation's album only under "[Compilations]".
    TmyNode* abba = Find(Find(top, "[A]")->Children(), "Abba");
    // Its albums are made when the artist is opened.
    EXPECT_TRUE(abba->ChildrenDeferred());
    EXPECT_EQ(Children(Opened(abba)->Children()), (Lines{"Gold"}));
    EXPECT_NE(abba->DataAs<TaudioTagArtist>(), nullptr);
    EXPECT_NE(abba->Children().Items(0)->DataAs<TaudioTagAlbum>(), nullptr);
    EXPECT_EQ(Children(Find(Find(top, "[Z]")->Children(), "Zed")->Children()), Lines{});
    TmyNode* compilations = Find(top, "[Compilations]");
    ASSERT_EQ(compilations->Children().Count(), 1);
    EXPECT_EQ(compilations->Children().Items(0)->Caption, "[Compilations]");
    EXPECT_EQ(Children(Opened(compilations->Children().Items(0))->Children()), (Lines{"Hits"}));
    // The untagged file is no artist: "[No Artist]" holds its group.
    TmyNode* noArtist = Find(top, "[No Artist]");
    EXPECT_EQ(noArtist->Children().Count(), 0);
    ASSERT_NE(noArtist->DataAs<TaudioTagArtist>(), nullptr);
    EXPECT_EQ(noArtist->DataAs<TaudioTagArtist>()->Title(), "[Not Tagged]");
    EXPECT_EQ(v.viewer.CategoryName(noArtist), "[Not Tagged]");
    // Every node starts collapsed: the rows are the top level.
    EXPECT_EQ(v.tree.VisibleCount(), top.Count());
}

TEST(BrowseTree, EachKindAloneMakesOnlyItsNodes) {
    Viewer v;
    // Artists alone: no albums below them, no compilation or untagged group.
    auto& top = v.Build(DisplayModes({dmArtists}));
    EXPECT_EQ(Children(top), LettersDigitsOther());
    EXPECT_EQ(Find(Find(top, "[A]")->Children(), "Abba")->Children().Count(), 0);
    EXPECT_EQ(Children(Find(top, "[T]")->Children()), (Lines{"The Band"}));
    // Titles alone: only the title index's letter groups.
    v.Build(DisplayModes({dmTitles}));
    EXPECT_EQ(Children(Find(top, "[W]")->Children()), (Lines{"W"}));
    EXPECT_EQ(Find(top, "[A]")->Children().Count(), 0);
    EXPECT_EQ(Children(Find(top, "[Other]")->Children()), (Lines{"~"}));
    // Titles are left out when empty letters are hidden.
    v.viewer.ShowEmptyAlphas = false;
    v.Build(DisplayModes({dmTitles}));
    EXPECT_EQ(top.Count(), 0);
    v.viewer.ShowEmptyAlphas = true;
    // Compilations alone: letters (empty) and the compilation node.
    v.Build(DisplayModes({dmCompilations}));
    EXPECT_EQ(Children(top), Concat(LettersDigitsOther(), {"[Compilations]"}));
    EXPECT_EQ(Find(top, "[A]")->Children().Count(), 0);
    EXPECT_EQ(Find(top, "[Compilations]")->Children().Count(), 1);
    // Untagged alone.
    v.Build(DisplayModes({dmInvalid}));
    EXPECT_EQ(Children(top), Concat(LettersDigitsOther(), {"[No Artist]"}));
    // Playlists alone, CD lists shown.
    v.Build(DisplayModes({dmPlaylists}));
    EXPECT_EQ(Children(top), (Lines{"[Playlists]"}));
    EXPECT_EQ(Children(top.Items(0)->Children()), (Lines{"Disc in the drive", "Party"}));
    EXPECT_NE(top.Items(0)->Children().Items(1)->DataAs<TaudioTagList>(), nullptr);
    // Radio alone: the node stands for the URL list.
    v.Build(DisplayModes({dmRadioStations}));
    EXPECT_EQ(Children(top), (Lines{"[Internet Radio]"}));
    EXPECT_EQ(top.Items(0)->DataAs<TurlList>(), &v.library.lib->URLList());
    // Videos alone: the node stands for the video list and holds its genres.
    v.Build(DisplayModes({dmVideo}));
    EXPECT_EQ(Children(top), (Lines{"[Videos]"}));
    EXPECT_EQ(top.Items(0)->DataAs<TaudioTagList>(), &v.library.lib->VideoList());
    EXPECT_EQ(Children(top.Items(0)->Children()), (Lines{"Pop"}));
}

TEST(BrowseTree, AlbumModeWithHiddenEmptyLettersMakesLettersInOrderForArtistsWithAlbums) {
    Viewer v;
    v.viewer.ShowEmptyAlphas = false;
    auto& top = v.Build(DisplayModes({dmAlbums, dmPlaylists, dmCompilations, dmGenres, dmGenreAlbums}));
    // Letters found late still sit before the fixed nodes, in category order; Zed and
    // Yello have no album of their own (theirs is the compilation), so no [Y] or [Z].
    EXPECT_EQ(Children(top), (Lines{"[A]", "[B]", "[C]", "[T]", "[1]", "[Other]", "[Compilations]",
                                    "[Playlists]", "[Genres]"}));
    EXPECT_EQ(Children(Find(top, "[B]")->Children()), (Lines{"Beatles"}));
    EXPECT_EQ(Children(Opened(Find(Find(top, "[C]")->Children(), "Cure"))->Children()), (Lines{"Disintegration"}));
    // Without albums nothing holds an artist.
    v.Build(DisplayModes({dmPlaylists}));
    EXPECT_EQ(Children(top), (Lines{"[Playlists]"}));
    // Artists without albums do get their letter with dmArtists.
    v.Build(DisplayModes({dmArtists}));
    EXPECT_NE(Find(top, "[Y]"), nullptr);
    EXPECT_NE(Find(top, "[Z]"), nullptr);
    EXPECT_EQ(Find(top, "[D]"), nullptr);
}

TEST(BrowseTree, CdListsAreShownOrHidden) {
    Viewer v;
    auto& top = v.Build(DisplayModes({dmArtists, dmAlbums, dmPlaylists}));
    TmyNode* cure = Find(Find(top, "[C]")->Children(), "Cure");
    EXPECT_EQ(Children(Opened(cure)->Children()), (Lines{"Disintegration"}));
    v.viewer.ShowCDLists = false;
    v.Build(DisplayModes({dmArtists, dmAlbums, dmPlaylists}));
    cure = Find(Find(top, "[C]")->Children(), "Cure");
    EXPECT_EQ(cure->Children().Count(), 0);
    EXPECT_EQ(Children(Find(top, "[Playlists]")->Children()), (Lines{"Party"}));
    // In album mode an artist with nothing but a CD is left out.
    v.Build(DisplayModes({dmAlbums}));
    EXPECT_EQ(Find(top, "[C]")->Children().Count(), 0);
}

TEST(BrowseTree, LettersGoBelowTracksArtistsOrAwayEntirely) {
    Viewer v;
    auto& top = v.Build(kMainWindowDefault | DisplayModeBit(dmArtistsInSubNode) | DisplayModeBit(dmYears) |
                        DisplayModeBit(dmRadioStations));
    EXPECT_EQ(Children(top), (Lines{"[Playlists]", "[Genres]", "[Years]", "[Tracks/Artists]", "[Videos]",
                                    "[Internet Radio]"}));
    TmyNode* tracks = Find(top, "[Tracks/Artists]");
    EXPECT_EQ(Children(tracks->Children()), Concat(LettersDigitsOther(), {"[No Artist]", "[Compilations]"}));
    EXPECT_EQ(v.viewer.NodeOfKind(bcFirstLetter), tracks->Children().Items(0));
    EXPECT_EQ(v.viewer.NodeOfKind(bcTracksArtists), tracks);
    EXPECT_EQ(tracks->Children().Items(0)->Level(), 1);

    // No letters: every artist straight under "[Tracks/Artists]", in list order.
    v.Build(DisplayModes({dmArtists, dmNoLetters}));
    EXPECT_EQ(Children(top), (Lines{"[Tracks/Artists]"}));
    EXPECT_EQ(Children(top.Items(0)->Children()), (Lines{"(Hed) P.E.", "10cc", "Abba", "abc", "Beatles",
                                                         "Cure", "The Band", "Yello", "Zed", "\xC3\x89lan"}));
    EXPECT_EQ(v.viewer.NodeOfKind(bcFirstLetter), nullptr);
    // dmArtistsInSubNode alone, without a kind that holds artists, makes nothing.
    v.Build(DisplayModes({dmArtistsInSubNode, dmPlaylists}));
    EXPECT_EQ(Children(top), (Lines{"[Playlists]"}));
}

TEST(BrowseTree, GenresWithArtistsAndAlbumsUndefinedLast) {
    Viewer v;
    auto& genres = v.library.lib->GenreList();
    auto& top = v.Build(DisplayModes({dmGenres}));
    // Grouped without artists, each genre is a leaf; "[Undefined]" after all others,
    // even one that sorts behind it.
    genres.UseArtists = false;
    v.Build(DisplayModes({dmGenres}));
    TmyNode* node = Find(top, "[Genres]");
    EXPECT_EQ(Children(node->Children()), (Lines{"Metal", "Pop", "Rock", "\xC3\x89lectro", "[Undefined]"}));
    EXPECT_EQ(node->Children().Items(1)->Children().Count(), 0);
    EXPECT_NE(node->Children().Items(1)->DataAs<TaudioTagCategory>(), nullptr);

    genres.UseArtists = true;
    genres.UseAlbums = false;
    v.Build(DisplayModes({dmGenres, dmGenreArtists}));
    node = Find(Find(top, "[Genres]")->Children(), "Pop");
    // Its artists are made when the genre is opened.
    EXPECT_TRUE(node->ChildrenDeferred());
    EXPECT_TRUE(node->HasChildren());
    EXPECT_EQ(node->Children().Count(), 0);
    Opened(node);
    EXPECT_FALSE(node->ChildrenDeferred());
    EXPECT_TRUE(node->Expanded());
    // The compilation artist is left out without dmGenreAlbums.
    EXPECT_EQ(Children(node->Children()), (Lines{"Abba", "abc", "Yello", "Zed"}));
    EXPECT_EQ(node->Children().Items(0)->Children().Count(), 0);

    genres.UseAlbums = true;
    v.Build(DisplayModes({dmGenres, dmGenreArtists, dmGenreAlbums}));
    node = Opened(Find(Find(top, "[Genres]")->Children(), "Pop"));
    EXPECT_EQ(Children(node->Children()), (Lines{"Abba", "abc", "Yello", "Zed", "[Compilations]"}));
    EXPECT_EQ(Children(Opened(node->Children().Items(4))->Children()), (Lines{"Hits"}));
    EXPECT_EQ(Children(Opened(node->Children().Items(0))->Children()), (Lines{"Gold"}));
    // CD albums within a genre follow ShowCDLists.
    v.viewer.ShowCDLists = false;
    v.Build(DisplayModes({dmGenres, dmGenreArtists, dmGenreAlbums}));
    node = Find(Opened(Find(Find(top, "[Genres]")->Children(), "Rock"))->Children(), "Cure");
    EXPECT_EQ(node->Children().Count(), 0);
}

TEST(BrowseTree, YearsAndDecadesWithTheUndatedLast) {
    Viewer v;
    auto& years = v.library.lib->YearList();
    years.UseArtists = false;
    auto& top = v.Build(DisplayModes({dmYears}));
    TmyNode* node = Find(top, "[Years]");
    EXPECT_EQ(Children(node->Children()),
              (Lines{"1968", "1969", "1974", "1982", "1985", "1987", "1989", "1992", "2000", "[No Year]"}));
    EXPECT_EQ(v.viewer.CategoryName(node), "[Years]");

    years.Mode = ymDecades;
    years.UseArtists = true;
    v.library.lib->ReprocessYears();
    v.Build(DisplayModes({dmYears, dmYearArtists}));
    node = Find(top, "[Years]");
    EXPECT_EQ(v.viewer.CategoryName(node), "[Decades]");
    EXPECT_EQ(Children(node->Children()),
              (Lines{"1960's", "1970's", "1980's", "1990's", "2000's", "[No Decade]"}));
    // The 1980's hold a compilation, shown only with dmYearAlbums.
    EXPECT_EQ(Children(Opened(Find(node->Children(), "1980's"))->Children()), (Lines{"abc", "Cure", "Yello", "Zed"}));
    v.Build(DisplayModes({dmYears, dmYearArtists, dmYearAlbums}));
    node = Find(top, "[Years]");
    EXPECT_EQ(Children(Opened(Find(node->Children(), "1980's"))->Children()),
              (Lines{"abc", "Cure", "Yello", "Zed", "[Compilations]"}));
}

TEST(BrowseTree, ProgressKeysToggleAndAFreedLibrary) {
    Viewer v;
    std::vector<std::string> texts;
    int lastArtist = 0, artistCount = 0;
    v.viewer.OnProcess = [&](TObject* sender, int index, int count, const std::string& comment) {
        EXPECT_EQ(sender, &v.viewer);
        if (texts.empty() || texts.back() != comment) texts.push_back(comment);
        if (comment == "Adding Artists" && count == v.library.lib->ArtistList().Count()) {
            lastArtist = index;
            artistCount = count;
        }
    };
    v.Build(DisplayModes({dmArtists, dmPlaylists, dmGenres, dmYears, dmVideo}));
    EXPECT_EQ(texts, (Lines{"Adding Artists", "Adding Playlists", "Adding Genres", "Adding Years",
                            "Adding Genres"}));
    EXPECT_EQ(lastArtist, artistCount);

    EXPECT_EQ(v.viewer.NodeForKey('a'), v.viewer.NodeOfKind(0));
    EXPECT_EQ(v.viewer.NodeForKey('Z'), v.viewer.NodeOfKind(25));
    EXPECT_EQ(v.viewer.NodeForKey('7'), v.viewer.NodeOfKind(33));
    EXPECT_EQ(v.viewer.NodeForKey(13), v.viewer.NodeOfKind(bcOther));
    EXPECT_NE(v.viewer.NodeForKey(13), nullptr);
    EXPECT_EQ(v.viewer.NodeForKey('-'), nullptr);
    EXPECT_EQ(v.viewer.NodeOfKind(bcCompilations), nullptr);
    EXPECT_EQ(v.viewer.NodeOfKind(50), nullptr);

    v.viewer.ToggleDisplayMode(dmCompilations);
    EXPECT_TRUE(v.viewer.HasDisplayMode(dmCompilations));
    v.viewer.ToggleDisplayMode(dmArtists);
    EXPECT_FALSE(v.viewer.HasDisplayMode(dmArtists));
    v.viewer.SetDisplayMode(0xFFFFFFFF);
    EXPECT_EQ(v.viewer.DisplayMode(), kAllDisplayModes);

    // The library goes: the viewer forgets it and the nodes that pointed into it.
    v.Build(kMainWindowDefault);
    v.library.lib.reset();
    EXPECT_EQ(v.viewer.JukeboxList(), nullptr);
    EXPECT_EQ(v.tree.VisibleCount(), 0);
    EXPECT_EQ(v.viewer.NodeForKey('A'), nullptr);
    v.Build(kMainWindowDefault);  // only the category nodes
    EXPECT_EQ(v.tree.Nodes().Count(), 37 + 5);
}

TEST(BrowseTree, ATreeFreedBeforeItsLibraryIsNotTouchedWhenTheLibraryGoes) {
    BrowseLibrary library;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(kMainWindowDefault);
    {
        auto tree = std::make_unique<TmyTreeModel>();
        viewer.Rebuild(*tree);
        EXPECT_GT(tree->Nodes().Count(), 0);
    }
    // The viewer's last tree is gone; freeing the library clears nothing that is freed.
    library.lib.reset();
    EXPECT_EQ(viewer.JukeboxList(), nullptr);
    EXPECT_EQ(viewer.NodeOfKind(0), nullptr);
    // A new tree is linked afresh, and a viewer freed first unhooks itself from it.
    TmyTreeModel tree;
    viewer.Rebuild(tree);
    auto early = std::make_unique<TcustomJukeboxListViewer2>();
    early->Rebuild(tree);
    early.reset();
    EXPECT_EQ(tree.Nodes().OnFree.Count(), 1);
}

// ---- Building a step at a time ----

using Clock = std::chrono::steady_clock;

using test::Describe;

// Steps of the least work there is (the deadline has passed before each starts), until
// the build is complete; `between` runs before every step. Returns the number of steps.
int StepToTheEnd(TcustomJukeboxListViewer2& viewer, const std::function<void()>& between = {}) {
    int steps = 0;
    for (bool done = false; !done && steps < 100000; ++steps) {
        if (between) between();
        done = viewer.ContinueRebuild(Clock::now());
    }
    return steps;
}

constexpr TtreeViewDisplayMode kEveryKindWithYears =
    DisplayModes({dmArtists, dmTitles, dmAlbums, dmPlaylists, dmCompilations, dmInvalid, dmGenres, dmVideo,
                  dmGenreArtists, dmGenreAlbums, dmRadioStations, dmYears, dmYearArtists, dmYearAlbums});

TEST(BrowseTreeSteps, EqualTheTreeBuiltInOneGoInEveryModeWhileTheShownTreeStaysAsItWas) {
    Viewer v;
    const TtreeViewDisplayMode modes[] = {
        kMainWindowDefault,
        kMainWindowDefault & ~DisplayModeBit(dmAlbums),  // beside the artist's covers
        kEveryKindWithYears,
        kEveryKindWithYears | DisplayModeBit(dmArtistsInSubNode),
        kEveryKindWithYears | DisplayModeBit(dmNoLetters),
        DisplayModes({dmAlbums}),
        DisplayModes({dmTitles}),
        DisplayModes({dmYears}),
        0,
    };
    for (const bool emptyAlphas : {true, false}) {
        for (const TtreeViewDisplayMode mode : modes) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " empty letters " << emptyAlphas);
            v.viewer.ShowEmptyAlphas = emptyAlphas;
            v.viewer.ShowCDLists = !emptyAlphas;
            v.library.lib->GenreList().UseArtists = v.library.lib->YearList().UseArtists = true;
            v.library.lib->GenreList().UseAlbums = v.library.lib->YearList().UseAlbums = emptyAlphas;
            std::vector<std::pair<int, std::string>> oneGoProgress, steppedProgress;
            auto* progress = &oneGoProgress;
            v.viewer.OnProcess = [&](TObject*, int index, int, const std::string& comment) {
                if (progress) progress->emplace_back(index, comment);
            };
            const Lines oneGo = Describe(v.Build(mode));
            // The shown tree is some other one, with a node open.
            progress = nullptr;
            v.Build(kMainWindowDefault);
            v.tree.Nodes().Items(0)->SetExpanded(true);
            const Lines shown = Describe(v.tree.Nodes());
            int changes = 0;
            v.tree.OnChange = [&](TObject*) { ++changes; };

            progress = &steppedProgress;
            v.viewer.SetDisplayMode(mode);
            v.viewer.BeginRebuild(v.tree.Nodes());
            EXPECT_TRUE(v.viewer.Rebuilding());
            const int steps = StepToTheEnd(v.viewer, [&] { ASSERT_EQ(Describe(v.tree.Nodes()), shown); });
            if (mode == kMainWindowDefault) {
                EXPECT_GT(steps, 3);
            }
            EXPECT_EQ(Describe(v.tree.Nodes()), shown);
            EXPECT_EQ(changes, 0);
            v.viewer.FinishRebuild();
            EXPECT_FALSE(v.viewer.Rebuilding());
            EXPECT_EQ(changes, 1);  // one change notice for the swap
            EXPECT_EQ(Describe(v.tree.Nodes()), oneGo);
            EXPECT_EQ(steppedProgress, oneGoProgress);
            // The typed-letter jumps find the new nodes.
            if (mode == kMainWindowDefault) {
                ASSERT_NE(v.viewer.NodeForKey('b'), nullptr);
                EXPECT_EQ(v.viewer.NodeForKey('b')->List(), &v.tree.Nodes());
                EXPECT_EQ(v.viewer.NodeForKey('b')->Caption, "[B]");
            }
            // The replaced tree waits to be freed.
            EXPECT_TRUE(v.viewer.HasDiscarded());
            EXPECT_TRUE(v.viewer.FreeDiscarded(Clock::now()));
            EXPECT_FALSE(v.viewer.HasDiscarded());
            v.tree.OnChange = nullptr;
            v.viewer.OnProcess = nullptr;
        }
    }
}

TEST(BrowseTreeSteps, ALibraryChangedOrFreedBetweenStepsIsReadSafelyAndANewBuildShowsIt) {
    Viewer v;
    v.viewer.SetDisplayMode(kEveryKindWithYears);
    v.viewer.BeginRebuild(v.tree.Nodes());
    // Artists come and go between the steps; the build reads by position and never past
    // the end (the sanitizers watch).
    int step = 0;
    StepToTheEnd(v.viewer, [&] {
        ++step;
        if (step == 2)
            v.library.lib->GlobalList().Add(
                test::MakeLibraryTag("/m/new/1.mp3", "Aardvark", "New", "Debut", "Ska", "2020"));
        if (step == 3) v.library.lib->GlobalList().Clear();
        if (step == 4)
            v.library.lib->GlobalList().Add(
                test::MakeLibraryTag("/m/new/2.mp3", "Zappa", "Peaches", "Hot Rats", "Rock", "1969"));
    });
    EXPECT_GE(step, 4);
    v.viewer.FinishRebuild();
    // What the change notice asks for: a new build, equal to one made in one go.
    v.viewer.BeginRebuild(v.tree.Nodes());
    StepToTheEnd(v.viewer);
    v.viewer.FinishRebuild();
    const Lines stepped = Describe(v.tree.Nodes());
    TmyTreeModel oneGo;
    TcustomJukeboxListViewer2 other;
    other.SetJukeboxList(v.library.lib.get());
    other.SetDisplayMode(kEveryKindWithYears);
    other.Rebuild(oneGo);
    EXPECT_EQ(stepped, Describe(oneGo.Nodes()));
    ASSERT_NE(v.viewer.NodeForKey('z'), nullptr);
    EXPECT_NE(Find(v.viewer.NodeForKey('z')->Children(), "Zappa"), nullptr);
    EXPECT_EQ(v.viewer.NodeForKey('a')->Children().Count(), 0);  // "Aardvark" went with the clear

    // A build started over drops what it had made; the shown tree stays.
    v.viewer.BeginRebuild(v.tree.Nodes());
    v.viewer.ContinueRebuild(Clock::now());
    v.viewer.BeginRebuild(v.tree.Nodes());
    StepToTheEnd(v.viewer);
    v.viewer.FinishRebuild();
    EXPECT_EQ(Describe(v.tree.Nodes()), stepped);
    // Cancelled, nothing replaces the shown tree.
    v.viewer.BeginRebuild(v.tree.Nodes());
    v.viewer.ContinueRebuild(Clock::now());
    v.viewer.CancelRebuild();
    EXPECT_FALSE(v.viewer.ContinueRebuild(Clock::time_point::max()));
    v.viewer.FinishRebuild();
    EXPECT_EQ(Describe(v.tree.Nodes()), stepped);

    // The library freed during a build: the build stops, and every node is gone (the
    // shown, the half-built and the replaced ones all pointed into it).
    v.viewer.BeginRebuild(v.tree.Nodes());
    v.viewer.ContinueRebuild(Clock::now());
    v.library.lib.reset();
    EXPECT_FALSE(v.viewer.Rebuilding());
    EXPECT_FALSE(v.viewer.HasDiscarded());
    EXPECT_EQ(v.tree.Nodes().Count(), 0);
    v.viewer.FinishRebuild();
    EXPECT_EQ(v.tree.Nodes().Count(), 0);

    // A shown list freed during a build: the finished nodes have nowhere to go.
    BrowseLibrary library;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(kMainWindowDefault);
    {
        TmyTreeModel gone;
        viewer.BeginRebuild(gone.Nodes());
        viewer.ContinueRebuild(Clock::now());
    }
    StepToTheEnd(viewer);
    viewer.FinishRebuild();
    EXPECT_FALSE(viewer.Rebuilding());
    EXPECT_EQ(viewer.NodeOfKind(0), nullptr);
    EXPECT_TRUE(viewer.FreeDiscarded(Clock::time_point::max()));
}

// ---- Branches made when opened ----

// A library loaded from its index files leaves each genre's artists and albums for later:
// building the tree makes none of them; opening a genre makes its branch, a small genre at
// once, a large one on a thread of its own while the node stands open (the screen stays
// live), and a tree rebuilt meanwhile is never filled from the old one's request.
TEST(BrowseTreeBranches, AGenreGetsItsArtistsWhenOpenedAndALargeOneFromAThread) {
    test::TempDir dir;
    constexpr int kBig = 20500;
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        TaudioTagList& global = lib.GlobalList();
        global.BeginUpdate();
        for (int i = 0; i < kBig; ++i) {
            const std::string artist = "Artist " + std::to_string(i / 40), album = "Album " + std::to_string(i / 10);
            global.Add(test::MakeLibraryTag("/m/" + artist + "/" + album + "/" + std::to_string(i) + ".mp3", artist,
                                            "Song " + std::to_string(i), album, "Big", "1990"));
        }
        global.Add(test::MakeLibraryTag("/m/s/1.mp3", "Solo", "Small Song", "Small Album", "Small", "1991"));
        global.EndUpdate();
        lib.SaveAll();  // the list file and the index files
    }
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    lib.LoadIndexes();
    const TaudioTagCategoryPtr big = lib.GenreList().FindGenre("Big");
    const TaudioTagCategoryPtr small = lib.GenreList().FindGenre("Small");
    ASSERT_TRUE(big && small);
    ASSERT_TRUE(big->ListsDeferred());
    ASSERT_TRUE(small->ListsDeferred());

    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(&lib);
    viewer.SetDisplayMode(DisplayModes({dmGenres, dmGenreArtists, dmGenreAlbums}));
    viewer.Rebuild(tree);
    EXPECT_TRUE(big->ListsDeferred()) << "building the tree makes no genre's lists";
    EXPECT_TRUE(small->ListsDeferred());
    TmyNode* genres = Opened(Find(tree.Nodes(), "[Genres]"));
    ASSERT_NE(genres, nullptr);
    TmyNode* smallNode = Find(genres->Children(), "Small");
    Opened(smallNode);
    EXPECT_EQ(Children(smallNode->Children()), (Lines{"Solo"}));
    EXPECT_EQ(Children(Opened(smallNode->Children().Items(0))->Children()), (Lines{"Small Album"}));
    EXPECT_TRUE(big->ListsDeferred());

    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    TmyNode* bigNode = Opened(Find(genres->Children(), "Big"));
    EXPECT_TRUE(bigNode->Expanded());
    EXPECT_TRUE(bigNode->ChildrenDeferred());
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (bigNode->ChildrenDeferred() && Clock::now() < deadline) {
        dispatcher.ProcessPendingCalls();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(bigNode->ChildrenDeferred());
    EXPECT_TRUE(bigNode->Expanded());
    ASSERT_EQ(bigNode->Children().Count(), kBig / 40 + 1);
    EXPECT_EQ(bigNode->Children().Items(0)->Caption, "Artist 0");
    EXPECT_EQ(Children(Opened(bigNode->Children().Items(0))->Children()), (Lines{"Album 0", "Album 1", "Album 2", "Album 3"}));
    EXPECT_EQ(tree.RowOf(bigNode->Children().Items(0)), tree.RowOf(bigNode) + 1);

    // Asked for again from a tree rebuilt before the lists came: the new tree's node was
    // never opened, so it keeps its branch for later.
    TlocalJukeboxList again;
    again.SetDataFolder(dir.Path().string());
    again.LoadIndexes();
    viewer.SetJukeboxList(&again);
    viewer.Rebuild(tree);
    Opened(Find(Find(tree.Nodes(), "[Genres]")->Children(), "Big"));
    viewer.Rebuild(tree);
    TmyNode* rebuilt = Find(Find(tree.Nodes(), "[Genres]")->Children(), "Big");
    const auto until = Clock::now() + std::chrono::seconds(60);
    while (again.GenreList().FindGenre("Big")->ListsDeferred() && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    dispatcher.ProcessPendingCalls();
    EXPECT_TRUE(rebuilt->ChildrenDeferred());
    EXPECT_FALSE(rebuilt->Expanded());
    EXPECT_EQ(rebuilt->Children().Count(), 0);
}

}  // namespace
}  // namespace tunecrest
