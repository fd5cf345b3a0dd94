#pragma once
// The first node of a tree, depth first, that a test looks for. The branches a tree makes
// only when opened (an artist's albums) are made on the way, as a tap that opens them would.
#include "core/display/tree_nodes.h"

namespace tunecrest::test {

template <typename Pred>
TmyNode* FindNode(TmyNodeList& nodes, Pred pred) {
    for (int i = 0; i < nodes.Count(); ++i) {
        TmyNode* node = nodes.Items(i);
        if (pred(node)) return node;
        node->MakeChildren();
        if (TmyNode* found = FindNode(node->Children(), pred)) return found;
    }
    return nullptr;
}

}  // namespace tunecrest::test
