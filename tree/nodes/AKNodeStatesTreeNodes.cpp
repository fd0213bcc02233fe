// The client registry of a tree: registering and unregistering clients and
// the operations that change one client's bits in every node.

#include "AKNodeStatesTree.h"

#include "AKNode.h"
#include "AKNodeStates.h"
#include "AKTree.h"

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
