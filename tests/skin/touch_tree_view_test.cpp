// The touch tree offscreen: presses open and close nodes with one index-change notice,
// Left and Right walk the tree, the rows follow changes of the node model (also deep
// inside an update bracket) and keep the current node and the top in place, and the plain
// row painting. The standard tree widget's
// viewer is checked against the same fixture library.
#include <gtest/gtest.h>

#include <QTest>

#include "core/display/browse_tree.h"
#include "skin/jukebox_list_viewer.h"
#include "skin/touch_list_box.h"
#include "tests/support/browse_library.h"
#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

struct TreeFixture {
    QApplication& app = test::App();  // before any widget
    TtouchTreeView tree;
    TmyNode *a, *b;
    int indexChanges = 0, scrolls = 0;
    TreeFixture() {
        test::App();
        tree.resize(200, 100);
        tree.SetItemHeight(20);  // five rows
        auto& nodes = tree.Nodes();
        nodes.BeginUpdate();
        a = nodes.AddNode(nullptr, false, "A");
        b = nodes.AddNode(nullptr, false, "B");
        for (int i = 0; i < 3; ++i) a->Children().AddNode(nullptr, false, "a" + std::to_string(i));
        for (int i = 0; i < 8; ++i) b->Children().AddNode(nullptr, false, "b" + std::to_string(i));
        nodes.EndUpdate();
        tree.OnItemIndexChange = [this](TObject*) { ++indexChanges; };
        tree.OnScroll = [this](TObject*) { ++scrolls; };
        tree.show();
    }
    void Tap(int row) {
        const QPoint at(10, (row - tree.TopIndex()) * 20 + 5);
        QTest::mouseClick(&tree, Qt::LeftButton, Qt::NoModifier, at);
    }
    std::string Current() {
        TmyNode* node = tree.GetSelectedNode();
        return node ? node->Caption : "";
    }
};

TEST(TouchTreeView, PressesOpenAndCloseNodesWithOneNoticeEach) {
    TreeFixture f;
    EXPECT_EQ(f.tree.Count(), 2);
    f.Tap(0);
    EXPECT_TRUE(f.a->Expanded());
    EXPECT_EQ(f.tree.Count(), 5);
    EXPECT_EQ(f.indexChanges, 1);
    EXPECT_EQ(f.Current(), "A");
    // Opening B closes A; B's eight children fill the five rows, so B moves to the top.
    f.Tap(4);
    EXPECT_FALSE(f.a->Expanded());
    EXPECT_TRUE(f.b->Expanded());
    EXPECT_EQ(f.tree.Count(), 10);
    EXPECT_EQ(f.tree.ItemIndex(), 1);
    EXPECT_EQ(f.tree.TopIndex(), 1);
    EXPECT_EQ(f.indexChanges, 2);
    EXPECT_EQ(f.scrolls, 2);  // once per expansion
    // A leaf press selects it and changes nothing else.
    f.Tap(3);
    EXPECT_EQ(f.Current(), "b1");
    EXPECT_EQ(f.tree.Count(), 10);
    EXPECT_EQ(f.indexChanges, 3);
    // Pressing below the rows does nothing.
    f.tree.SetTopIndex(5);
    f.Tap(5 + 5);  // row 10 does not exist
    EXPECT_EQ(f.Current(), "b1");
}

TEST(TouchTreeView, LeftAndRightWalkTheTree) {
    TreeFixture f;
    f.tree.SetItemIndex(0);
    QTest::keyClick(&f.tree, Qt::Key_Right);  // opens A
    EXPECT_TRUE(f.a->Expanded());
    EXPECT_EQ(f.Current(), "A");
    QTest::keyClick(&f.tree, Qt::Key_Right);  // into its first child
    EXPECT_EQ(f.Current(), "a0");
    QTest::keyClick(&f.tree, Qt::Key_Down);
    EXPECT_EQ(f.Current(), "a1");
    QTest::keyClick(&f.tree, Qt::Key_Left);  // a leaf: to the parent
    EXPECT_EQ(f.Current(), "A");
    QTest::keyClick(&f.tree, Qt::Key_Left);  // closes A
    EXPECT_FALSE(f.a->Expanded());
    EXPECT_EQ(f.tree.Count(), 2);
    QTest::keyClick(&f.tree, Qt::Key_Left);  // a closed top node: nothing
    EXPECT_EQ(f.Current(), "A");
    QTest::keyClick(&f.tree, Qt::Key_End);
    EXPECT_EQ(f.Current(), "B");

    // SelectNode: only a visible node; with expand it opens.
    f.tree.SelectNode(f.a->Children().Items(1), false);
    EXPECT_EQ(f.Current(), "B");
    f.tree.SelectNode(f.a, true);
    EXPECT_EQ(f.Current(), "A");
    EXPECT_TRUE(f.a->Expanded());
    f.tree.SelectNode(f.a->Children().Items(2), false);
    EXPECT_EQ(f.Current(), "a2");
}

TEST(TouchTreeView, RowsFollowTheModelEvenInsideAnUpdateBracket) {
    TreeFixture f;
    f.tree.SelectNode(f.b, true);
    f.tree.SetTopIndex(3);
    ASSERT_EQ(f.tree.Count(), 10);
    // The child list goes while its rows are on screen; the root bracket holds the
    // notice, but painting and presses must see the tree as it is.
    f.tree.Nodes().BeginUpdate();
    f.b->Children().Clear();
    QImage image(f.tree.size(), QImage::Format_RGB32);
    f.tree.render(&image);
    EXPECT_EQ(f.tree.Count(), 2);
    EXPECT_EQ(f.tree.TopIndex(), 0);
    EXPECT_EQ(f.tree.GetVisibleNode(5), nullptr);
    f.Tap(1);
    EXPECT_EQ(f.Current(), "B");
    f.tree.Nodes().EndUpdate();
    EXPECT_EQ(f.tree.Count(), 2);
    // Adding at the top level shows at once, with one range notice for a bound bar;
    // clearing everything empties the rows.
    int ranges = 0;
    f.tree.OnRangeChange = [&](TObject*) { ++ranges; };
    for (int i = 0; i < 4; ++i) f.tree.Nodes().AddNode(nullptr, false, "C" + std::to_string(i));
    EXPECT_EQ(f.tree.Count(), 6);
    EXPECT_EQ(f.tree.MaxTopIndex(), 1);
    EXPECT_EQ(ranges, 1);  // the range grew past the five rows once
    f.tree.Nodes().Clear();
    EXPECT_EQ(f.tree.Count(), 0);
    EXPECT_EQ(f.tree.ItemIndex(), -1);
    EXPECT_EQ(f.tree.GetSelectedNode(), nullptr);
    f.tree.render(&image);
}

TEST(TouchTreeView, ABranchFilledLaterLeavesTheCurrentNodeAndTheTopWhereTheyWere) {
    // A node whose children come later (a large genre's artists are made on a thread),
    // far down the tree: the finger opens it, then the branch arrives.
    TreeFixture f;
    auto& nodes = f.tree.Nodes();
    for (int i = 0; i < 10; ++i) nodes.AddNode(nullptr, false, "T" + std::to_string(i));
    TmyNode* late = nodes.AddNode(nullptr, false, "Late");
    late->DeferChildren();
    TmyNode* asked = nullptr;
    nodes.OnFillChildren = [&](TmyNode& node) { asked = &node; };
    ASSERT_EQ(f.tree.Count(), 13);
    f.tree.SetTopIndex(8);
    f.Tap(12);
    ASSERT_EQ(asked, late);
    ASSERT_EQ(f.Current(), "Late");
    const int top = f.tree.TopIndex(), changes = f.indexChanges;
    ASSERT_GT(top, 0);

    late->Children().BeginUpdate();
    for (int i = 0; i < 10; ++i) late->Children().AddNode(nullptr, false, "l" + std::to_string(i));
    late->Children().EndUpdate();
    late->ChildrenMade();
    EXPECT_EQ(f.tree.Count(), 23);
    EXPECT_EQ(f.Current(), "Late");
    EXPECT_EQ(f.tree.TopIndex(), top);
    EXPECT_EQ(f.indexChanges, changes);  // nothing new was chosen
    // The keys go on from there.
    QTest::keyClick(&f.tree, Qt::Key_Down);
    EXPECT_EQ(f.Current(), "l0");

    // A change that takes the current node away leaves the first row current.
    nodes.BeginUpdate();
    nodes.Clear();
    nodes.AddNode(nullptr, false, "New");
    nodes.EndUpdate();
    EXPECT_EQ(f.Current(), "New");
    EXPECT_EQ(f.tree.TopIndex(), 0);
}

TEST(TouchTreeView, PlainRowsShowTheCaptionsIndented) {
    TreeFixture f;
    f.tree.SelectNode(f.a, true);
    QImage image(f.tree.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    f.tree.render(&image);
    // The selected top row is highlighted across its width; a child row is not.
    const QColor highlight = f.tree.palette().color(QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(199, 1), highlight);
    EXPECT_NE(image.pixelColor(199, 21), highlight);
    // An owner painter replaces the plain rows.
    int painted = 0;
    f.tree.OnPaintItem = [&](TObject*, int, const QRect&, QPainter&, TtouchListItemState) { ++painted; };
    f.tree.render(&image);
    EXPECT_EQ(painted, 5);
}

TEST(JukeboxListViewer, StandardTreeWidgetGetsTheSameCategoriesWithItsDifferences) {
    test::App();
    test::BrowseLibrary library;
    QTreeWidget widget;
    TcustomJukeboxListViewer viewer;
    viewer.SetJukeboxList(library.lib.get());
    auto top = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < widget.topLevelItemCount(); ++i)
            out.push_back(widget.topLevelItem(i)->text(0).toStdString());
        return out;
    };
    // Compilations alone make no letters here; radio makes no node.
    viewer.SetDisplayMode(DisplayModes({dmCompilations, dmRadioStations, dmPlaylists}));
    viewer.Rebuild(&widget);
    EXPECT_EQ(top(), (std::vector<std::string>{"[Compilations]", "[Playlists]"}));
    QTreeWidgetItem* playlists = viewer.NodeOfKind(bcPlaylists);
    ASSERT_NE(playlists, nullptr);
    ASSERT_EQ(playlists->childCount(), 2);
    EXPECT_EQ(playlists->child(1)->text(0), "Party");
    EXPECT_NE(dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(playlists->child(1))), nullptr);
    // "[Tracks/Artists]" also for compilations alone.
    viewer.SetDisplayMode(DisplayModes({dmCompilations, dmArtistsInSubNode}));
    viewer.Rebuild(&widget);
    EXPECT_EQ(top(), (std::vector<std::string>{"[Tracks/Artists]"}));
    EXPECT_EQ(widget.topLevelItem(0)->child(0)->text(0), "[Compilations]");
    // The playlist window's set: CD lists hidden, empty letters shown.
    viewer.ShowCDLists = false;
    viewer.SetDisplayMode(DisplayModes({dmArtists, dmTitles, dmAlbums, dmCompilations, dmInvalid, dmGenres}));
    viewer.Rebuild(&widget);
    EXPECT_EQ(widget.topLevelItemCount(), 37 + 3);
    QTreeWidgetItem* a = viewer.NodeOfKind(bcFirstLetter);
    ASSERT_EQ(a->childCount(), 2);
    EXPECT_EQ(a->child(0)->text(0), "Abba");
    EXPECT_EQ(a->child(0)->child(0)->text(0), "Gold");
    EXPECT_NE(dynamic_cast<TaudioTagAlbum*>(TcustomJukeboxListViewer::ItemData(a->child(0)->child(0))),
              nullptr);
    QTreeWidgetItem* c = viewer.NodeOfKind(bcFirstLetter + 2);
    ASSERT_EQ(c->childCount(), 1);
    EXPECT_EQ(c->child(0)->childCount(), 0);  // the CD's album left out
    EXPECT_EQ(TcustomJukeboxListViewer::ItemCategory(c), bcFirstLetter + 2);
    EXPECT_EQ(TcustomJukeboxListViewer::ItemCategory(a->child(0)), -1);
    // The library goes: the tree is emptied and the viewer forgets it.
    library.lib.reset();
    EXPECT_EQ(viewer.JukeboxList(), nullptr);
    EXPECT_EQ(widget.topLevelItemCount(), 0);
}

}  // namespace
}  // namespace tunecrest
