// The tree node model: expansion, levels, the visible rows and their rebuild after
// every structural change, including changes deep in the tree inside update brackets;
// nodes moved between lists and freed a piece at a time.
#include "core/display/tree_nodes.h"

#include <gtest/gtest.h>

#include <functional>

namespace tunecrest {
namespace {

std::vector<std::string> Rows(const TmyTreeModel& tree) {
    std::vector<std::string> out;
    for (TmyNode* node : tree.VisibleNodes())
        out.push_back(std::string(size_t(node->Level()) * 2, ' ') + node->Caption);
    return out;
}

// A and B at the top, each with three children; B's second child has two of its own.
struct Fixture {
    TmyTreeModel tree;
    TmyNode *a, *b, *b2;
    Fixture() {
        auto& nodes = tree.Nodes();
        nodes.BeginUpdate();
        a = nodes.AddNode(nullptr, false, "A");
        b = nodes.AddNode(nullptr, false, "B");
        for (int i = 1; i <= 3; ++i) a->Children().AddNode(nullptr, false, "a" + std::to_string(i));
        for (int i = 1; i <= 3; ++i) b->Children().AddNode(nullptr, false, "b" + std::to_string(i));
        b2 = b->Children().Items(1);
        b2->Children().AddNode(nullptr, false, "b2x");
        b2->Children().AddNode(nullptr, false, "b2y");
        nodes.EndUpdate();
    }
};

TEST(TreeNodes, NodesKnowTheirPlaceAndStartCollapsedWithoutChildren) {
    Fixture f;
    TmyNode* deep = f.b2->Children().Items(0);
    EXPECT_EQ(deep->Level(), 2);
    EXPECT_EQ(deep->Parent(), f.b2);
    EXPECT_EQ(deep->GetTopParent(), f.b);
    EXPECT_EQ(f.b2->GetTopParent(), f.b);
    EXPECT_EQ(f.a->GetTopParent(), nullptr);
    EXPECT_EQ(f.a->Parent(), nullptr);
    EXPECT_EQ(f.a->Level(), 0);

    TmyNode* leaf = f.tree.Nodes().AddNode(nullptr, true, "leaf");
    EXPECT_FALSE(leaf->Expanded());
    EXPECT_EQ(leaf->SetExpanded(true), 0);
    EXPECT_FALSE(leaf->Expanded());
    EXPECT_FALSE(leaf->HasChildren());
    EXPECT_EQ(f.a->SetExpanded(true), 3);
    EXPECT_TRUE(f.a->Expanded());

    EXPECT_EQ(f.tree.Nodes().Items(-1), nullptr);
    EXPECT_EQ(f.tree.Nodes().Items(3), nullptr);
    EXPECT_EQ(f.tree.Nodes().IndexOf(f.b), 1);
    EXPECT_EQ(f.tree.Nodes().IndexOf(deep), -1);
}

TEST(TreeNodes, VisibleRowsFollowExpansionCollapseAndExpandParents) {
    Fixture f;
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B"}));
    f.b2->Children().Items(1)->ExpandParents();
    EXPECT_EQ(Rows(f.tree),
              (std::vector<std::string>{"A", "B", "  b1", "  b2", "    b2x", "    b2y", "  b3"}));
    EXPECT_EQ(f.tree.Nodes().VisibleCount(), 7);
    EXPECT_EQ(f.tree.RowOf(f.b2), 3);
    EXPECT_EQ(f.tree.GetVisibleNode(6)->Caption, "b3");
    EXPECT_EQ(f.tree.GetVisibleNode(7), nullptr);
    EXPECT_EQ(f.tree.GetVisibleNode(-1), nullptr);
    f.b->Collapse();  // and everything below it
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(f.b2->Expanded());
    EXPECT_EQ(f.tree.RowOf(f.b2), -1);
    std::vector<TmyNode*> flat;
    f.a->SetExpanded(true);
    f.tree.Nodes().FlattenVisible(flat);
    EXPECT_EQ(flat.size(), 5u);
}

TEST(TreeNodes, ChangeNoticesWaitForUpdateBracketsAndBubbleToTheRoot) {
    Fixture f;
    int rootNotices = 0, nodeNotices = 0;
    f.tree.OnChange = [&](TObject*) { ++rootNotices; };
    f.b->OnChange = [&](TObject*) { ++nodeNotices; };
    f.b2->Children().AddNew();  // two levels down
    EXPECT_EQ(rootNotices, 1);
    EXPECT_EQ(nodeNotices, 1);

    f.tree.Nodes().BeginUpdate();
    f.tree.Nodes().BeginUpdate();
    f.a->Children().AddNew();
    f.b->Children().Clear();
    f.tree.Nodes().EndUpdate();
    EXPECT_EQ(rootNotices, 1);
    f.tree.Nodes().EndUpdate();
    f.tree.Nodes().EndUpdate();  // never below 0
    EXPECT_EQ(rootNotices, 2);
    EXPECT_EQ(f.tree.Nodes().UpdateCount(), 0);

    // A child list in its own bracket sends one notice up at its end.
    f.a->Children().BeginUpdate();
    for (int i = 0; i < 5; ++i) f.a->Children().AddNew();
    EXPECT_EQ(rootNotices, 2);
    f.a->Children().EndUpdate();
    EXPECT_EQ(rootNotices, 3);
}

TEST(TreeNodes, ClearingAChildListWhileItsRowsAreVisibleNeverLeavesFreedRows) {
    Fixture f;
    f.b2->ExpandParents();
    f.b2->SetExpanded(true);
    ASSERT_EQ(f.tree.VisibleCount(), 7);
    // Inside a root bracket nothing is notified, yet the rows must not keep the freed
    // nodes: every read after the clear sees the tree as it is now.
    f.tree.Nodes().BeginUpdate();
    f.b2->Children().Clear();
    EXPECT_TRUE(f.tree.Stale());
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B", "  b1", "  b2", "  b3"}));
    EXPECT_FALSE(f.b2->Expanded());  // no children left to show
    f.b->Children().Clear();
    EXPECT_EQ(f.tree.GetVisibleNode(2), nullptr);
    EXPECT_EQ(f.tree.VisibleCount(), 2);
    f.tree.Nodes().EndUpdate();
    // Clearing the root frees everything.
    f.tree.Nodes().Clear();
    EXPECT_EQ(f.tree.VisibleCount(), 0);
    EXPECT_EQ(f.tree.GetVisibleNode(0), nullptr);
}

TEST(TreeNodes, ExpandingUnderSingleExpandCollapsesOtherBranchesAndKeepsTheTopRow) {
    Fixture f;
    EXPECT_TRUE(f.tree.Nodes().SingleExpand);
    // Row 0 is A: opening it shows its children.
    auto pos = f.tree.ExpandRow(0, true, false, 0, 10);
    EXPECT_EQ(pos.ItemIndex, 0);
    EXPECT_EQ(pos.TopIndex, 0);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "  a1", "  a2", "  a3", "B"}));
    // Opening B closes A; B is now on row 1.
    pos = f.tree.ExpandRow(4, true, false, 0, 10);
    EXPECT_FALSE(f.a->Expanded());
    EXPECT_EQ(pos.ItemIndex, 1);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B", "  b1", "  b2", "  b3"}));
    // Opening b2 keeps B open (its parent) and the selection moves with the node.
    pos = f.tree.ExpandRow(3, false, true, 0, 10);
    EXPECT_TRUE(f.b->Expanded());
    EXPECT_EQ(pos.ItemIndex, 3);
    EXPECT_EQ(f.tree.VisibleCount(), 7);
    // Collapsing B from the row of b2's child's parent: the current row follows B.
    pos = f.tree.ExpandRow(1, true, false, 0, 10);
    EXPECT_EQ(pos.ItemIndex, 1);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B"}));
    // An invalid row changes nothing.
    pos = f.tree.ExpandRow(9, true, false, 0, 10);
    EXPECT_EQ(pos.ItemIndex, 9);
    EXPECT_EQ(f.tree.VisibleCount(), 2);
}

TEST(TreeNodes, ExpansionScrollsSoTheOpenedBranchIsInSight) {
    TmyTreeModel tree;
    auto& nodes = tree.Nodes();
    for (int i = 0; i < 20; ++i) nodes.AddNode(nullptr, false, "n" + std::to_string(i));
    TmyNode* big = nodes.Items(5);
    for (int i = 0; i < 8; ++i) big->Children().AddNew();
    TmyNode* small = nodes.Items(12);
    for (int i = 0; i < 3; ++i) small->Children().AddNew();
    // Eight children fill a view of five rows: the node moves to the top.
    auto pos = tree.ExpandRow(5, true, false, 2, 5);
    EXPECT_EQ(pos.ItemIndex, 5);
    EXPECT_EQ(pos.TopIndex, 5);
    // Three children below the bottom row: the view scrolls to show the last one.
    pos = tree.ExpandRow(12 + 8, true, false, 10, 5);  // n12 sits below big's children
    EXPECT_EQ(pos.ItemIndex, 12);                      // big collapsed under single expand
    EXPECT_EQ(pos.TopIndex, 11);                       // last child on row 15 is the bottom row
    // A branch already in sight does not scroll.
    pos = tree.ExpandRow(12, true, false, 10, 5);  // closes n12 again
    pos = tree.ExpandRow(12, true, false, 11, 10);
    EXPECT_EQ(pos.TopIndex, 11);
}

TEST(TreeNodes, NodesMoveToAnotherListWithTheirChildrenInOneChange) {
    Fixture f;
    f.b->SetExpanded(true);
    EXPECT_EQ(f.tree.VisibleCount(), 5);
    TmyNodeList other;
    TmyNode* extra = other.AddNode(nullptr, false, "C");
    extra->Children().AddNode(nullptr, false, "c1");
    int shownChanges = 0, otherChanges = 0;
    f.tree.OnChange = [&](TObject*) { ++shownChanges; };
    other.OnChange = [&](TObject*) { ++otherChanges; };

    f.tree.Nodes().TakeNodesFrom(other);
    EXPECT_EQ(other.Count(), 0);
    EXPECT_EQ(shownChanges, 1);
    EXPECT_EQ(otherChanges, 1);
    EXPECT_TRUE(f.tree.Stale());
    EXPECT_EQ(extra->List(), &f.tree.Nodes());
    EXPECT_EQ(extra->Children().Items(0)->GetTopParent(), extra);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B", "  b1", "  b2", "  b3", "C"}));

    // Moved out, the shown rows are rebuilt before anything reads them, and the moved
    // nodes keep their open state.
    TmyNodeList away;
    away.TakeNodesFrom(f.tree.Nodes());
    EXPECT_EQ(f.tree.VisibleCount(), 0);
    EXPECT_EQ(away.Count(), 3);
    EXPECT_TRUE(f.b->Expanded());
    EXPECT_EQ(away.VisibleCount(), 6);
    // A list never takes in the nodes it hangs below.
    away.TakeNodesFrom(away);
    f.b2->Children().TakeNodesFrom(away);
    f.b->Children().TakeNodesFrom(away);
    EXPECT_EQ(away.Count(), 3);
    EXPECT_EQ(f.b2->Children().Count(), 2);
    // The other way round is a plain move upwards.
    away.TakeNodesFrom(f.b2->Children());
    EXPECT_EQ(away.Count(), 5);
    EXPECT_EQ(away.Items(4)->Caption, "b2y");
    EXPECT_EQ(away.Items(4)->Parent(), nullptr);
}

TEST(TreeNodes, LeavesAreFreedFromTheEndUpwardsAPieceAtATime) {
    Fixture f;
    f.b->SetExpanded(true);
    f.b2->SetExpanded(true);
    int changes = 0;
    f.tree.OnChange = [&](TObject*) { ++changes; };
    auto captions = [&] {
        std::vector<std::string> out;
        std::function<void(const TmyNodeList&)> walk = [&](const TmyNodeList& list) {
            for (int i = 0; i < list.Count(); ++i) {
                out.push_back(list.Items(i)->Caption);
                walk(list.Items(i)->Children());
            }
        };
        walk(f.tree.Nodes());
        return out;
    };
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(2), 2);  // b3, then the last below b2
    EXPECT_EQ(captions(), (std::vector<std::string>{"A", "a1", "a2", "a3", "B", "b1", "b2", "b2x"}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B", "  b1", "  b2", "    b2x"}));
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(2), 2);  // b2x, then b2 itself
    EXPECT_EQ(captions(), (std::vector<std::string>{"A", "a1", "a2", "a3", "B", "b1"}));
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "B", "  b1"}));
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(0), 0);
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(100), 6);
    EXPECT_EQ(f.tree.Nodes().Count(), 0);
    EXPECT_EQ(f.tree.VisibleCount(), 0);
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(1), 0);
}

// A leaf has no child list until one is asked for; a const leaf shows an empty one, and a
// list made later is the node's own from then on, with everything a list made at once has.
TEST(TreeNodes, AChildListMadeOnFirstUseBehavesAsOneMadeWithTheNode) {
    Fixture f;
    TmyNode* leaf = f.a->Children().Items(0);
    const TmyNode& constLeaf = *leaf;
    EXPECT_FALSE(leaf->HasChildren());
    EXPECT_EQ(constLeaf.Children().Count(), 0);
    EXPECT_EQ(constLeaf.Children().Items(0), nullptr);
    EXPECT_EQ(leaf->SetExpanded(true), 0);
    EXPECT_FALSE(leaf->Expanded());
    leaf->Collapse();  // nothing below to collapse
    f.tree.Nodes().CollapseAll();

    int changes = 0;
    leaf->OnChange = [&](TObject*) { ++changes; };
    TmyNodeList& made = leaf->Children();
    EXPECT_EQ(&made, &leaf->Children());
    EXPECT_EQ(made.Owner(), leaf);
    TmyNode* child = made.AddNode(nullptr, false, "a1x");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(&constLeaf.Children(), &made);
    EXPECT_EQ(child->Parent(), leaf);
    EXPECT_EQ(child->Level(), 2);
    EXPECT_EQ(child->GetTopParent(), f.a);
    child->ExpandParents();
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "  a1", "    a1x", "  a2", "  a3", "B"}));
    // Leaves freed from the end of the tree, the new one among them once its turn comes.
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(8), 8);
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "  a1", "    a1x"}));
    EXPECT_EQ(f.tree.Nodes().FreeLeaves(1), 1);
    EXPECT_FALSE(leaf->Expanded());  // it lost its last child
    EXPECT_EQ(Rows(f.tree), (std::vector<std::string>{"A", "  a1"}));
}

}  // namespace
}  // namespace tunecrest
