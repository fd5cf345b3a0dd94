#pragma once
// A tree of nodes as text, one line a node (indent by depth, caption, category tag,
// data object, "+" when expanded, "..." when its children are made only when it is
// opened), so that two trees compare node for node with a readable difference.
#include <cstdint>
#include <string>
#include <vector>

#include "core/display/tree_nodes.h"

namespace tunecrest::test {

inline void Describe(const TmyNodeList& list, int depth, std::vector<std::string>& out) {
    for (int i = 0; i < list.Count(); ++i) {
        const TmyNode* node = list.Items(i);
        out.push_back(std::string(size_t(depth), ' ') + node->Caption + " #" + std::to_string(node->Tag) + " @" +
                      std::to_string(reinterpret_cast<uintptr_t>(node->Data.get())) +
                      (node->Expanded() ? " +" : "") + (node->ChildrenDeferred() ? " ..." : ""));
        Describe(node->Children(), depth + 1, out);
    }
}

inline std::vector<std::string> Describe(const TmyNodeList& list) {
    std::vector<std::string> out;
    Describe(list, 0, out);
    return out;
}

}  // namespace tunecrest::test
