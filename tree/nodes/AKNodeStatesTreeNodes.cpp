// The client registry of a tree: registering and unregistering clients, the
// operations that change one client's bits in every node, and showing a
// selection to a client.

#include "AKNodeStatesTree.h"

#include "AKNode.h"
#include "AKNodeStates.h"
#include "AKTree.h"
#include "AKTreeSel.h"

namespace {

// Calls change(state) for every node of the tree.
template <class Change>
void ForEachState(AKTree const* tree, Change change)
{
    if (tree == nullptr)
        return;
    for (AKNode const* node : tree->GetNodes())
        change(node->GetNState());
}

}  // namespace

AKNSClientID AKTreeNState::RegisterGUIClient(void const* client)
{
    if (client == nullptr)
        return kAKNullNSClientID;
    unsigned int slot = FindSlot(client);
    if (slot == kAKNSClientMaxCount) {
        for (slot = 1; slot < kAKNSClientMaxCount && fClients[slot] != nullptr; ++slot) {
        }
        if (slot == kAKNSClientMaxCount)
            return kAKNullNSClientID;
        fClients[slot] = client;
    }
    AKNSClientID id = AKNSClientIDOfIndex(slot + 1);
    AKNSClientFG flag = AKNSClientFlagOf(id);
    ForEachState(fTree, [flag](AKNodeNState& state) { state.ResetClientBits(flag); });
    return id;
}

void AKTreeNState::UnregisterGUIClient(void const* client)
{
    unsigned int slot = FindSlot(client);
    if (slot == kAKNSClientMaxCount)
        return;
    fClients[slot] = nullptr;
    AKNSClientFG flag = AKNSClientFlagOf(AKNSClientIDOfIndex(slot + 1));
    ForEachState(fTree, [flag](AKNodeNState& state) { state.ClearClientBits(flag); });
}

void AKTreeNState::DeselectAll(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    ForEachState(fTree, [id](AKNodeNState& state) { state.SetSelected(id, false, false); });
}

void AKTreeNState::Clone(AKNSClientID to, AKNSClientID from)
{
    AKNSClientFG toFlag = AKNSClientFlagOf(to);
    AKNSClientFG fromFlag = AKNSClientFlagOf(from);
    if (toFlag == 0 || fromFlag == 0 || toFlag == fromFlag)
        return;
    ForEachState(fTree, [toFlag, fromFlag](AKNodeNState& state) { state.CopyClientBits(toFlag, fromFlag); });
}

void AKTreeNState::OpenAll(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag != 0)
        ForEachState(fTree, [flag](AKNodeNState& state) { state.SetBits(AKNodeNState::kOpened, flag, true); });
}

void AKTreeNState::CloseAll(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0 || fTree == nullptr)
        return;
    AKNodeArray const& nodes = fTree->GetNodes();
    // The root stays open.
    for (unsigned int i = 1; i < nodes.Count(); ++i)
        nodes[i]->GetNState().SetBits(AKNodeNState::kDirty | AKNodeNState::kOpened | AKNodeNState::kSelected, flag,
                                      false);
}

void AKTreeNState::ResetAllDirty(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag != 0)
        ForEachState(fTree, [flag](AKNodeNState& state) { state.SetBits(AKNodeNState::kDirty, flag, false); });
}

// --- Showing a selection to a client ---

void AKTreeNState::ApplyTreeSel(AKNSClientID id, AKTreeSel const& selection, bool openParents)
{
    DeselectAll(id);
    if (!AKNSClientIsValid(id) || selection.GetTree() == nullptr || selection.GetTree() != fTree)
        return;
    AKNSClientFG flag = AKNSClientFlagOf(id);
    for (AKNode* node : selection.GetNodes()) {
        bool underClosed = false;
        for (AKNode* ancestor = node->Parent(); ancestor != nullptr; ancestor = ancestor->Parent()) {
            AKNodeNState& state = ancestor->GetNState();
            if (openParents)
                state.SetBits(AKNodeNState::kOpened, flag, true);
            else if (!state.IsOpened(id))
                underClosed = true;
        }
        AKNodeNState& state = node->GetNState();
        if (underClosed || state.IsSelected(id))
            continue;
        state.SetBits(AKNodeNState::kSelected | AKNodeNState::kDirty, flag, true);
    }
}
