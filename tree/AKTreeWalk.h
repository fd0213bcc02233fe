#pragma once

// A depth-first walk of a node's subtree that visits at most a given number
// of nodes. Links read from a corrupt file may form a cycle; a tree bounds
// its walks by its node count so that such a cycle ends the walk instead of
// running for ever.

#include "AKNode.h"

#include <vector>

// Calls visit(node) for the top node, then for every descendant, each before
// its children, children in order, as long as no more than `limit` nodes
// have been visited. Returns the number of nodes visited, or limit + 1 when
// the subtree holds more than `limit` nodes (the walk stopped there).
template <class Visit>
unsigned int AKTreeWalkBounded(AKNode* top, unsigned int limit, Visit visit)
{
    if (top == nullptr)
        return 0;
    if (limit == 0)
        return 1;
    unsigned int visited = 1;
    visit(top);
    // One entry per level: the next brother to visit at that level.
    std::vector<AKNode*> pending{top->GetSub()};
    while (!pending.empty()) {
        AKNode* node = pending.back();
        if (node == nullptr) {
            pending.pop_back();
            continue;
        }
        if (visited == limit)
            return limit + 1;
        pending.back() = node->GetNext();
        ++visited;
        visit(node);
        pending.push_back(node->GetSub());
    }
    return visited;
}
