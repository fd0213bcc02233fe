#pragma once

// Depth-first walks of a node's subtree without recursion, so that deep
// trees cannot exhaust the stack.

#include "AKNode.h"

#include <vector>

// Calls visit(node) for the top node, then for every descendant, each before
// its children, children in order. A visit answering false stops the walk,
// which then answers false.
template <class Visit>
bool AKNodeWalkWithRChildren(AKNode const* top, Visit visit)
{
    if (top == nullptr)
        return true;
    if (!visit(top))
        return false;
    // One entry per level: the next brother to visit at that level.
    std::vector<AKNode const*> pending;
    pending.push_back(top->GetSub());
    while (!pending.empty()) {
        AKNode const* node = pending.back();
        if (node == nullptr) {
            pending.pop_back();
            continue;
        }
        pending.back() = node->GetNext();
        if (!visit(node))
            return false;
        pending.push_back(node->GetSub());
    }
    return true;
}
