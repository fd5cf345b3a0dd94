#include "core/display/tree_nodes.h"

#include <algorithm>

namespace tunecrest {

// ---- TmyNode ----

TmyNode::TmyNode(TmyNodeList* list) : Flist(list) {}

TmyNode::~TmyNode() = default;

TmyNodeList& TmyNode::Children() {
    if (!Fchildren) Fchildren = std::make_unique<TmyNodeList>(this);
    return *Fchildren;
}

const TmyNodeList& TmyNode::Children() const {
    static const TmyNodeList kNone;
    return Fchildren ? *Fchildren : kNone;
}

int TmyNode::ChildCount() const {
    return Fchildren ? Fchildren->Count() : 0;
}

void TmyNode::MakeChildren() {
    if (!FchildrenDeferred || !Flist) return;
    TmyNodeList* root = Flist;
    while (root->Fowner && root->Fowner->Flist) root = root->Fowner->Flist;
    if (root->OnFillChildren) root->OnFillChildren(*this);
}

int TmyNode::SetExpanded(bool v) {
    if (v) MakeChildren();
    const int count = ChildCount();
    const bool value = v && (count > 0 || FchildrenDeferred);
    if (value != Fexpanded) {
        Fexpanded = value;
        if (Flist) Flist->MarkStale();
    }
    return count;
}

bool TmyNode::HasChildren() const {
    return ChildCount() > 0 || FchildrenDeferred;
}

void TmyNode::ChildrenMade() {
    if (!FchildrenDeferred) return;
    FchildrenDeferred = false;
    if (Fexpanded && ChildCount() == 0) {
        Fexpanded = false;
        if (Flist) Flist->Changed();
    }
}

TmyNode* TmyNode::Parent() const {
    return Flist ? Flist->Owner() : nullptr;
}

int TmyNode::Level() const {
    int level = 0;
    for (TmyNode* p = Parent(); p; p = p->Parent()) ++level;
    return level;
}

TmyNode* TmyNode::GetTopParent() const {
    TmyNode* p = Parent();
    if (!p) return nullptr;
    while (p->Parent()) p = p->Parent();
    return p;
}

void TmyNode::ExpandParents() {
    for (TmyNode* p = Parent(); p; p = p->Parent()) p->SetExpanded(true);
}

void TmyNode::Collapse() {
    SetExpanded(false);
    if (Fchildren) Fchildren->CollapseAll();
}

void TmyNode::ChildrenChanged() {
    // A node that lost its last child cannot stay expanded: its row would claim
    // children that are not there.
    if (Fexpanded && ChildCount() == 0 && !FchildrenDeferred) Fexpanded = false;
    if (OnChange) OnChange(this);
    if (Flist) Flist->Changed();
}

// ---- TmyNodeList ----

TmyNodeList::TmyNodeList(TmyNode* owner) : Fowner(owner) {}

TmyNodeList::~TmyNodeList() {
    OnFree.Notify(this);
}

void TmyNodeList::MarkStale() {
    // Walk to the root list: the tree's rows are stale whatever bracket is open.
    TmyNodeList* list = this;
    while (list->Fowner && list->Fowner->Flist) list = list->Fowner->Flist;
    if (list->Ftree) list->Ftree->Fstale = true;
}

void TmyNodeList::Changed() {
    MarkStale();
    if (FupdateCount > 0) {
        FchangePending = true;
        return;
    }
    FchangePending = false;
    if (OnChange) OnChange(this);
    if (Fowner) Fowner->ChildrenChanged();
}

void TmyNodeList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0 && FchangePending) Changed();
}

TmyNode* TmyNodeList::AddNew() {
    return InsertNew(Count());
}

TmyNode* TmyNodeList::InsertNew(int index) {
    index = std::clamp(index, 0, Count());
    auto node = std::make_unique<TmyNode>(this);
    TmyNode* result = node.get();
    Fnodes.insert(Fnodes.begin() + index, std::move(node));
    Changed();
    return result;
}

TmyNode* TmyNodeList::AddNode(std::shared_ptr<TObject> data, bool expanded, const std::string& caption) {
    auto node = std::make_unique<TmyNode>(this);
    node->Data = std::move(data);
    node->Caption = caption;
    node->SetExpanded(expanded);
    TmyNode* result = node.get();
    Fnodes.push_back(std::move(node));
    Changed();
    return result;
}

void TmyNodeList::Clear() {
    if (Fnodes.empty()) return;
    // The rows are marked stale before the nodes go, so nothing reads them in between.
    MarkStale();
    std::vector<std::unique_ptr<TmyNode>> gone;
    gone.swap(Fnodes);
    gone.clear();
    Changed();
}

void TmyNodeList::TakeNodesFrom(TmyNodeList& from) {
    if (from.Fnodes.empty()) return;
    // A list cannot take in the nodes it hangs below (itself included).
    for (const TmyNodeList* list = this; list; list = list->Fowner ? list->Fowner->Flist : nullptr)
        if (list == &from) return;
    from.MarkStale();
    MarkStale();
    Fnodes.reserve(Fnodes.size() + from.Fnodes.size());
    for (auto& node : from.Fnodes) {
        node->Flist = this;
        Fnodes.push_back(std::move(node));
    }
    from.Fnodes.clear();
    from.Changed();
    Changed();
}

int TmyNodeList::FreeLeaves(int count) {
    int freed = 0;
    while (freed < count && !Fnodes.empty()) {
        // Down the last nodes to the deepest list whose last node has no children, then
        // free its trailing leaves.
        TmyNodeList* list = this;
        while (list->Fnodes.back()->ChildCount() > 0) list = list->Fnodes.back()->Fchildren.get();
        list->MarkStale();
        while (freed < count && !list->Fnodes.empty() && list->Fnodes.back()->ChildCount() == 0) {
            list->Fnodes.pop_back();
            ++freed;
        }
        list->Changed();
    }
    return freed;
}

TmyNode* TmyNodeList::Items(int i) const {
    return i >= 0 && i < Count() ? Fnodes[size_t(i)].get() : nullptr;
}

int TmyNodeList::IndexOf(const TmyNode* node) const {
    for (int i = 0; i < Count(); ++i)
        if (Fnodes[size_t(i)].get() == node) return i;
    return -1;
}

void TmyNodeList::CollapseAll() {
    for (auto& node : Fnodes) node->Collapse();
}

int TmyNodeList::VisibleCount() const {
    int count = Count();
    for (const auto& node : Fnodes)
        if (node->Expanded() && node->Fchildren) count += node->Fchildren->VisibleCount();
    return count;
}

void TmyNodeList::FlattenVisible(std::vector<TmyNode*>& list) const {
    for (const auto& node : Fnodes) {
        list.push_back(node.get());
        if (node->Expanded() && node->Fchildren) node->Fchildren->FlattenVisible(list);
    }
}

// ---- TmyTreeModel ----

TmyTreeModel::TmyTreeModel() : Fnodes(std::make_unique<TmyNodeList>()) {
    Fnodes->SingleExpand = true;
    Fnodes->Ftree = this;
    Fnodes->OnChange = [this](TObject*) {
        if (OnChange) OnChange(this);
    };
}

TmyTreeModel::~TmyTreeModel() {
    // The nodes go first; nothing may read the rows while they do.
    Fvisible.clear();
    Fnodes->Ftree = nullptr;
    Fnodes.reset();
}

void TmyTreeModel::RebuildVisible() const {
    Fvisible.clear();
    Fnodes->FlattenVisible(Fvisible);
    Fstale = false;
}

std::vector<int> TmyTreeModel::RebuildKeeping(const std::vector<int>& rows) const {
    // The nodes are only compared, never followed: one of them may be gone.
    std::vector<const TmyNode*> nodes;
    for (const int row : rows)
        nodes.push_back(row >= 0 && row < int(Fvisible.size()) ? Fvisible[size_t(row)] : nullptr);
    RebuildVisible();
    std::vector<int> now;
    for (const TmyNode* node : nodes) now.push_back(RowOf(node));
    return now;
}

int TmyTreeModel::VisibleCount() const {
    return int(VisibleNodes().size());
}

const std::vector<TmyNode*>& TmyTreeModel::VisibleNodes() const {
    if (Fstale) RebuildVisible();
    return Fvisible;
}

TmyNode* TmyTreeModel::GetVisibleNode(int i) const {
    const auto& rows = VisibleNodes();
    return i >= 0 && i < int(rows.size()) ? rows[size_t(i)] : nullptr;
}

int TmyTreeModel::RowOf(const TmyNode* node) const {
    if (!node) return -1;
    const auto& rows = VisibleNodes();
    const auto it = std::find(rows.begin(), rows.end(), node);
    return it == rows.end() ? -1 : int(it - rows.begin());
}

TtreeRowPosition TmyTreeModel::ExpandRow(int row, bool toggle, bool value, int topIndex, int visibleRows) {
    TtreeRowPosition result{row, topIndex};
    TmyNode* node = GetVisibleNode(row);
    if (!node) return result;
    TmyNode* top = GetVisibleNode(topIndex);
    const bool state = toggle ? !node->Expanded() : value;
    node->SetExpanded(state);
    if (Fnodes->SingleExpand) {
        Fnodes->CollapseAll();
        node->ExpandParents();
        node->SetExpanded(state);
    }
    RebuildVisible();
    // As a view does it: the rows start again from the top, the node's row becomes
    // current and is scrolled into sight, then the old top row goes back on top.
    result.ItemIndex = RowOf(node);
    result.TopIndex = 0;
    if (visibleRows > 0 && result.ItemIndex > visibleRows - 1)
        result.TopIndex = result.ItemIndex + 1 - visibleRows;
    const int topRow = RowOf(top);
    if (topRow >= 0) result.TopIndex = topRow;
    if (node->Expanded() && visibleRows > 0) {
        const int descendants = node->Children().VisibleCount();
        if (descendants >= visibleRows) {
            result.TopIndex = result.ItemIndex;
        } else {
            const int lastChild = RowOf(node->Children().Items(node->Children().Count() - 1));
            if (lastChild - result.TopIndex >= visibleRows) result.TopIndex = lastChild + 1 - visibleRows;
        }
    }
    return result;
}

}  // namespace tunecrest
