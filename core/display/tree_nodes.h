#pragma once
// The node model behind every owner-drawn tree: nodes with an expanded flag, a
// caption, a data reference and their own child list, and the tree model that keeps
// the visible rows (every node whose ancestors are all expanded, in pre-order).
//
// Any structural change of any list (a node added, a list cleared, a node expanded or
// collapsed) marks the tree's visible rows stale at once, however deep the list and
// whatever update brackets are open, so the rows are rebuilt before the next read and
// never point at a freed node. Change notices themselves wait for the update brackets.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"
#include "core/base/event_slot.h"

namespace tunecrest {

class TmyNodeList;
class TmyTreeModel;

class TmyNode : public TObject {
  public:
    explicit TmyNode(TmyNodeList* list);
    ~TmyNode() override;
    TmyNode(const TmyNode&) = delete;
    TmyNode& operator=(const TmyNode&) = delete;

    bool Expanded() const { return Fexpanded; }
    // Expanded := v, but false for a node without children; returns the child count. A
    // node whose children are made when it is opened (DeferChildren) has them made first.
    int SetExpanded(bool v);
    // The node's children are made only when it is first opened: it shows as a node with
    // children until then. Opening it asks the tree's root list (OnFillChildren) to make
    // them, which calls ChildrenMade once they are there; until then (a maker on another
    // thread) it may stand open with none.
    void DeferChildren() { FchildrenDeferred = true; }
    bool ChildrenDeferred() const { return FchildrenDeferred; }
    // The children asked for are made: an open node without any closes.
    void ChildrenMade();
    // Asks for deferred children now, without opening the node (a search through the
    // tree); a maker on another thread delivers them later.
    void MakeChildren();
    // The object the node stands for (a grouping, a playlist, a list); the node keeps
    // it alive but does not own what it points at beyond that.
    std::shared_ptr<TObject> Data;
    // Shorthand for the data as one kind of object; nullptr when it is another kind.
    template <typename T>
    T* DataAs() const {
        return dynamic_cast<T*>(Data.get());
    }
    // The text a tree shows for the node when its painter has no better one.
    std::string Caption;
    // A number the builder of the tree may keep with the node (the browse tree keeps
    // the category number of its fixed nodes here, -1 elsewhere).
    int Tag = -1;

    // The child list is made when first asked for: most nodes of a large tree (the
    // albums) never have children, and an empty list in each would cost more than the
    // node. Asked for through a const node that has none, it is one shared empty list.
    TmyNodeList& Children();
    const TmyNodeList& Children() const;
    // The list that holds this node.
    TmyNodeList* List() const { return Flist; }
    // Fired when the child list changes (after its update bracket).
    TeventSlot<TNotifyEvent> OnChange;

    bool HasChildren() const;
    // Number of ancestors (0 for a top-level node).
    int Level() const;
    // The owner node of the owning list; nullptr for a top-level node.
    TmyNode* Parent() const;
    // The top-level ancestor; nullptr for a top-level node.
    TmyNode* GetTopParent() const;
    void ExpandParents();
    // Collapses the node and every node below it.
    void Collapse();

  private:
    friend class TmyNodeList;
    void ChildrenChanged();
    int ChildCount() const;
    bool Fexpanded = false;
    bool FchildrenDeferred = false;
    TmyNodeList* Flist;
    std::unique_ptr<TmyNodeList> Fchildren;
};

class TmyNodeList : public TObject {
  public:
    // `owner`: the node whose children these are (nullptr for a root list).
    explicit TmyNodeList(TmyNode* owner = nullptr);
    ~TmyNodeList() override;
    TmyNodeList(const TmyNodeList&) = delete;
    TmyNodeList& operator=(const TmyNodeList&) = delete;

    TmyNode* AddNew();
    // A new node with that data and caption; the expanded flag is applied at once, so a
    // node made without children starts collapsed.
    TmyNode* AddNode(std::shared_ptr<TObject> data, bool expanded, const std::string& caption = "");
    // A new node inserted at `index` (clamped to 0 .. Count).
    TmyNode* InsertNew(int index);
    // Frees every node (and everything below them).
    void Clear();
    // Moves every node of `from` (with everything below it) to the end of this list, so a
    // tree made elsewhere can replace a shown one in one change. Nothing moves when this
    // list lies below `from`. Both lists send one change notice.
    void TakeNodesFrom(TmyNodeList& from);
    // Frees up to `count` nodes that have no children, from the end of the tree upwards,
    // so a large tree can be freed a piece at a time; returns how many were freed.
    int FreeLeaves(int count);
    void BeginUpdate() { ++FupdateCount; }
    // Lowers the counter (never below 0); at 0 a held change notice is sent once.
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }
    int Count() const { return int(Fnodes.size()); }
    // nullptr outside 0 .. Count-1.
    TmyNode* Items(int i) const;
    int IndexOf(const TmyNode* node) const;
    void CollapseAll();
    // Nodes of this list plus, for every expanded node, the visible count of its children.
    int VisibleCount() const;
    // Appends the visible nodes in pre-order.
    void FlattenVisible(std::vector<TmyNode*>& list) const;
    TmyNode* Owner() const { return Fowner; }
    // Expanding a node collapses every other branch (set on a tree's root list).
    bool SingleExpand = false;
    TNotifyEvent OnChange;
    // Told when the list is freed, so that whoever keeps a link to it can drop the link.
    TnotifyEventList OnFree;
    // On a tree's root list: makes the children of a node below it that was opened with its
    // children deferred (see TmyNode::DeferChildren); nothing is made without it.
    std::function<void(TmyNode& node)> OnFillChildren;

  private:
    friend class TmyNode;
    friend class TmyTreeModel;
    // A structural change: marks the tree's rows stale, then notifies (or holds the
    // notice while updating) and passes the notice up to the owner node.
    void Changed();
    void MarkStale();
    TmyNode* Fowner;
    TmyTreeModel* Ftree = nullptr;  // set on a tree's root list
    std::vector<std::unique_ptr<TmyNode>> Fnodes;
    int FupdateCount = 0;
    bool FchangePending = false;
};

// Where the rows stand after a node was expanded or collapsed.
struct TtreeRowPosition {
    int ItemIndex = -1;
    int TopIndex = 0;
};

// The tree of a tree view: the root list (single-expand on) and the visible rows.
class TmyTreeModel : public TObject {
  public:
    TmyTreeModel();
    ~TmyTreeModel() override;
    TmyTreeModel(const TmyTreeModel&) = delete;
    TmyTreeModel& operator=(const TmyTreeModel&) = delete;

    TmyNodeList& Nodes() { return *Fnodes; }
    const TmyNodeList& Nodes() const { return *Fnodes; }

    // The visible rows, rebuilt first when a change made them stale.
    int VisibleCount() const;
    const std::vector<TmyNode*>& VisibleNodes() const;
    // The node on row i; nullptr outside.
    TmyNode* GetVisibleNode(int i) const;
    // The row of a node; -1 when it is not visible.
    int RowOf(const TmyNode* node) const;
    bool Stale() const { return Fstale; }
    // Rebuilds the rows now (also done on the next read after a change).
    void RebuildVisible() const;
    // Rebuilds the rows, and says where the nodes that stood on rows `rows` of the rows as
    // they were (before the change) stand now: -1 for one no longer shown, or for a row
    // that was not there.
    std::vector<int> RebuildKeeping(const std::vector<int>& rows) const;

    // Expands or collapses the node on `row` (Toggle: the opposite of its state, else
    // `value`), collapsing every other branch under single-expand. Returns the node's new
    // row as the current row and the new first row for a view of `visibleRows` rows
    // whose first row was `topIndex`: the old top node stays on top while visible, an
    // expanded node whose descendants fill the view moves to the top, otherwise the view
    // scrolls so that its last child is in sight. The caller clamps the first row.
    TtreeRowPosition ExpandRow(int row, bool toggle, bool value, int topIndex, int visibleRows);

    // The root list's change notice (after its update bracket): the view sets its count.
    TNotifyEvent OnChange;

  private:
    friend class TmyNodeList;
    std::unique_ptr<TmyNodeList> Fnodes;
    mutable std::vector<TmyNode*> Fvisible;
    mutable bool Fstale = true;
};

}  // namespace tunecrest
