// Selections and the tree's node states: the normalisation of several nodes
// (marked with the tree's own display client), the gathering of a client's
// selected nodes, the look-ups by ID and the dirty marks.

#include "AKTreeSel.h"

#include "AKNode.h"
#include "AKNodeStates.h"
#include "AKNodeStatesTree.h"
#include "AKTree.h"

#include <vector>

namespace {

// Room reserved before gathering the selected nodes of a tree.
constexpr unsigned int kAKTreeSelGatherReserve = 20;

bool HasNullEntry(AKNodeArray const& nodes)
{
    for (AKNode const* node : nodes) {
        if (node == nullptr)
            return true;
    }
    return false;
}

void MarkSelected(AKNode* node, AKNSClientID clientID, bool selected)
{
    node->GetNState().SetBits(AKNodeNState::kSelected, AKNSClientFlagOf(clientID), selected);
}

}  // namespace

// --- Look-ups by ID ---

void AKTreeSel::InitWithNodeID(AKNodeID nodeID)
{
    if (fTree == nullptr)
        return;
    InitWithNode(fTree->GetNode(nodeID));
}

void AKTreeSel::InitWithNodeIDs(AKNodeIDArray const& nodeIDs)
{
    if (fTree == nullptr || nodeIDs.IsEmpty())
        return;
    if (nodeIDs.Count() == 1) {
        InitWithNodeID(nodeIDs[0]);
        return;
    }
    AKNodeArray nodes;
    nodes.Reserve(nodeIDs.Count());
    for (AKNodeID nodeID : nodeIDs) {
        AKNode* node = fTree->GetNode(nodeID);
        if (node != nullptr)
            nodes.Push(node);
    }
    InitWithMarkedNodes(nodes);
}

// --- Normalisation ---

void AKTreeSel::InitWithNodes(AKNodeArray const& nodes)
{
    if (fTree == nullptr || nodes.IsEmpty() || HasNullEntry(nodes))
        return;
    if (nodes.Count() == 1) {
        InitWithNode(nodes[0]);
        return;
    }
    InitWithMarkedNodes(nodes);
}

void AKTreeSel::InitWithMarkedNodes(AKNodeArray const& nodes)
{
    AKNode* root = fTree->GetRootNode();
    if (root == nullptr)
        return;
    fTree->GetTreeNState().DeselectAll(kAKTreeNSClientID);
    // Nodes of another tree are left out (and their states untouched).
    for (AKNode* node : nodes) {
        if (fTree->IsOwnerOfNode(node))
            MarkSelected(node, kAKTreeNSClientID, true);
    }
    MarkSelected(root, kAKTreeNSClientID, false);
    GatherSelectedNodes(kAKTreeNSClientID);
}

void AKTreeSel::InitWithNState(AKNSClientID clientID)
{
    if (fTree == nullptr || !AKNSClientIsValid(clientID))
        return;
    AKNode* root = fTree->GetRootNode();
    if (root == nullptr)
        return;
    MarkSelected(root, clientID, false);
    GatherSelectedNodes(clientID);
}

void AKTreeSel::GatherSelectedNodes(AKNSClientID clientID)
{
    fNodes.Clear();
    fNodes.Reserve(kAKTreeSelGatherReserve);
    // Pre-order walk; one entry per level: the next brother to visit there.
    std::vector<AKNode*> pending{fTree->GetRootNode()};
    while (!pending.empty()) {
        AKNode* node = pending.back();
        if (node == nullptr) {
            pending.pop_back();
            continue;
        }
        pending.back() = node->GetNext();
        AKNodeNState& state = node->GetNState();
        if (state.IsSelected(clientID)) {
            // Taken with its whole subtree: the marks below it go.
            fNodes.Push(node);
            state.SetRChildrenSelectedNot(clientID);
        } else if (state.IsOpened(clientID)) {
            pending.push_back(node->GetSub());
        }
    }
    fCommonParent = fNodes.GetUniqueCommonParent();
    GrabObjectsAndClass();
}

// --- Dirty marks ---

void AKTreeSel::SetNStateDirty(AKNSClientID clientID) const
{
    if (!AKNSClientIsValid(clientID))
        return;
    for (AKNode* node : fNodes)
        node->GetNState().SetDirty(clientID);
}

void AKTreeSel::SetNStateDirtyForAllClients() const
{
    for (AKNode* node : fNodes)
        node->GetNState().SetDirtyForAllClients();
}
