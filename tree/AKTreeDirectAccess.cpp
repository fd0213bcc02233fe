// The direct-access table of a tree: node pointers indexed by node ID, in
// use while the next ID stays at or below 99,999. Once given up, look-ups
// search the sorted node array for the rest of the tree's life.

#include "AKTree.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKStatus.h"

void AKTree::TurnOffDirectAccess()
{
    if (!fDirectAccess)
        return;
    fDirectAccess = false;
    fDANodes.Clear();
    fDANodes.Shrink();
    AKLogWarning(kAKWarningTreeCantUseDirectAccessNodes, "Tree \"%s\" can't use direct-access nodes anymore",
                 fName.c_str());
}

void AKTree::UpdateDANodesAfterInit()
{
    fDirectAccess = true;
    fDANodes.Clear();
    // Loaded IDs may be kept: a single large ID must not size the table.
    if (fNextNodeID < 0 || fNextNodeID > kAKTreeMaxDirectAccessNextNodeID) {
        TurnOffDirectAccess();
        return;
    }
    fDANodes.SetCount(static_cast<unsigned int>(fNextNodeID) + 1);
    UpdateDANodesWithAddedNodes(fNodes);
}

void AKTree::UpdateDANodesWithAddedNodes(AKNodeArray const& nodes)
{
    if (!fDirectAccess || nodes.IsEmpty())
        return;
    if (fNextNodeID < 0 || fNextNodeID > kAKTreeMaxDirectAccessNextNodeID) {
        TurnOffDirectAccess();
        return;
    }
    unsigned int length = static_cast<unsigned int>(fNextNodeID) + 1;
    if (fDANodes.Count() < length)
        fDANodes.SetCount(length);
    for (AKNode* node : nodes) {
        if (node == nullptr)
            continue;
        AKNodeID nodeID = node->GetID();
        if (nodeID < 0 || static_cast<unsigned int>(nodeID) >= fDANodes.Count()) {
            TurnOffDirectAccess();
            return;
        }
        fDANodes[static_cast<unsigned int>(nodeID)] = node;
    }
}

void AKTree::UpdateDANodesWithRemovedNodes(AKNodeArray const& nodes)
{
    if (!fDirectAccess)
        return;
    for (AKNode const* node : nodes) {
        if (node == nullptr)
            continue;
        AKNodeID nodeID = node->GetID();
        if (nodeID < 0 || static_cast<unsigned int>(nodeID) >= fDANodes.Count()) {
            TurnOffDirectAccess();
            return;
        }
        fDANodes[static_cast<unsigned int>(nodeID)] = nullptr;
    }
}
