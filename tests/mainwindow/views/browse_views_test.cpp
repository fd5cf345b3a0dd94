// The main window's browse tree built a step at a time through the event loop: in the
// tree and artists-with-covers modes it ends equal to the tree built in one go and the
// view only ever shows the old tree or the complete new one; in the covers mode it is
// emptied and stays so. A refresh during a build starts it over or follows it, a library
// that changes or loads during a build is shown as it ends up, and the open nodes and
// selection of the old tree stay until the new one replaces it, collapsed and unselected.
#include "mainwindow/views/browse_views.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <functional>

#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/display/tree_nodes.h"
#include "support/tree_text.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "skin/touch_list_box.h"
#include "support/browse_library.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using Lines = std::vector<std::string>;
constexpr TtreeViewDisplayMode kTreeMode = 0xCFF;  // the main window's default set
constexpr TtreeViewDisplayMode kArtistsAndCovers = kTreeMode & ~DisplayModeBit(dmAlbums);

using test::Describe;

struct Rig {
    test::BrowseLibrary library;
    TfontContainer fonts = DefaultFontStore(fsLists);
    TtouchTreeView tree;
    TbrowseTreeView view{tree, fonts};
    int ended = 0;
    Rig() {
        test::App();
        tree.resize(400, 600);
        view.SetJukeboxList(library.lib.get());
        view.OnBuildEnded = [this] { ++ended; };
    }
    // The tree built in one go by a viewer of its own, in the view's display mode.
    Lines OneGo() {
        TmyTreeModel model;
        TcustomJukeboxListViewer2 viewer;
        viewer.SetJukeboxList(library.lib.get());
        viewer.SetDisplayMode(view.Viewer().DisplayMode());
        viewer.Rebuild(model);
        return Describe(model.Nodes());
    }
    // Turns of the event loop until the build is over; `each` runs after every turn.
    int Pump(const std::function<void()>& each = {}) {
        int turns = 0;
        while (view.Building() && turns < 100000) {
            QApplication::processEvents();
            ++turns;
            if (each) each();
        }
        EXPECT_FALSE(view.Building());
        return turns;
    }
};

TEST(BrowseViews, BuiltInStepsTheTreeEqualsTheOneBuiltInOneGoInTheThreeBrowseModes) {
    Rig r;
    r.view.Viewer().SetDisplayMode(kTreeMode);
    r.view.BuildTreeView();  // small: done at once, as before
    EXPECT_FALSE(r.view.Building());
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(Describe(r.tree.Nodes()), r.OneGo());

    // Built in steps of the least work there is.
    r.view.StepThreshold = 0;
    r.view.StepBudget = std::chrono::microseconds(0);
    for (const TtreeViewDisplayMode mode : {kArtistsAndCovers, kTreeMode}) {
        SCOPED_TRACE(mode);
        const Lines old = Describe(r.tree.Nodes());
        r.view.Viewer().SetDisplayMode(mode);
        r.view.BuildTreeView();
        EXPECT_TRUE(r.view.Building());
        EXPECT_EQ(Describe(r.tree.Nodes()), old);
        const Lines expected = r.OneGo();
        bool swapped = false;
        const int turns = r.Pump([&] {
            const Lines now = Describe(r.tree.Nodes());
            // Never a half-built tree: the old one until the new one is complete.
            if (!swapped) swapped = now == expected;
            ASSERT_EQ(now, swapped ? expected : old);
            EXPECT_EQ(r.tree.Count(), r.tree.Nodes().Count());  // rows follow the nodes
        });
        EXPECT_GT(turns, 3);
        EXPECT_EQ(Describe(r.tree.Nodes()), expected);
    }
    EXPECT_EQ(r.ended, 3);

    // Covers: the tree is emptied at once, and a build under way never lands.
    r.view.BuildTreeView();
    QApplication::processEvents();
    r.view.ClearTree();
    EXPECT_EQ(r.tree.Nodes().Count(), 0);
    EXPECT_EQ(r.tree.Count(), 0);
    EXPECT_EQ(r.ended, 4);  // the dropped build ended too
    r.Pump();
    EXPECT_EQ(r.tree.Nodes().Count(), 0);
    EXPECT_EQ(r.ended, 4);
}

TEST(BrowseViews, ARefreshDuringABuildStartsItOverOrFollowsIt) {
    Rig r;
    r.view.Viewer().SetDisplayMode(kTreeMode);
    r.view.BuildTreeView();
    const Lines old = Describe(r.tree.Nodes());
    r.view.StepThreshold = 0;
    r.view.StepBudget = std::chrono::microseconds(0);

    // Within the restart window: the build starts over in the new mode; the tree of the
    // first mode never shows.
    r.view.RestartWindow = std::chrono::hours(1);  // however slow the machine
    r.view.BuildTreeView();
    QApplication::processEvents();
    r.view.Viewer().SetDisplayMode(kArtistsAndCovers);
    r.view.BuildTreeView();
    const Lines artistsOnly = r.OneGo();
    std::vector<Lines> shown{old};
    r.Pump([&] {
        if (Describe(r.tree.Nodes()) != shown.back()) shown.push_back(Describe(r.tree.Nodes()));
    });
    EXPECT_EQ(shown, (std::vector<Lines>{old, artistsOnly}));
    EXPECT_EQ(r.ended, 2);

    // Past the window: the build under way ends and shows, then the asked one follows.
    r.view.RestartWindow = std::chrono::milliseconds(0);
    r.view.Viewer().SetDisplayMode(kTreeMode);
    r.view.BuildTreeView();
    QApplication::processEvents();
    r.view.Viewer().SetDisplayMode(DisplayModes({dmArtists}));
    r.view.BuildTreeView();
    const Lines artistsAlone = r.OneGo();
    shown = {artistsOnly};
    r.Pump([&] {
        if (Describe(r.tree.Nodes()) != shown.back()) shown.push_back(Describe(r.tree.Nodes()));
    });
    EXPECT_EQ(shown, (std::vector<Lines>{artistsOnly, old, artistsAlone}));

    EXPECT_EQ(r.ended, 4);
}

TEST(BrowseViews, ALibraryThatChangesOrLoadsDuringABuildIsShownAsItEndsUp) {
    Rig r;
    r.view.Viewer().SetDisplayMode(kTreeMode);
    r.view.StepThreshold = 0;
    r.view.StepBudget = std::chrono::microseconds(0);
    r.view.BuildTreeView();
    QApplication::processEvents();
    // The change notice asks for the tree again.
    r.library.lib->GlobalList().Add(test::MakeLibraryTag("/m/q/1.mp3", "Queen", "Bicycle", "Jazz", "Rock", "1978"));
    r.view.BuildTreeView();
    r.Pump();
    EXPECT_EQ(Describe(r.tree.Nodes()), r.OneGo());
    ASSERT_NE(r.view.Viewer().NodeForKey('q'), nullptr);
    EXPECT_EQ(r.view.Viewer().NodeForKey('q')->Children().Count(), 1);

    // A load under a build: no step reads the library meanwhile; the build starts over
    // once the load is done.
    const Lines before = Describe(r.tree.Nodes());
    r.view.BuildTreeView();
    auto* jukebox = r.library.lib->Jukebox();
    jukebox->SetLibraryLoading(true);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(r.view.Building());
    EXPECT_EQ(Describe(r.tree.Nodes()), before);
    r.library.lib->GlobalList().Add(test::MakeLibraryTag("/m/x/1.mp3", "Xtc", "Senses", "Skylarking", "Pop", "1986"));
    jukebox->SetLibraryLoading(false);
    r.Pump();
    EXPECT_EQ(Describe(r.tree.Nodes()), r.OneGo());
    ASSERT_NE(r.view.Viewer().NodeForKey('x'), nullptr);
    EXPECT_EQ(r.view.Viewer().NodeForKey('x')->Children().Count(), 1);
}

// The view after a refresh that found "[B]" open and selected.
struct TafterRefresh {
    int ItemIndex = -1, TopIndex = -1, Rows = -1;
    std::vector<std::string> Told;  // what the track list was told, in order
    Lines Tree;                     // the rig's own library: compared with its own
    bool operator==(const TafterRefresh& o) const {
        return ItemIndex == o.ItemIndex && TopIndex == o.TopIndex && Rows == o.Rows && Told == o.Told;
    }
};

TafterRefresh RefreshWithAnOpenLetter(Rig& r, bool inSteps) {
    r.view.Viewer().SetDisplayMode(kTreeMode);
    r.view.BuildTreeView();
    r.Pump();
    TafterRefresh after;
    r.view.OnSelectNode = [&](TmyNode* node) { after.Told.push_back(node ? node->Caption : "(none)"); };
    // A letter typed opens the way to its node and selects it; then it opens.
    EXPECT_TRUE(r.view.SelectKey('b'));
    r.tree.ExpandCurrent(false, true);
    TmyNode* letter = r.view.SelectedNode();
    EXPECT_NE(letter, nullptr);
    if (!letter) return after;
    EXPECT_EQ(letter->Caption, "[B]");
    EXPECT_TRUE(letter->Expanded());
    const int row = r.tree.ItemIndex(), top = r.tree.TopIndex(), rows = r.tree.Count();
    after.Told.clear();

    if (inSteps) {
        r.view.StepThreshold = 0;
        r.view.StepBudget = std::chrono::microseconds(0);
    }
    r.view.BuildTreeView();
    int turns = 0;
    while (r.view.Viewer().Rebuilding()) {
        // The old tree stays as the person left it.
        EXPECT_EQ(r.view.SelectedNode(), letter);
        EXPECT_TRUE(letter->Expanded());
        EXPECT_EQ(r.tree.ItemIndex(), row);
        EXPECT_EQ(r.tree.TopIndex(), top);
        EXPECT_EQ(r.tree.Count(), rows);
        QApplication::processEvents();
        ++turns;
    }
    EXPECT_EQ(turns > 1, inSteps);
    const std::vector<std::string> told = after.Told;
    after.ItemIndex = r.tree.ItemIndex();
    after.TopIndex = r.tree.TopIndex();
    after.Rows = r.tree.Count();
    after.Tree = Describe(r.tree.Nodes());
    r.Pump();
    // Typed letters find the nodes of the new tree.
    EXPECT_TRUE(r.view.SelectKey('B'));
    EXPECT_EQ(r.view.SelectedNode(), r.view.Viewer().NodeForKey('b'));
    EXPECT_EQ(r.view.SelectedNode()->List(), &r.tree.Nodes());
    r.view.OnSelectNode = nullptr;
    after.Told = told;
    return after;
}

TEST(BrowseViews, OpenNodesAndTheSelectionStayUntilTheNewTreeReplacesTheOldAsABuildInOneGoLeftIt) {
    Rig inOneGo, inSteps;
    const TafterRefresh expected = RefreshWithAnOpenLetter(inOneGo, false);
    const TafterRefresh stepped = RefreshWithAnOpenLetter(inSteps, true);
    EXPECT_EQ(stepped, expected);
    EXPECT_EQ(expected.Tree, inOneGo.OneGo());
    // That is: every node closed, the first row current, the track list told once that
    // nothing is chosen.
    EXPECT_EQ(stepped.ItemIndex, 0);
    EXPECT_EQ(stepped.Rows, inSteps.tree.Nodes().Count());
    EXPECT_EQ(stepped.Told, std::vector<std::string>{"(none)"});
    EXPECT_EQ(stepped.Tree, inSteps.OneGo());
}

}  // namespace
}  // namespace tunecrest
